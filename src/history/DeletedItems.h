#pragma once
// The items deleted from a collection, every field as it was, kept in the collection's data folder
// (CollectionData.h) so that one can be brought back long after its deletion: the last
// kDeletedItemsKept, oldest first in one file replaced as a whole (a few hundred kilobytes at most).
//
// The store does not lock: its caller (CollectionSession) holds the collection's lock around each
// change.

#include "collection/FigureRecord.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vitrinex {

inline constexpr std::size_t kDeletedItemsKept = 1000;

struct DeletedItem {
    std::string time; // ISO 8601, UTC
    TFigureRecord record;
};

class DeletedItems {
public:
    explicit DeletedItems(std::string collectionPath);

    // Newest first. A damaged store throws EInOutError naming its file.
    std::vector<DeletedItem> list() const;
    // Keeps `record` as deleted now, dropping the oldest beyond the limit; returns its entry.
    DeletedItem keep(const TFigureRecord& record);
    // The newest deleted item whose name has the key of `name`.
    std::optional<DeletedItem> newest(std::string_view name) const;
    // That item (its time and name key) leaves the store; nothing else changes.
    void forget(const DeletedItem& item);

private:
    std::vector<DeletedItem> oldestFirst() const;
    void write(const std::vector<DeletedItem>& items) const;
    std::string path(bool create) const;

    std::string collectionPath_;
};

} // namespace vitrinex
