#include "collection/ItemList.h"

#include "collection/Win1252.h"

#include <QCollatorSortKey>
#include <algorithm>
#include <numeric>

namespace vitrinex {

namespace {
// The user's language orders the list; the bare "C" locale knows no language order (it would put
// every capital before every small letter), so it gets the common root order instead.
QLocale collationLocale() {
    const QLocale system;
    return system.language() == QLocale::C ? QLocale(QLocale::English, QLocale::UnitedStates) : system;
}
} // namespace

ItemNameList::ItemNameList() : collator_(collationLocale()) {
    collator_.setCaseSensitivity(Qt::CaseInsensitive);
}

int ItemNameList::add(std::string name) {
    const QString key = toQString(name);
    const auto pos = std::upper_bound(names_.begin(), names_.end(), key,
                                      [this](const QString& k, const std::string& entry) {
                                          return collator_.compare(k, toQString(entry)) < 0;
                                      });
    const auto inserted = names_.insert(pos, std::move(name));
    return static_cast<int>(inserted - names_.begin());
}

void ItemNameList::assign(std::vector<std::string> names) {
    // Sort keys are computed once per name; comparing them is far cheaper than collating strings.
    std::vector<QCollatorSortKey> keys;
    keys.reserve(names.size());
    for (const std::string& n : names)
        keys.push_back(collator_.sortKey(toQString(n)));
    std::vector<std::size_t> order(names.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(),
                     [&keys](std::size_t a, std::size_t b) { return keys[a].compare(keys[b]) < 0; });
    keys.clear();
    keys.shrink_to_fit();

    names_.clear();
    names_.reserve(names.size());
    for (std::size_t i : order)
        names_.push_back(std::move(names[i]));
}

void ItemNameList::addAll(std::vector<std::string> inKeyOrder,
                          const std::function<std::vector<std::string>()>& inArrival) {
    ItemNameList added;
    // Keys are unique, so names in key order that the list orders strictly need no sort.
    if (!added.assignIfOrdered(inKeyOrder, std::vector<bool>(inKeyOrder.size(), false))) {
        inKeyOrder.clear();
        inKeyOrder.shrink_to_fit();
        added.assign(inArrival());
    }
    if (names_.empty()) {
        names_ = std::move(added.names_);
        return;
    }
    // Each new name goes after the names not above it, as add() puts it; the new ones are in order.
    std::vector<std::string> merged;
    merged.reserve(names_.size() + added.names_.size());
    auto from = names_.begin();
    QString key;
    for (std::string& name : added.names_) {
        toQString(name, key);
        const auto to =
            std::upper_bound(from, names_.end(), key, [this](const QString& k, const std::string& entry) {
                return collator_.compare(k, toQString(entry)) < 0;
            });
        merged.insert(merged.end(), std::make_move_iterator(from), std::make_move_iterator(to));
        merged.push_back(std::move(name));
        from = to;
    }
    merged.insert(merged.end(), std::make_move_iterator(from), std::make_move_iterator(names_.end()));
    names_ = std::move(merged);
}

bool ItemNameList::assignIfOrdered(std::vector<std::string>& names,
                                   const std::vector<bool>& repeatsPrevious) {
    // Two texts take turns as the previous and the current name, so no name costs an allocation.
    QString texts[2];
    for (std::size_t i = 0; i < names.size(); ++i) {
        QString& current = texts[i % 2];
        toQString(names[i], current);
        if (i > 0) {
            const int order = collator_.compare(QStringView(texts[(i + 1) % 2]), QStringView(current));
            if (order > 0 || (order == 0 && !repeatsPrevious[i])) return false;
        }
    }
    names_ = std::move(names);
    names.clear();
    return true;
}

int ItemNameList::indexOf(std::string_view name) const {
    const auto it = std::find(names_.begin(), names_.end(), name);
    return it == names_.end() ? -1 : static_cast<int>(it - names_.begin());
}

} // namespace vitrinex
