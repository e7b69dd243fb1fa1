#pragma once
// The collection table without its window: one row per live item, in the item list's order, sorted by
// any column (prices, net changes, quantities and years as numbers, names in the list's order, other
// texts in the user's language order) and filtered by a text found in any text field.

#include "collection/OpenCollection.h"

#include <QCollatorSortKey>
#include <QString>

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vitrinex {

// The live items, in the list's order (an item once, however often the list names it).
std::vector<const TFigureRecord*> liveItemsInListOrder(const OpenCollection& collection);

class ItemTable {
public:
    enum Column { Name, Year, Series, Price, NetChange, Quantity, Condition, CatNum, Comments, ColumnCount };
    // The columns' titles, as the CSV export names them.
    static QString title(int column);

    // The live items of `collection`, keeping the sort column, its direction and the filter.
    void load(const OpenCollection& collection);

    // The rows that pass the filter, in the sort's order.
    int rowCount() const { return static_cast<int>(visible_.size()); }
    int itemCount() const { return static_cast<int>(rows_.size()); }
    // The text of a cell; comments' line breaks read as " / ".
    QString text(int row, int column) const;
    QString name(int row) const { return text(row, Name); }
    // The row's name as stored (Windows-1252), to look the item up by.
    std::string_view storedName(int row) const {
        return rows_[static_cast<std::size_t>(visible_[static_cast<std::size_t>(row)])].cell(Name);
    }

    // Rows of equal keys keep the list's order, in both directions.
    void sort(int column, bool descending);
    int sortColumn() const { return sortColumn_; }
    bool descending() const { return descending_; }

    // Rows holding `text` (letter case aside) in any text field; an empty text shows every row.
    void setFilter(const QString& text);
    QString filter() const { return filter_; }

private:
    // A row keeps its texts as stored (Windows-1252), one after another, and converts a cell only
    // when it is shown: two allocations a row instead of one per cell.
    struct Row {
        std::string texts;                                 // the cells' bytes in column order
        std::array<std::uint16_t, ColumnCount + 1> ends{}; // where each cell starts and ends in `texts`
        std::string haystack;                              // the cells lower-cased, separated by 0x1F
        double year = 0, price = 0, netChange = 0;
        int quantity = 0;
        std::string_view cell(int column) const;
    };
    bool less(int a, int b) const;
    void refilter(bool withinVisible);

    std::vector<Row> rows_;
    std::vector<int> order_;   // every row, sorted
    std::vector<int> visible_; // the rows of order_ that pass the filter
    std::array<std::vector<QCollatorSortKey>, ColumnCount> textKeys_; // made on the first sort by the column
    int sortColumn_ = Name;
    bool descending_ = false;
    QString filter_;
    std::string needle_;       // the filter lower-cased in Windows-1252; empty: every row
    bool unmatchable_ = false; // the filter holds a character no stored text can hold
};

} // namespace vitrinex
