#include "CommandSession.h"

#include "collection/Win1252.h"

#include <iostream>

namespace vitrinex::cli {

void tellRecoveredSave(const std::string& path) {
    std::cerr << "vitrinex-cli: " << win1252ToUtf8(interruptedSaveMessage(utf8ToWin1252(path)).text) << '\n';
}

CommandSession::CommandSession() : CollectionSession(Staleness::ReadAgain) {
    connect(this, &CollectionSession::noticesAtOpen, [this] {
        const OpenCollection& c = collection();
        if (c.recoveredSave()) tellRecoveredSave(c.fileName());
        if (!c.damaged().empty())
            std::cerr << "vitrinex-cli: "
                      << win1252ToUtf8(damagedRecordsMessage(utf8ToWin1252(c.fileName()), c.damaged()).text)
                      << '\n';
    });
}

CommandSession::CommandSession(const std::string& path, OpenRule rule, bool tell) : CommandSession() {
    if (!tell) disconnect(this, &CollectionSession::noticesAtOpen, nullptr, nullptr);
    openPath(path, rule);
}

} // namespace vitrinex::cli
