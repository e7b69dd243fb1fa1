#pragma once
// The item tree's nodes and the store that owns them.

#include "collection/FigureRecord.h"

#include <cstddef>
#include <memory>
#include <utility>
#include <vector>

namespace vitrinex {

// A node of the item tree: the item's record and its two children.
struct TFigureNode {
    TFigureRecord Record;
    TFigureNode* Left = nullptr;
    TFigureNode* Right = nullptr;
};

// Owns the nodes of one item tree. Nodes live in chunks that never move, so a node's address stays
// valid until the store is cleared, and a large collection costs a few hundred allocations rather
// than one per item.
class NodeStore {
public:
    NodeStore() = default;
    NodeStore(NodeStore&& other) noexcept { *this = std::move(other); }
    NodeStore& operator=(NodeStore&& other) noexcept {
        chunks_ = std::move(other.chunks_);
        usedInLast_ = std::exchange(other.usedInLast_, 0);
        lastCapacity_ = std::exchange(other.lastCapacity_, 0);
        size_ = std::exchange(other.size_, 0);
        other.chunks_.clear();
        return *this;
    }

    // A new node holding a copy of `record`, with both children empty.
    TFigureNode* add(const TFigureRecord& record);
    // Releases every node.
    void clear();
    std::size_t size() const { return size_; }

private:
    static constexpr std::size_t kFirstChunk = 16;
    static constexpr std::size_t kLargestChunk = 4096;
    std::vector<std::unique_ptr<TFigureNode[]>> chunks_;
    std::size_t usedInLast_ = 0;
    std::size_t lastCapacity_ = 0;
    std::size_t size_ = 0;
};

} // namespace vitrinex
