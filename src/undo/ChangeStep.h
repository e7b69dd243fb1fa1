#pragma once
// What one change did to a collection file, in terms of its item records' places (from 0, in the
// file's order): the records only the file before held, those only the file after holds, and the
// records on both sides whose bytes changed, kept as the runs of bytes that did. Every other record
// is the same on both sides and in the same order, so either side and the step give the other; a
// step costs in proportion to what it changed, never a copy of the collection.

#include "collection/FigureRecord.h"
#include "photos/PhotoStore.h"

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace vitrinex {

// The direction a step is replayed in: Back gives the file before it from the file after it.
enum class Replay { Back, Forward };

class ChangeStep {
public:
    TCollectionHeader headerBefore{}, headerAfter{};
    std::uint64_t countBefore = 0, countAfter = 0;
    // The photo index entries of the items the step touched, by name key, where they differ.
    std::map<std::string, std::vector<Photo>> photosBefore, photosAfter;

    void addRemoved(std::uint64_t position, const TFigureRecord& record);
    void addAdded(std::uint64_t position, const TFigureRecord& record);
    void addChanged(std::uint64_t before, std::uint64_t after, const TFigureRecord& was,
                    const TFigureRecord& is);

    bool changesFile() const;
    // How many items it changed (a rename is one).
    std::int64_t items() const;
    // The names (Windows-1252) of the items on each side, in file order, for the step's text.
    std::vector<std::string> namesBefore() const;
    std::vector<std::string> namesAfter() const;

    // The records of the other side, pulled one by one from `source`, the records of this side in
    // file order (nullptr after the last). The function returned keeps references to the step.
    std::function<const TFigureRecord*()> replay(Replay direction,
                                                 std::function<const TFigureRecord*()> source) const;
    // Whether the file at `path` holds the side before (Back) or after (Forward) the step: its length,
    // its header and every record the step names. Throws EInOutError when it cannot be read.
    bool fileHolds(const std::string& path, Replay side) const;

    std::string encode() const;
    // Throws EInOutError naming `origin` when `bytes` is no step.
    static ChangeStep decode(std::string_view bytes, const std::string& origin);

    // Compares records as the file holds them: the link bytes are never significant.
    static bool sameRecord(const TFigureRecord& a, const TFigureRecord& b);

private:
    struct Placed {
        std::uint64_t position;
        TFigureRecord record;
    };
    struct Changed {
        std::uint64_t before, after;
        std::size_t runs;    // where its runs start in runs_
        std::uint32_t count; // how many runs
    };
    std::vector<Placed> removed_, added_;
    std::vector<Changed> changed_;
    // Runs of changed bytes: offset and length (two bytes each), the bytes before, the bytes after.
    std::string runs_;

    void applyRuns(const Changed& change, Replay direction, TFigureRecord& record) const;
};

// Aligns the records of the two sides of a change as they come: `pushed` one by one from a file,
// `pulled` from memory, whose records `pulledHolds` looks up by name. Records of the same name key
// met at the same time pair up; any other record is one side's only. The pushed side is the file
// before the change unless `pushedIsAfter`.
class StepAligner {
public:
    StepAligner(ChangeStep& step, bool pushedIsAfter, std::function<const TFigureRecord*()> pulled,
                std::function<bool(std::string_view name)> pulledHolds);
    void push(const TFigureRecord& record);
    // After the last pushed record: every record left on the pulled side.
    void finish();
    std::uint64_t pulledCount() const { return pulledPosition_; }

private:
    void pushedOnly(const TFigureRecord& record);
    void pulledOnly(const TFigureRecord& record);
    void paired(const TFigureRecord& pushedRecord, const TFigureRecord& pulledRecord);
    const TFigureRecord* peek();

    ChangeStep& step_;
    bool pushedIsAfter_;
    std::function<const TFigureRecord*()> pulled_;
    std::function<bool(std::string_view)> pulledHolds_;
    const TFigureRecord* next_ = nullptr;
    bool peeked_ = false;
    std::uint64_t pushedPosition_ = 0, pulledPosition_ = 0;
    // The name keys of records met on the pulled side only so far.
    std::unordered_set<std::string> pulledOnlyKeys_;
};

} // namespace vitrinex
