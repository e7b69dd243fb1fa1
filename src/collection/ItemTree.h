#pragma once
// The item tree's nodes and the store that owns them.

#include "collection/FigureRecord.h"

#include <cstddef>
#include <map>
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
    // Releases every node.
    void clear();
    std::size_t size() const { return size_; }
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

// Builds a tree by inserting records one after another, in the time it takes to read them when they
// come in pre-order (node, left subtree, right subtree: the order a saved collection holds them).
// Each such record is the left child of the previous one or the right child of the nearest open
// ancestor it exceeds, so no search is needed. A record that breaks that order goes down from the
// root like any insertion, so the tree always has the shape that inserting the records one by one
// gives. Should such walks grow long (a file written in a hostile order), insertion switches to an
// ordered index of the keys, so loading stays O(n log n) whatever the order.
class PreOrderBuilder {
public:
    explicit PreOrderBuilder(TFigureNode*& root) : root_(root) {}

    // Makes room in the key order for `count` records, so that it becomes the name index as it is.
    void reserve(std::size_t count) { inKeyOrder_.reserve(count); }

    // Where a record named `name` goes: the empty link to hang its node on, or nullptr when a node
    // with the same key is in the tree already (then `existing` is that node).
    TFigureNode** place(std::string_view name, TFigureNode*& existing);
    // Hangs `node`, named as in the last call of place(), on the link that call returned.
    void attach(TFigureNode** link, TFigureNode* node);
    // While the records come in pre-order, each node leaves the open ancestors exactly when every
    // smaller key has: the nodes that left so far, in key order. Empty once the order broke.
    const std::vector<TFigureNode*>& inKeyOrder() const { return inKeyOrder_; }
    bool keepsKeyOrder() const { return inKeyOrderKept_; }
    // All the nodes in key order, when every record came in pre-order; otherwise false (walk the
    // tree instead).
    bool finish(std::vector<TFigureNode*>& inKeyOrder);

private:
    TFigureNode** walkFrom(TFigureNode** link, std::string_view name, TFigureNode*& existing);
    TFigureNode** placeByIndex(std::string_view name, TFigureNode*& existing);
    void startIndex();

    TFigureNode*& root_;
    // The ancestors of the last node whose left subtree holds it, outermost first, then that node.
    std::vector<TFigureNode*> open_;
    // The greatest ancestor of the last node whose right subtree holds it: a later key not above
    // it cannot follow the last node's path.
    TFigureNode* lowerBound_ = nullptr;
    // What place() found, for attach(): how much of open_ stays, the nodes a walk turned left at,
    // and the new lower bound.
    std::size_t keep_ = 0;
    std::vector<TFigureNode*> turnedLeft_;
    TFigureNode* nextLowerBound_ = nullptr;
    std::vector<TFigureNode*> inKeyOrder_;
    bool inKeyOrderKept_ = true;
    bool walked_ = false; // the last place() walked down the tree
    std::size_t inserted_ = 0;
    std::size_t walkSteps_ = 0;
    bool indexed_ = false;
    std::map<std::string, TFigureNode*, std::less<>> index_;
    std::string pendingKey_;
};

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
    void erase(const TFigureNode* node);
    std::size_t size() const { return nodes_.size(); }
    TFigureNode* at(std::size_t position) const { return nodes_[position]; }

private:
    std::vector<TFigureNode*> nodes_;
};

} // namespace vitrinex
