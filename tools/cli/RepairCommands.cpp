#include "RepairCommands.h"

#include "Json.h"
#include "collection/CollectionFile.h"
#include "collection/CollectionLock.h"
#include "collection/OpenCollection.h"
#include "collection/Win1252.h"

#include <iostream>
#include <string>
#include <vector>

namespace vitrinex::cli {
namespace {

void tellRecovered(const std::string& file) {
    std::cerr << "vitrinex-cli: " << win1252ToUtf8(interruptedSaveMessage(utf8ToWin1252(file)).text) << '\n';
}

} // namespace

void tellOpenNotices() {
    OpenCollection::setOpenNoticeObserver([](const OpenCollection& c) {
        const std::string shown = utf8ToWin1252(c.fileName());
        if (c.recoveredSave()) tellRecovered(c.fileName());
        if (!c.damaged().empty()) {
            std::cerr << "vitrinex-cli: " << win1252ToUtf8(damagedRecordsMessage(shown, c.damaged()).text)
                      << '\n';
        }
    });
}

int commandCheck(const CommandLine& a) {
    const std::string& file = a.arg(0);
    if (recoverInterruptedSave(file)) tellRecovered(file);
    // The open's own rules find the damaged records; check reports them rather than telling them.
    OpenCollection::setOpenNoticeObserver(nullptr);
    OpenCollection c;
    c.LoadCollection(file, OpenRule::WhatReads);
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
    const CollectionLock lock(file); // read, set aside and rewrite with no other writer in between
    OpenCollection c;
    c.LoadCollection(file, OpenRule::WhatReads);
    const std::size_t setAside = c.damaged().size();
    if (setAside > 0) c.SaveCollection();
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
