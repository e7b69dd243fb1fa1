#pragma once
// The backup writer: a second copy of the open collection, in the collection file format, beside the
// collection file with the extension "bak". The "create backup" command and the catalog update (before
// it changes any price) both use it.

#include "collection/OpenCollection.h"

#include <functional>
#include <string>
#include <string_view>

namespace vitrinex {

// The backup's path: besideCollectionFile(collectionFileName, "bak").
std::string BackupFileName(std::string_view collectionFileName);

// Writes the header and every live item in pre-order to BackupFileName(CollectionFileName),
// replacing any earlier backup as a whole (never through a link, never over the collection itself,
// at most as readable as the collection), and returns the backup's path. `advanceProgress` is called
// with 500 div ItemCount for every item written. Throws EInOutError; a failed backup leaves the
// previous backup file as it was.
std::string WriteBackup(const OpenCollection& collection,
                        const std::function<void(int step)>& advanceProgress = {});

// The "create backup" command's completion message: title "backup complete", the text naming the
// collection and the backup's file name without its folder. The two names come in one encoding
// (the collection name is stored in Windows-1252, the path in the system's), and the text is in it.
UserMessage backupCompleteMessage(std::string_view collectionName, std::string_view backupFileName);

} // namespace vitrinex
