#include "collection/ItemTree.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <stdexcept>
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

// Blocks from this size on are mapped on their own: the many small ones of a small collection come
// from the heap.
constexpr std::size_t kMappedBlock = std::size_t{16} << 20;
constexpr std::size_t kHugePage = std::size_t{2} << 20;
// Huge pages save a fault for every 4 KiB read in, but on a virtual machine a fresh one was measured
// at about 5 ms to fault in: a million-item block (650 of them) then took 3 to 7 s to read where small
// pages take under 1 s. Up to this size (some 190,000 items) they still pay: 100,000 items were read
// in 0.06 to 0.19 s with them against a steady 0.09 s without.
constexpr std::size_t kLargestHugePageBlock = std::size_t{256} << 20;

// `bytes` of fresh memory mapped on its own, so that it costs what it holds and goes back to the
// system whole when the collection is closed. The block is filled at once (it is reserved for a file
// being read), so its pages are made in one go instead of one fault at a time.
void* mapBlock(std::size_t bytes) {
    if (bytes > kLargestHugePageBlock) {
        void* mapped =
            ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_POPULATE, -1, 0);
        return mapped == MAP_FAILED ? nullptr : mapped;
    }
    // On a 2 MiB boundary, so that the whole 2 MiB pages it spans can be huge pages; the rest beyond
    // the last whole one stays in small pages instead of taking a whole huge page.
    const std::size_t span = bytes + kHugePage;
    void* mapped = ::mmap(nullptr, span, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped == MAP_FAILED) return nullptr;
    // Pointer arithmetic on the mapping itself, so no integer is turned back into a pointer.
    char* const start = static_cast<char*>(mapped);
    const std::size_t lead = (kHugePage - reinterpret_cast<std::uintptr_t>(start) % kHugePage) % kHugePage;
    char* const aligned = start + lead;
    if (lead > 0) ::munmap(start, lead);
    if (span > lead + bytes) ::munmap(aligned + bytes, span - lead - bytes);
#ifdef MADV_HUGEPAGE
    ::madvise(aligned, bytes / kHugePage * kHugePage, MADV_HUGEPAGE);
#endif
    return aligned;
}

} // namespace

