#pragma once
// One of the four extreme lists (high, low, hot, cold): the items that tie at the extreme, in the
// order they reached it, kept as their nodes. An entry's text ("Name  $amount") is made only when it
// is shown or printed, from the node's name and the list's amount field (Price or NetChange). An entry
// a catalog update made for the hot or cold list shows the change the update computed ("$" and
// formatAmount), which the stored NetChange may round: only such entries keep an amount of their own.
// The nodes stay valid until the collection is read again or closed, which builds the lists afresh.

#include "collection/ItemTree.h"
#include "collection/Real48.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vitrinex {

class ExtremeList {
public:
    enum class Field { Price, NetChange };
    ExtremeList() = default;
    explicit ExtremeList(Field field) : field_(field) {}

    std::size_t size() const { return nodes_.size(); }
    bool empty() const { return nodes_.empty(); }
    const TFigureNode* node(std::size_t entry) const { return nodes_[entry]; }

    void clear() {
        nodes_.clear();
        exact_.clear();
        fixed_.clear();
    }
    void add(const TFigureNode* node) { nodes_.push_back(node); }
    // An entry that shows "$" + formatAmount(amount) rather than the node's field.
    void add(const TFigureNode* node, long double amount) {
        exact_.push_back({static_cast<std::uint32_t>(nodes_.size()), amount});
        nodes_.push_back(node);
    }
    // The entries of `node` keep the texts they show now, whatever becomes of its record (a deleted
    // item's record is blanked, yet its entries read as before until the collection is read again).
    void fix(const TFigureNode* node) {
        for (std::size_t i = 0; i < nodes_.size(); ++i)
            if (nodes_[i] == node && !find(fixed_, i))
                fixed_.push_back({static_cast<std::uint32_t>(i), text(i)});
        std::sort(fixed_.begin(), fixed_.end(),
                  [](const Fixed& a, const Fixed& b) { return a.entry < b.entry; });
    }

    // Calls write(std::string_view) with the pieces of the entry's text (Windows-1252) in turn.
    template <typename Write> void writeEntry(std::size_t entry, Write write) const {
        if (const Fixed* f = find(fixed_, entry)) return write(std::string_view(f->text));
        const TFigureRecord& r = nodes_[entry]->Record;
        write(r.FigureName.view());
        write(std::string_view("  "));
        if (const Exact* e = find(exact_, entry))
            return write(std::string_view("$" + formatAmount(e->amount)));
        write(field_ == Field::Price ? r.Price.view() : r.NetChange.view());
    }
    std::string text(std::size_t entry) const {
        std::string out;
        writeEntry(entry, [&out](std::string_view piece) { out += piece; });
        return out;
    }
    std::vector<std::string> texts() const {
        std::vector<std::string> out;
        out.reserve(size());
        for (std::size_t i = 0; i < size(); ++i)
            out.push_back(text(i));
        return out;
    }

private:
    struct Exact {
        std::uint32_t entry;
        long double amount;
    };
    struct Fixed {
        std::uint32_t entry;
        std::string text;
    };
    // The side table's row for the entry, by binary search (rows are kept by entry).
    template <typename Row> static const Row* find(const std::vector<Row>& rows, std::size_t entry) {
        if (rows.empty()) return nullptr;
        const auto at = std::lower_bound(rows.begin(), rows.end(), entry,
                                         [](const Row& row, std::size_t e) { return row.entry < e; });
        return at != rows.end() && at->entry == entry ? &*at : nullptr;
    }

    Field field_ = Field::Price;
    std::vector<const TFigureNode*> nodes_;
    std::vector<Exact> exact_;
    std::vector<Fixed> fixed_;
};

} // namespace vitrinex
