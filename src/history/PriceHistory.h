#pragma once
// Every price an item got, with its time, net change and source, kept in the collection's data folder
// (CollectionData.h) under the item's name key; a rename is kept as a step of its own, so that the
// record follows the item.
//
// The store is a folder of numbered segment files, each a run of steps (one user command: its time,
// its source, the points it gave). A step goes into the newest segment while that stays below
// kPriceSegmentBytes (that small file is written anew), else into a new segment of its own, so a
// step costs in proportion to what it changed, never a rewrite of the whole history. Beyond
// kPriceHistoryBytes the oldest segments go. Every segment is written as a new file renamed over its
// name; a damaged one is told by name when read and left as it is, later steps going to a new one.
//
// The store does not lock: its caller (CollectionSession) holds the collection's lock around each
// change.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vitrinex {

inline constexpr std::size_t kPriceSegmentBytes = std::size_t(1) << 20;
inline constexpr std::uint64_t kPriceHistoryBytes = std::uint64_t(256) << 20;

enum class PriceSource { Add, Edit, Import, Update };
// "add", "edit", "import", "update".
const char* sourceName(PriceSource source);

// A price an item took: its Price and NetChange texts as stored (Windows-1252).
struct PriceEntry {
    std::string name, price, netChange;
};

struct PricePoint {
    std::string time;      // ISO 8601, UTC
    std::string price;     // "$12.99"
    std::string netChange; // "$1"
    std::string source;    // sourceName()
};

class PriceHistory {
public:
    explicit PriceHistory(std::string collectionPath);

    // One step: each entry's point, all with the time now and `source`. Throws EInOutError; the
    // store is then as it was.
    void record(PriceSource source, const std::vector<PriceEntry>& entries);
    // The item `from` is now called `to` (another name key): its points go with it.
    void rename(std::string_view from, std::string_view to);
    // The points of the item now called `name`, oldest first. Throws EInOutError naming a damaged
    // segment.
    std::vector<PricePoint> points(std::string_view name) const;

private:
    void appendStep(const std::string& lines);

    std::string collectionPath_;
};

} // namespace vitrinex
