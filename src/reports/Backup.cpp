#include "reports/Backup.h"

#include "collection/CollectionFile.h"
#include "collection/PriceApplication.h"

#include <vector>

namespace vitrinex {

std::string BackupFileName(std::string_view collectionFileName) {
    // Only the file name is searched: a ".fcd" in a folder name would put the backup in another folder,
    // over the backup of another collection.
    const std::size_t slash = collectionFileName.rfind('/');
    const std::size_t nameStart = slash == std::string_view::npos ? 0 : slash + 1;
    const std::size_t dot = collectionFileName.find(".fcd", nameStart);
    if (dot == std::string_view::npos) return "bak";
    return std::string(collectionFileName.substr(0, dot + 1)) + "bak";
}

std::string WriteBackup(const OpenCollection& collection, const std::function<void(int)>& advanceProgress) {
    const std::string path = BackupFileName(collection.CollectionFileName);
    std::vector<const TFigureRecord*> live;
    collection.forEachPreOrder([&live](const TFigureNode& node) {
        if (!isDeletedRecord(node.Record)) live.push_back(&node.Record);
    });
    const int step = progressStep(collection.ItemCount);
    std::size_t next = 0;
    writeCollectionFile(path, collection.headerRecord(), [&]() -> const TFigureRecord* {
        if (next == live.size()) return nullptr;
        if (advanceProgress) advanceProgress(step);
        return live[next++];
    });
    return path;
}

UserMessage backupCompleteMessage(std::string_view collectionName, std::string_view backupFileName) {
    const std::size_t slash = backupFileName.rfind('/');
    const std::string_view name = slash == std::string_view::npos ? backupFileName : backupFileName.substr(slash + 1);
    return {"backup complete", "a backup file of " + std::string(collectionName) +
                                   " has been created. the file is named " + std::string(name) + "."};
}

} // namespace vitrinex