void NodeStore::addBlock(std::size_t capacity) {
    // Nodes are plain data: the block's memory holds them as it is.
    const std::size_t pageSize = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
    std::size_t bytes = capacity * sizeof(TFigureNode);
    Free release;
    void* memory = nullptr;
    if (bytes >= kMappedBlock) {
        bytes = (bytes + pageSize - 1) / pageSize * pageSize;
        capacity = bytes / sizeof(TFigureNode);
        memory = mapBlock(bytes);
        release.mappedBytes = bytes;
    } else {
        memory = std::malloc(bytes);
    }
    if (!memory) throw std::bad_alloc();
    blocks_.push_back(
        {std::unique_ptr<TFigureNode, Free>(static_cast<TFigureNode*>(memory), release), capacity, 0});
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

std::size_t NodeStore::slotOf(const TFigureNode* node) const {
    std::size_t before = 0;
    for (const Block& block : blocks_) {
        const TFigureNode* first = block.nodes.get();
        // The last block's spare nodes count too: a load asks for the slot of a node it is filling.
        if (node >= first && node < first + block.capacity)
            return before + static_cast<std::size_t>(node - first);
        before += block.used;
    }
    throw std::logic_error("a node of another store");
}

void NodeStore::commit(std::size_t count) {
    blocks_.back().used += count;
    size_ += count;
}

void NodeStore::dropLast(std::size_t count) {
    size_ -= count;
    for (auto block = blocks_.rbegin(); count > 0 && block != blocks_.rend(); ++block) {
        const std::size_t dropped = std::min(count, block->used);
        block->used -= dropped;
        count -= dropped;
    }
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
    keep_ = 0;
    nextLowerBound_ = nullptr;
    if (!root_) return &root_;

    if (lowerBound_) {
        const int order = compareToNode(name, lowerBound_);
        if (order == 0) existing = lowerBound_;
        // Not above the bound: the record leaves the last node's path higher up.
        if (order <= 0) return nullptr;
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
    // A closed ancestor never has a right child yet in pre-order; should it, the order is broken.
    return exceeded->Right ? nullptr : &exceeded->Right;
}

void PreOrderBuilder::attach(TFigureNode** link, TFigureNode* node) {
    *link = node;
    inKeyOrder_.insert(inKeyOrder_.end(), open_.rbegin(), open_.rend() - static_cast<std::ptrdiff_t>(keep_));
    open_.resize(keep_);
    open_.push_back(node);
    lowerBound_ = nextLowerBound_;
}

void PreOrderBuilder::finish(std::vector<TFigureNode*>& inKeyOrder) {
    inKeyOrder_.insert(inKeyOrder_.end(), open_.rbegin(), open_.rend());
    open_.clear();
    inKeyOrder = std::move(inKeyOrder_);
    inKeyOrder_.clear();
}

void sortByKeyPrefix(std::vector<KeyedSlot>& keys) {
    if (keys.empty()) return;
    // A radix sort, least significant byte first, each pass keeping the order of equal bytes. A byte
    // that is the same in every key (names often start alike) takes no pass.
    std::uint64_t differHigh = 0, differLow = 0;
    for (const KeyedSlot& k : keys) {
        differHigh |= k.high ^ keys.front().high;
        differLow |= k.low ^ keys.front().low;
    }
    std::vector<KeyedSlot> sorted(keys.size());
    for (int byte = 0; byte < 16; ++byte) {
        const bool low = byte < 8;
        const int shift = byte % 8 * 8;
        if ((((low ? differLow : differHigh) >> shift) & 0xFF) == 0) continue;
        const auto digit = [low, shift](const KeyedSlot& k) {
            return ((low ? k.low : k.high) >> shift) & 0xFF;
        };
        std::array<std::size_t, 256> start{};
        for (const KeyedSlot& k : keys)
            ++start[digit(k)];
        std::size_t sum = 0;
        for (std::size_t& s : start)
            sum += std::exchange(s, sum);
        for (const KeyedSlot& k : keys)
            sorted[start[digit(k)]++] = k;
        keys.swap(sorted);
    }
}

TFigureNode* buildInsertionTree(const std::vector<TFigureNode*>& inKeyOrder,
                                const std::vector<std::uint32_t>& arrival) {
    // The stack holds the rightmost path of the tree of the keys so far, root first; arrivals rise
    // along it. A later key whose node arrived earlier takes the nodes it arrived before as its left
    // subtree and hangs as the right child of the node left on top.
    std::vector<std::size_t> path;
    for (std::size_t i = 0; i < inKeyOrder.size(); ++i) {
        TFigureNode* const node = inKeyOrder[i];
        node->Left = nullptr;
        node->Right = nullptr;
        while (!path.empty() && arrival[path.back()] > arrival[i]) {
            node->Left = inKeyOrder[path.back()];
            path.pop_back();
        }
        if (!path.empty()) inKeyOrder[path.back()]->Right = node;
        path.push_back(i);
    }
    return path.empty() ? nullptr : inKeyOrder[path.front()];
}

std::size_t NameIndex::lowerBound(std::string_view name) const {
    const auto it =
        std::lower_bound(nodes_.begin(), nodes_.end(), name, [](const TFigureNode* node, std::string_view n) {
            return compareToNode(n, node) > 0;
        });
    return static_cast<std::size_t>(it - nodes_.begin());
}

TFigureNode* NameIndex::find(std::string_view name) const {
    const std::size_t position = lowerBound(name);
    return position < nodes_.size() && compareToNode(name, nodes_[position]) == 0 ? nodes_[position]
                                                                                  : nullptr;
}

void NameIndex::merge(const std::vector<TFigureNode*>& added, const std::vector<std::size_t>& places) {
    std::vector<TFigureNode*> merged;
    merged.reserve(nodes_.size() + added.size());
    std::size_t from = 0;
    for (std::size_t i = 0; i < added.size(); ++i) {
        merged.insert(merged.end(), nodes_.begin() + static_cast<std::ptrdiff_t>(from),
                      nodes_.begin() + static_cast<std::ptrdiff_t>(places[i]));
        from = places[i];
        merged.push_back(added[i]);
    }
    merged.insert(merged.end(), nodes_.begin() + static_cast<std::ptrdiff_t>(from), nodes_.end());
    nodes_ = std::move(merged);
}

void NameIndex::erase(const TFigureNode* node) {
    const std::size_t position = lowerBound(node->Record.FigureName.view());
    if (position < nodes_.size() && nodes_[position] == node)
        nodes_.erase(nodes_.begin() + static_cast<std::ptrdiff_t>(position));
}

} // namespace vitrinex
