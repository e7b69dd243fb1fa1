#pragma once
// The item tree's nodes and the store that owns them.

#include "collection/FigureRecord.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vitrinex {

// A node of the item tree: the item's record and its two children.
struct TFigureNode {
    TFigureRecord Record;
    TFigureNode* Left = nullptr;
    TFigureNode* Right = nullptr;
};

// Owns the nodes of one item tree. Nodes live in blocks that never move, so a node's address stays
// valid until the store is cleared, and a large collection costs a few allocations rather than one
// per item. A load reserves one block for all the records of its file and reads them straight into
// it.
class NodeStore {
public:
    NodeStore() = default;
    NodeStore(NodeStore&& other) noexcept { *this = std::move(other); }
    NodeStore& operator=(NodeStore&& other) noexcept {
        blocks_ = std::exchange(other.blocks_, {});
        size_ = std::exchange(other.size_, 0);
        return *this;
    }

    // A new node holding a copy of `record`, with both children empty.
    TFigureNode* add(const TFigureRecord& record);
    // Makes room for `count` more nodes in one block.
    void reserve(std::size_t count);
    // The unused nodes at the end of the last block (none before the first add or reserve): their
    // records may be filled in place, and commit() then counts the first of them as nodes.
    TFigureNode* spare(std::size_t& count) const;
    void commit(std::size_t count);
    // Gives back the last `count` nodes (their memory stays in the store).
    void dropLast(std::size_t count);
    // Releases every node.
    void clear();
    std::size_t size() const { return size_; }
    // The place of a node of this store (or of a spare node being filled) among its nodes, oldest first.
    std::size_t slotOf(const TFigureNode* node) const;
    // Calls `visit` for every node, oldest first.
    template <typename Visit> void forEach(Visit visit) const {
        for (const Block& block : blocks_)
            for (std::size_t i = 0; i < block.used; ++i)
                visit(block.nodes.get()[i]);
    }

private:
    // A block is either malloc'ed (mappedBytes 0) or mapped on its own (see addBlock).
    struct Free {
        std::size_t mappedBytes = 0;
        void operator()(TFigureNode* nodes) const;
    };
    struct Block {
        std::unique_ptr<TFigureNode, Free> nodes;
        std::size_t capacity = 0;
        std::size_t used = 0;
    };
    void addBlock(std::size_t capacity);
    static constexpr std::size_t kFirstBlock = 16;
    static constexpr std::size_t kLargestBlock = 4096;
    std::vector<Block> blocks_;
    std::size_t size_ = 0;
};

// Calls `visit` for every node of the tree in key order, without recursion (a tree can be one long
// chain).
template <typename Node, typename Visit> void forEachInOrder(Node* root, Visit visit) {
    std::vector<Node*> stack;
    Node* node = root;
    while (node || !stack.empty()) {
        while (node) {
            stack.push_back(node);
            node = node->Left;
        }
        node = stack.back();
        stack.pop_back();
        visit(*node);
        node = node->Right;
    }
}

// The tree's nodes in pre-order (a node, its left subtree, its right subtree: the order of the file),
// one at a time and without recursion. `Node` is `TFigureNode` or `const TFigureNode`.
template <typename Node> class PreOrderWalk {
public:
    explicit PreOrderWalk(Node* root) {
        if (root) stack_.push_back(root);
    }
    // The next node, or nullptr after the last.
    Node* next() {
        if (stack_.empty()) return nullptr;
        Node* node = stack_.back();
        stack_.pop_back();
        if (node->Right) stack_.push_back(node->Right);
        if (node->Left) stack_.push_back(node->Left);
        return node;
    }

private:
    std::vector<Node*> stack_;
};

template <typename Node, typename Visit> void forEachPreOrder(Node* root, Visit visit) {
    PreOrderWalk<Node> walk(root);
    while (Node* node = walk.next())
        visit(*node);
}

// Builds a tree by inserting records one after another, in the time it takes to read them when they
// come in pre-order (node, left subtree, right subtree: the order a saved collection holds them).
// Each such record is the left child of the previous one or the right child of the nearest open
// ancestor it exceeds, so no search is needed. A record that breaks that order is not placed: the
// caller then builds the whole tree with buildInsertionTree.
class PreOrderBuilder {
public:
    explicit PreOrderBuilder(TFigureNode*& root) : root_(root) {}

    // Makes room in the key order for `count` records, so that it becomes the name index as it is.
    void reserve(std::size_t count) { inKeyOrder_.reserve(count); }

