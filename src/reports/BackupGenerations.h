#pragma once
// Backup generations: every backup also keeps a dated copy of the collection in its folder of the
// user's data folder (CollectionData.h), the last ten per collection, as private as the collection;
// a restore puts one back in place of the collection.

#include "collection/OpenCollection.h"
#include "collection/SafeFile.h"

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace vitrinex {

inline constexpr std::size_t kGenerationsKept = 10;

struct Generation {
    std::string path;
    std::string time; // ISO 8601, UTC, with milliseconds
    std::int64_t items = 0;
};

// The collection's photo folder beside it ("NAME.photos" for "NAME.fcd", see besideCollectionFile)
// and the index in it that names each item's photos.
std::string collectionPhotoFolder(const std::string& collectionPath);
std::string collectionPhotoIndex(const std::string& collectionPath);
// The photo index a generation keeps beside it ("TIME.photos-index" beside "TIME.fcd"): the
// collection's photo index as it stood when the generation was kept, so that the photos it names
// are kept while the generation is, and a restore of the generation brings them back. A collection
// that had no photo index then leaves none.
std::string generationPhotoIndex(const std::string& generationPath);

// The collection's generations, newest first.
std::vector<Generation> listGenerations(const std::string& collectionPath);

// The bytes a backup of the open collection holds: the header, then every live item in pre-order.
std::function<void(const ByteSink&)> backupContent(const OpenCollection& collection);

// Keeps `content` as the newest generation of the collection at `collectionPath` and, when `prune`,
// drops the oldest beyond kGenerationsKept (with their photo indexes). The collection's photo index
// is kept beside it (see generationPhotoIndex). Returns the generation's path. Throws EInOutError.
std::string keepGeneration(const std::string& collectionPath,
                           const std::function<void(const ByteSink&)>& content, bool prune = true);

// What every backup of the open collection adds beside its ".bak": a generation and a point of the
// value history. Throws EInOutError, its message saying that the generation failed.
void keepBackupGeneration(const OpenCollection& collection);

struct RestoreResult {
    std::int32_t items = 0; // the collection's items afterwards
    std::string kept;       // the generation that holds the state before the restore
};

// A backup that does not read as a collection; what() names it.
class EBackupUnreadable : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Replaces the collection file with the collection `backupPath` holds, under the collection's lock:
// the backup is read and checked first, the collection's present content is kept as a generation,
// then the collection is written in one save. A backup that does not read throws EBackupUnreadable
// and changes nothing; otherwise failures throw EInOutError and leave the collection file as it was.
// A stop of `progress` (ECancelled) leaves the collection file and its generations as they were.
RestoreResult restoreCollection(const std::string& collectionPath, const std::string& backupPath,
                                const Progress& progress = {});

} // namespace vitrinex
