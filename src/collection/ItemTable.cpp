#include "collection/ItemTable.h"

#include "collection/ItemList.h"
#include "collection/Win1252.h"

#include <QCollator>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <limits>
#include <numeric>

namespace vitrinex {
namespace {

// Lower case as Windows-1252 has it: A to Z, the accented capitals and the four of its own.
char win1252Lower(char ch) {
    const auto b = static_cast<unsigned char>(ch);
    if ((b >= 'A' && b <= 'Z') || (b >= 0xC0 && b <= 0xDE && b != 0xD7)) return static_cast<char>(b + 0x20);
    if (b == 0x8A || b == 0x8C || b == 0x8E) return static_cast<char>(b + 0x10);
    if (b == 0x9F) return static_cast<char>(0xFF);
    return ch;
}

constexpr double kNoNumber = -std::numeric_limits<double>::infinity();

// The number an amount or year text holds ("$  12.50", "$-5", "85  "); texts that hold none sort first.
double numberIn(std::string_view text) {
    std::string digits(text);
    const std::size_t dollar = digits.find('$');
    if (dollar != std::string::npos) digits.erase(0, dollar + 1);
    const char* start = digits.c_str();
    char* end = nullptr;
    const double value = std::strtod(start, &end);
    return end == start || !std::isfinite(value) ? kNoNumber : value;
}

} // namespace

std::vector<const TFigureRecord*> liveItemsInListOrder(const OpenCollection& c) {
    std::vector<const TFigureRecord*> byKey;
    forEachInOrder(c.ItemTree(), [&byKey](const TFigureNode& node) {
        if (!isDeletedRecord(node.Record)) byKey.push_back(&node.Record);
    });
    std::vector<std::string> keys;
    keys.reserve(byKey.size());
    for (const TFigureRecord* r : byKey)
        keys.push_back(nameKey(r->FigureName.view()));
    std::vector<bool> taken(byKey.size(), false);
    std::vector<const TFigureRecord*> rows;
    rows.reserve(byKey.size());
    for (const std::string& name : c.itemList().names()) {
        const std::string key = nameKey(name);
        const auto it = std::lower_bound(keys.begin(), keys.end(), key);
        const auto at = static_cast<std::size_t>(it - keys.begin());
        if (it == keys.end() || *it != key || taken[at]) continue;
        taken[at] = true;
        rows.push_back(byKey[at]);
    }
    return rows;
}

QString ItemTable::title(int column) {
    static const char* const titles[ColumnCount] = {"name",      "year",           "series",
                                                    "price",     "net change",     "quantity",
                                                    "condition", "catalog number", "comments"};
    return QString::fromLatin1(titles[column]);
}

void ItemTable::load(const OpenCollection& c) {
    const std::vector<const TFigureRecord*> records = liveItemsInListOrder(c);
    rows_.clear();
    rows_.resize(records.size());
    for (std::size_t i = 0; i < records.size(); ++i) {
        const TFigureRecord& r = *records[i];
        Row& row = rows_[i];
        const std::string quantity = std::to_string(r.Quantity);
        const std::string_view texts[] = {r.FigureName.view(), r.Year.view(),      r.Series.view(),
                                          r.Price.view(),      r.NetChange.view(), quantity,
                                          r.Condition.view(),  r.CatNum.view(),    r.Comments.view()};
        std::size_t size = 0;
        for (const std::string_view t : texts)
            size += t.size();
        row.texts.reserve(size);
        row.haystack.reserve(size + ColumnCount);
        for (int col = 0; col < ColumnCount; ++col) {
            row.texts.append(texts[col]);
            row.ends[static_cast<std::size_t>(col + 1)] = static_cast<std::uint16_t>(row.texts.size());
            for (const char ch : texts[col])
                row.haystack += win1252Lower(ch);
            row.haystack += '\x1F';
        }
        row.year = numberIn(r.Year.view());
        row.price = numberIn(r.Price.view());
        row.netChange = numberIn(r.NetChange.view());
        row.quantity = r.Quantity;
    }
    for (auto& keys : textKeys_)
        keys.clear();
    order_.resize(rows_.size());
    std::iota(order_.begin(), order_.end(), 0);
    sort(sortColumn_, descending_);
}

std::string_view ItemTable::Row::cell(int column) const {
    const auto c = static_cast<std::size_t>(column);
    return std::string_view(texts).substr(ends[c], ends[c + 1] - ends[c]);
}

QString ItemTable::text(int row, int column) const {
    QString text =
        toQString(rows_[static_cast<std::size_t>(visible_[static_cast<std::size_t>(row)])].cell(column));
    if (column == Comments) text.replace(QStringLiteral("\r\n"), QStringLiteral(" / "));
    return text;
}

bool ItemTable::less(int a, int b) const {
    const Row& x = rows_[static_cast<std::size_t>(a)];
    const Row& y = rows_[static_cast<std::size_t>(b)];
    switch (sortColumn_) {
    case Name:
        return a < b; // the rows are in the list's order
    case Year:
        return x.year < y.year;
    case Price:
        return x.price < y.price;
    case NetChange:
        return x.netChange < y.netChange;
    case Quantity:
        return x.quantity < y.quantity;
    default: {
        const auto& keys = textKeys_[static_cast<std::size_t>(sortColumn_)];
        return keys[static_cast<std::size_t>(a)].compare(keys[static_cast<std::size_t>(b)]) < 0;
    }
    }
}

void ItemTable::sort(int column, bool descending) {
    sortColumn_ = std::clamp(column, 0, ColumnCount - 1);
    descending_ = descending;
    auto& keys = textKeys_[static_cast<std::size_t>(sortColumn_)];
    const bool byText =
        sortColumn_ == Series || sortColumn_ == Condition || sortColumn_ == CatNum || sortColumn_ == Comments;
    if (byText && keys.size() != rows_.size()) {
        QCollator collator; // the item list's order: the user's language, letter case aside
        collator.setCaseSensitivity(Qt::CaseInsensitive);
        keys.clear();
        keys.reserve(rows_.size());
        for (const Row& row : rows_)
            keys.push_back(collator.sortKey(toQString(row.cell(sortColumn_))));
    }
    // From the list's order, so that equal keys keep it.
    std::iota(order_.begin(), order_.end(), 0);
    if (sortColumn_ != Name || descending_)
        std::stable_sort(order_.begin(), order_.end(),
                         [this](int a, int b) { return descending_ ? less(b, a) : less(a, b); });
    refilter(false);
}

void ItemTable::setFilter(const QString& text) {
    std::string needle;
    const bool unmatchable = utf8ToWin1252Exact(text.toStdString(), needle) != TextRefusal::None;
    for (char& ch : needle)
        ch = win1252Lower(ch);
    // A longer text finds only rows that the shorter one found.
    const bool narrower = !needle_.empty() && !unmatchable_ && needle.find(needle_) != std::string::npos;
    filter_ = text;
    needle_ = std::move(needle);
    unmatchable_ = unmatchable;
    refilter(narrower);
}

void ItemTable::refilter(bool withinVisible) {
    if (unmatchable_) {
        visible_.clear();
        return;
    }
    if (needle_.empty()) {
        visible_ = order_;
        return;
    }
    const std::vector<int>& from = withinVisible ? visible_ : order_;
    const std::boyer_moore_horspool_searcher search(needle_.begin(), needle_.end());
    std::vector<int> kept;
    kept.reserve(from.size());
    for (int row : from) {
        const std::string& haystack = rows_[static_cast<std::size_t>(row)].haystack;
        if (std::search(haystack.begin(), haystack.end(), search) != haystack.end()) kept.push_back(row);
    }
    visible_ = std::move(kept);
}

} // namespace vitrinex