    // Where a record named `name` goes: the empty link to hang its node on; or nullptr when a node
    // with the same key is in the tree already (then `existing` is that node) or when the record
    // breaks the pre-order (then `existing` is nullptr).
    TFigureNode** place(std::string_view name, TFigureNode*& existing);
    // Hangs `node`, named as in the last call of place(), on the link that call returned.
    void attach(TFigureNode** link, TFigureNode* node);
    // Each node leaves the open ancestors exactly when every smaller key has: the nodes that left
    // so far, in key order.
    const std::vector<TFigureNode*>& inKeyOrder() const { return inKeyOrder_; }
    // All the nodes in key order.
    void finish(std::vector<TFigureNode*>& inKeyOrder);

private:
    TFigureNode*& root_;
    // The ancestors of the last node whose left subtree holds it, outermost first, then that node.
    std::vector<TFigureNode*> open_;
    // The greatest ancestor of the last node whose right subtree holds it: a later key not above
    // it cannot follow the last node's path.
    TFigureNode* lowerBound_ = nullptr;
    // What place() found, for attach(): how much of open_ stays, and the new lower bound.
    std::size_t keep_ = 0;
    TFigureNode* nextLowerBound_ = nullptr;
    std::vector<TFigureNode*> inKeyOrder_;
};

// A node in a sort by key: the first 16 bytes of its key, its name's length and its place in the
// file (its slot), which breaks ties between equal keys.
struct KeyedSlot {
    std::uint64_t high = 0, low = 0;
    std::uint32_t slot = 0, length = 0;
};

inline KeyedSlot keyedSlot(std::string_view name, std::uint32_t slot) {
    const NameKeyPrefix prefix = nameKeyPrefix(name);
    return {prefix.high, prefix.low, slot, static_cast<std::uint32_t>(name.size())};
}

// Compares two keys; `nameOf(slot)` gives a name when its first 16 bytes do not decide.
template <typename NameOf>
int compareKeyedSlots(const KeyedSlot& a, const KeyedSlot& b, const NameOf& nameOf) {
    if (a.high != b.high) return a.high < b.high ? -1 : 1;
    if (a.low != b.low) return a.low < b.low ? -1 : 1;
    // Equal first 16 bytes: a name that ends within them is a prefix of the other.
    if (a.length > 16 && b.length > 16) return compareNameKeys(nameOf(a.slot), nameOf(b.slot));
    return a.length < b.length ? -1 : a.length > b.length ? 1 : 0;
}

// Sorts by the first 16 bytes of the keys, keeping the order of equal ones.
void sortByKeyPrefix(std::vector<KeyedSlot>& keys);

// Sorts by key, equal keys in file order; `keys` come in file order.
template <typename NameOf> void sortByKey(std::vector<KeyedSlot>& keys, const NameOf& nameOf) {
    const auto less = [&nameOf](const KeyedSlot& a, const KeyedSlot& b) {
        const int order = compareKeyedSlots(a, b, nameOf);
        return order < 0 || (order == 0 && a.slot < b.slot);
    };
    if (keys.size() < 1024) {
        std::sort(keys.begin(), keys.end(), less);
        return;
    }
    sortByKeyPrefix(keys);
    // Names alike in their first 16 bytes: their lengths, or the rest of them, decide.
    for (auto run = keys.begin(); run != keys.end();) {
        auto end = run + 1;
        while (end != keys.end() && end->high == run->high && end->low == run->low)
            ++end;
        if (end - run > 1) std::sort(run, end, less);
        run = end;
    }
}

// The tree that inserting the nodes one by one in the order of `arrival` gives, from the nodes in
// key order (keys unique) and each one's arrival (rising in insertion order). Every node of that tree
// arrived before the nodes below it, and the keys order it as a search tree: it is the Cartesian tree
// of (key, arrival), linked in one pass with a stack of the rightmost path. Returns the root.
TFigureNode* buildInsertionTree(const std::vector<TFigureNode*>& inKeyOrder,
                                const std::vector<std::uint32_t>& arrival);

// The tree's named nodes in key order: finds a name's node, and a new key's neighbours, by binary
// search.
class NameIndex {
public:
    void assign(std::vector<TFigureNode*> inKeyOrder) { nodes_ = std::move(inKeyOrder); }
    void clear() { nodes_.clear(); }
    // The first position whose key is not below the name's key.
    std::size_t lowerBound(std::string_view name) const;
    // The node whose key equals the name's key, or nullptr.
    TFigureNode* find(std::string_view name) const;
    void insert(std::size_t position, TFigureNode* node) {
        nodes_.insert(nodes_.begin() + static_cast<std::ptrdiff_t>(position), node);
    }
    // Puts `added` (in key order, keys not in the index) in their places: `places[i]` is
    // lowerBound() of added[i] before the merge.
    void merge(const std::vector<TFigureNode*>& added, const std::vector<std::size_t>& places);
    void erase(const TFigureNode* node);
    std::size_t size() const { return nodes_.size(); }
    TFigureNode* at(std::size_t position) const { return nodes_[position]; }

private:
    std::vector<TFigureNode*> nodes_;
};

} // namespace vitrinex
