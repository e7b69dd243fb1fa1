#include "PriceCommands.h"

#include "Json.h"
#include "StatisticsJson.h"
#include "collection/OpenCollection.h"
#include "collection/PriceApplication.h"
#include "collection/Win1252.h"
#include "reports/Backup.h"

#include <iostream>
#include <stdexcept>
#include <string>

namespace vitrinex::cli {
namespace {

void expectArguments(int argc, int count, const char* usage) {
    if (argc != count + 2) throw std::runtime_error(std::string("usage: vitrinex-cli ") + usage);
}

} // namespace

int commandBackup(int argc, char** argv) {
    expectArguments(argc, 1, "backup FILE");
    OpenCollection c;
    c.LoadCollection(argv[2]);
    const std::string path = WriteBackup(c);
    json::Object out;
    // Paths are in the system's encoding (UTF-8), names in Windows-1252.
    out.addString("file", path).addString("message", backupCompleteMessage(win1252ToUtf8(c.CollectionName), path).text);
    std::cout << out.str() << '\n';
    return 0;
}

int commandApply(int argc, char** argv) {
    expectArguments(argc, 2, "apply FILE UPDATEDAT");
    OpenCollection c;
    c.LoadCollection(argv[2]);
    // No download ran, so the update window's status would hold no braced message.
    const UpdateOutcome outcome = ApplyUpdate(c, c.openingId(), argv[3], "");
    if (outcome.message) throw std::runtime_error(win1252ToUtf8(outcome.message->text));
    json::Object out = statisticsJson(c);
    out.addString("updated", outcome.texts.statistics.UpdatedFigsLBL)
        .addString("status", win1252ToUtf8(outcome.texts.StatusLBL));
    std::cout << out.str() << '\n';
    return 0;
}

} // namespace vitrinex::cli
