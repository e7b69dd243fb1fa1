#pragma once
// The item list: every item name read or added, kept in the user's case-insensitive text order,
// as the main window's list box shows it.

#include <QCollator>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace vitrinex {

class ItemNameList {
public:
    ItemNameList();

    // Adds a name in its sorted place, after names that sort equal to it; returns its index.
    int add(std::string name);
    // Adds names as add() would one after another. `inKeyOrder` are the names in the item tree's key
    // order, taken as they are where the list's order agrees; otherwise `inArrival()` gives them in
    // the order added, and they are sorted once.
    void addAll(std::vector<std::string> inKeyOrder,
                const std::function<std::vector<std::string>()>& inArrival);
    // Replaces the whole list with `names`, sorted (equal names keep their order).
    void assign(std::vector<std::string> names);
    // Takes `names` as the list when they are in its order already, equal names only where
    // `repeatsPrevious` marks an entry as a repeat of the one before it (so the order is what
    // assign() would make of a file order in which each repeat follows its first). Returns false and
    // leaves `names` alone otherwise.
    bool assignIfOrdered(std::vector<std::string>& names, const std::vector<bool>& repeatsPrevious);
    void clear() { names_.clear(); }

    int size() const { return static_cast<int>(names_.size()); }
    const std::string& at(int index) const { return names_[static_cast<std::size_t>(index)]; }
    const std::vector<std::string>& names() const { return names_; }
    // The index of the first entry equal to `name`, or -1.
    int indexOf(std::string_view name) const;

private:
    QCollator collator_;
    std::vector<std::string> names_;
};

} // namespace vitrinex
