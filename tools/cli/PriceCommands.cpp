#include "PriceCommands.h"

#include "CommandLine.h"
#include "Json.h"
#include "StatisticsJson.h"
#include "collection/CollectionLock.h"
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
    OpenCollection c;
    c.LoadCollection(a.arg(0));
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
    const CollectionLock lock(a.arg(0)); // read, apply and rewrite with no other writer in between
    OpenCollection c;
    c.LoadCollection(a.arg(0));
    // The lists start afresh, as confirming an update empties them before every application.
    c.clearExtremeLists();
    // No download ran, so the update window's status would hold no braced message.
    const UpdateOutcome outcome = ApplyUpdate(c, c.openingId(), a.arg(1), "");
    if (outcome.message) throw std::runtime_error(win1252ToUtf8(outcome.message->text));
    if (outcome.historyFailure)
        std::cerr << "vitrinex-cli: value history: " << *outcome.historyFailure << '\n';
    json::Object out = statisticsJson(c);
    out.addString("updated", outcome.texts.statistics.updatedCount)
        .addString("status", win1252ToUtf8(outcome.texts.status));
    std::cout << out.str() << '\n';
    return 0;
}

} // namespace vitrinex::cli
