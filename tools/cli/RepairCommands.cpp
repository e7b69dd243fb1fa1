#include "RepairCommands.h"

#include "CommandSession.h"
#include "Json.h"
#include "collection/CollectionFile.h"
#include "collection/OpenCollection.h"
#include "collection/Win1252.h"

#include <iostream>
#include <string>
#include <vector>

namespace vitrinex::cli {

int commandCheck(const CommandLine& a) {
    const std::string& file = a.arg(0);
    if (recoverInterruptedSave(file)) tellRecoveredSave(file);
    // The open's own rules find the damaged records; check reports them rather than telling them.
    const CommandSession session(file, OpenRule::WhatReads, false);
    const OpenCollection& c = session.collection();
    std::vector<std::string> damaged;
    for (const DamagedRecord& d : c.damaged()) {
        json::Object o;
        o.addNumber("record", static_cast<long long>(d.record)).addString("reason", win1252ToUtf8(d.reason));
        damaged.push_back(o.compact());
    }
    json::Object out;
    out.addNumber("records",
                  static_cast<long long>(c.totals().ItemCount) + static_cast<long long>(damaged.size()))
        .add("damaged", json::array(damaged));
    std::cout << out.compact() << '\n';
    return 0;
}

int commandRepair(const CommandLine& a) {
    const std::string& file = a.arg(0);
    CommandSession session;
    const std::size_t setAside = session.repair(file);
    const OpenCollection& c = session.collection();
    const std::optional<FileIdentity> now = currentIdentity(file);
    const long long kept = now ? now->size / static_cast<long long>(kRecordSize) - 1 : 0;
    json::Object out;
    out.addNumber("kept", kept).addNumber("setAside", static_cast<long long>(setAside));
    if (setAside > 0)
        out.addString("file", c.damagedFileName());
    else
        out.add("file", "null");
    std::cout << out.compact() << '\n';
    return 0;
}

} // namespace vitrinex::cli
