#include "collection/ItemTree.h"

#include <algorithm>

namespace vitrinex {

TFigureNode* NodeStore::add(const TFigureRecord& record) {
    if (usedInLast_ == lastCapacity_) {
        // Chunks grow with the store, so a small collection wastes little and a large one allocates
        // rarely.
        lastCapacity_ = std::clamp(size_, kFirstChunk, kLargestChunk);
        chunks_.push_back(std::make_unique_for_overwrite<TFigureNode[]>(lastCapacity_));
        usedInLast_ = 0;
    }
    TFigureNode* node = &chunks_.back()[usedInLast_++];
    node->Record = record;
    node->Left = nullptr;
    node->Right = nullptr;
    ++size_;
    return node;
}

void NodeStore::clear() {
    chunks_.clear();
    usedInLast_ = lastCapacity_ = size_ = 0;
}

} // namespace vitrinex
