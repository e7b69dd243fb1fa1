#include "PriceCommands.h"

#include "CommandLine.h"
#include "CommandSession.h"
#include "HistoryCommands.h"
#include "Json.h"
#include "StatisticsJson.h"
#include "collection/InOutError.h"
#include "collection/OpenCollection.h"
#include "collection/PriceApplication.h"
#include "collection/Win1252.h"
#include "reports/Backup.h"

#include <iostream>
#include <stdexcept>
#include <string>

namespace vitrinex::cli {

int commandBackup(const CommandLine& a) {
    const CommandSession session(a.arg(0));
    const OpenCollection& c = session.collection();
    std::string path;
    try {
        path = WriteBackup(c);
    } catch (const EInOutError& e) {
        throw std::runtime_error(BackupFileName(c.fileName()) + ": " + e.what());
    }
    json::Object out;
    // Paths are in the system's encoding (UTF-8), names in Windows-1252.
    out.addString("file", path)
        .addString("message", backupCompleteMessage(win1252ToUtf8(c.header().CollectionName), path).text);
    std::cout << out.str() << '\n';
    return 0;
}

int commandApply(const CommandLine& a) {
    CommandSession session(a.arg(0));
    const OpenCollection& c = session.collection();
    const UpdateOutcome outcome = session.applyUpdateFile(a.arg(1));
    if (outcome.message) throw std::runtime_error(win1252ToUtf8(outcome.message->text));
    if (outcome.historyFailure)
        std::cerr << "vitrinex-cli: value history: " << *outcome.historyFailure << '\n';
    if (outcome.priceHistoryFailure)
        std::cerr << "vitrinex-cli: price history: " << *outcome.priceHistoryFailure << '\n';
    json::Object out = statisticsJson(c);
    out.addString("updated", outcome.texts.statistics.updatedCount)
        .addString("status", win1252ToUtf8(outcome.texts.status));
    addUpdateChanges(out, session);
    std::cout << out.str() << '\n';
    return 0;
}

} // namespace vitrinex::cli
