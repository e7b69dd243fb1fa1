#include "reports/Backup.h"

#include "collection/CollectionFile.h"
#include "collection/PriceApplication.h"
#include "reports/BackupGenerations.h"
#include "reports/ReportText.h"

#include <vector>

namespace vitrinex {

std::string BackupFileName(std::string_view collectionFileName) {
    return besideCollectionFile(collectionFileName, "bak");
}

std::string WriteBackup(const OpenCollection& collection, const std::function<void(int)>& advanceProgress) {
    std::string path = BackupFileName(collection.fileName());
    std::vector<const TFigureRecord*> live;
    collection.forEachPreOrder([&live](const TFigureNode& node) {
        if (!isDeletedRecord(node.Record)) live.push_back(&node.Record);
    });
    const int step = progressStep(collection.totals().ItemCount);
    // The previous backup reads as a collection and is replaced; the collection itself never is.
    CopyRules rules = copyRulesFor(collection.fileName());
    rules.mayReplaceCollectionFile = true;
    const TCollectionHeader header = collection.headerRecord();
    std::size_t next = 0;
    const std::function<const TFigureRecord*()> nextRecord = [&]() -> const TFigureRecord* {
        if (next == live.size()) return nullptr;
        if (advanceProgress) advanceProgress(step);
        return live[next++];
    };
    writeCopyFile(path, rules, collectionFileContent(header, nextRecord));
    keepBackupGeneration(collection);
    return path;
}

UserMessage backupCompleteMessage(std::string_view collectionName, std::string_view backupFileName) {
    const std::size_t slash = backupFileName.rfind('/');
    const std::string_view name =
        slash == std::string_view::npos ? backupFileName : backupFileName.substr(slash + 1);
    return {"backup complete", "a backup file of " + std::string(collectionName) +
                                   " has been created. the file is named " + std::string(name) + "."};
}

} // namespace vitrinex
