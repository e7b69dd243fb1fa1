#include "collection/ItemTree.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <sys/mman.h>
#include <unistd.h>

namespace vitrinex {

void NodeStore::Free::operator()(TFigureNode* nodes) const {
    if (mappedBytes)
        ::munmap(nodes, mappedBytes);
    else
        std::free(nodes);
}

namespace {

constexpr std::size_t kHugePage = std::size_t{2} << 20;

// `bytes` of fresh memory starting on a 2 MiB boundary, mapped on its own so that it costs exactly
// what it holds: the whole 2 MiB pages it spans are asked for as huge pages, which saves a page
// fault for every 4 KiB of a large collection as it is read in, and the part of a page beyond the
// last whole one stays in small pages instead of taking a whole huge page.
void* mapAligned(std::size_t bytes) {
    const std::size_t span = bytes + kHugePage;
    void* mapped = ::mmap(nullptr, span, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped == MAP_FAILED) return nullptr;
    const auto start = reinterpret_cast<std::uintptr_t>(mapped);
    const std::uintptr_t aligned = (start + kHugePage - 1) / kHugePage * kHugePage;
    if (aligned > start) ::munmap(mapped, aligned - start);
    if (start + span > aligned + bytes) ::munmap(reinterpret_cast<void*>(aligned + bytes), start + span - aligned - bytes);
#ifdef MADV_HUGEPAGE
    ::madvise(reinterpret_cast<void*>(aligned), bytes / kHugePage * kHugePage, MADV_HUGEPAGE);
#endif
    return reinterpret_cast<void*>(aligned);
}

} // namespace

void NodeStore::addBlock(std::size_t capacity) {
    // Nodes are plain data: the block's memory holds them as it is. Only blocks from 16 MiB on are
    // mapped on their own; the many small ones of a small collection come from the heap.
    const std::size_t pageSize = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
    std::size_t bytes = capacity * sizeof(TFigureNode);
    Free release;
    void* memory = nullptr;
    if (bytes >= 8 * kHugePage) {
        bytes = (bytes + pageSize - 1) / pageSize * pageSize;
        capacity = bytes / sizeof(TFigureNode);
        memory = mapAligned(bytes);
        release.mappedBytes = bytes;
    } else {
        memory = std::malloc(bytes);
    }
    if (!memory) throw std::bad_alloc();
    blocks_.push_back({std::unique_ptr<TFigureNode, Free>(static_cast<TFigureNode*>(memory), release), capacity, 0});
}

TFigureNode* NodeStore::add(const TFigureRecord& record) {
    std::size_t room = 0;
    TFigureNode* node = spare(room);
    if (room == 0) {
        // Blocks grow with the store, so a small collection wastes little and a large one allocates
        // rarely.
        addBlock(std::clamp(size_, kFirstBlock, kLargestBlock));
        node = spare(room);
    }
    node->Record = record;
    node->Left = nullptr;
    node->Right = nullptr;
    commit(1);
    return node;
}

void NodeStore::reserve(std::size_t count) {
    std::size_t room = 0;
    spare(room);
    if (room < count) addBlock(count);
}

TFigureNode* NodeStore::spare(std::size_t& count) const {
    if (blocks_.empty()) {
        count = 0;
        return nullptr;
    }
    const Block& last = blocks_.back();
    count = last.capacity - last.used;
    return last.nodes.get() + last.used;
}

void NodeStore::commit(std::size_t count) {
    blocks_.back().used += count;
    size_ += count;
}

void NodeStore::clear() {
    blocks_.clear();
    size_ = 0;
}

namespace {
int compareToNode(std::string_view name, const TFigureNode* node) {
    return compareNameKeys(name, node->Record.FigureName.view());
}
} // namespace

TFigureNode** PreOrderBuilder::place(std::string_view name, TFigureNode*& existing) {
    existing = nullptr;
    turnedLeft_.clear();
    walked_ = false;
    if (indexed_) return placeByIndex(name, existing);
    keep_ = 0;
    nextLowerBound_ = nullptr;
    if (!root_) return &root_;

    if (lowerBound_) {
        const int order = compareToNode(name, lowerBound_);
        if (order == 0) {
            existing = lowerBound_;
            return nullptr;
        }
        // Not above the bound: the record leaves the last node's path higher up.
        if (order < 0) return walkFrom(&root_, name, existing);
    }
    // Close the open ancestors the key exceeds; the outermost of them takes it as its right child.
    keep_ = open_.size();
    TFigureNode* exceeded = nullptr;
    while (keep_ > 0) {
        const int order = compareToNode(name, open_[keep_ - 1]);
        if (order == 0) {
            existing = open_[keep_ - 1];
            return nullptr;
        }
        if (order < 0) break;
        exceeded = open_[--keep_];
    }
    nextLowerBound_ = lowerBound_;
    if (!exceeded) return &open_.back()->Left; // the last node is a leaf
    nextLowerBound_ = exceeded;
    // A right subtree filled out of order earlier: carry on down it as any insertion would.
    if (exceeded->Right) return walkFrom(&exceeded->Right, name, existing);
    return &exceeded->Right;
}

TFigureNode** PreOrderBuilder::walkFrom(TFigureNode** link, std::string_view name, TFigureNode*& existing) {
    if (link == &root_) {
        keep_ = 0;
        nextLowerBound_ = nullptr;
    }
    walked_ = true;
    std::size_t steps = 0;
    while (*link) {
        ++steps;
        const int order = compareToNode(name, *link);
        if (order == 0) {
            existing = *link;
            break;
        }
        if (order < 0) {
            turnedLeft_.push_back(*link);
            link = &(*link)->Left;
        } else {
            nextLowerBound_ = *link;
            link = &(*link)->Right;
        }
    }
    // Long walks on average mean a hostile order: from here on an ordered index finds each place.
    walkSteps_ += steps;
    if (walkSteps_ > 64 * inserted_ + 4096 && !existing) {
        startIndex();
        pendingKey_ = nameKey(name);
    }
    return existing ? nullptr : link;
}

void PreOrderBuilder::startIndex() {
    indexed_ = true;
    forEachInOrder(root_, [this](TFigureNode& node) {
        index_.emplace_hint(index_.end(), nameKey(node.Record.FigureName.view()), &node);
    });
}

TFigureNode** PreOrderBuilder::placeByIndex(std::string_view name, TFigureNode*& existing) {
    pendingKey_ = nameKey(name);
    if (!root_) return &root_;
    const auto it = index_.lower_bound(pendingKey_);
    if (it != index_.end() && it->first == pendingKey_) {
        existing = it->second;
        return nullptr;
    }
    // A new key hangs below its in-order predecessor (as its right child) or its successor (as its
    // left child), whichever has that link free; in a tree without gaps one of them has.
    TFigureNode* predecessor = it != index_.begin() ? std::prev(it)->second : nullptr;
    if (predecessor && !predecessor->Right) return &predecessor->Right;
    return &it->second->Left;
}

void PreOrderBuilder::attach(TFigureNode** link, TFigureNode* node) {
    *link = node;
    ++inserted_;
    if (indexed_ || walked_) {
        inKeyOrderKept_ = false;
        inKeyOrder_.clear();
    }
    if (indexed_) {
        index_.emplace(std::move(pendingKey_), node);
        return;
    }
    if (inKeyOrderKept_) inKeyOrder_.insert(inKeyOrder_.end(), open_.rbegin(), open_.rend() - static_cast<std::ptrdiff_t>(keep_));
    open_.resize(keep_);
    open_.insert(open_.end(), turnedLeft_.begin(), turnedLeft_.end());
    open_.push_back(node);
    lowerBound_ = nextLowerBound_;
}

bool PreOrderBuilder::finish(std::vector<TFigureNode*>& inKeyOrder) {
    if (!inKeyOrderKept_) return false;
    inKeyOrder_.insert(inKeyOrder_.end(), open_.rbegin(), open_.rend());
    open_.clear();
    inKeyOrder = std::move(inKeyOrder_);
    inKeyOrder_.clear();
    return true;
}

std::size_t NameIndex::lowerBound(std::string_view name) const {
    const auto it = std::lower_bound(nodes_.begin(), nodes_.end(), name, [](const TFigureNode* node, std::string_view n) {
        return compareToNode(n, node) > 0;
    });
    return static_cast<std::size_t>(it - nodes_.begin());
}

TFigureNode* NameIndex::find(std::string_view name) const {
    const std::size_t position = lowerBound(name);
    return position < nodes_.size() && compareToNode(name, nodes_[position]) == 0 ? nodes_[position] : nullptr;
}

void NameIndex::erase(const TFigureNode* node) {
    const std::size_t position = lowerBound(node->Record.FigureName.view());
    if (position < nodes_.size() && nodes_[position] == node)
        nodes_.erase(nodes_.begin() + static_cast<std::ptrdiff_t>(position));
}

} // namespace vitrinex
