#pragma once
// The find dialog's search without its window: part of a name looked up in the item list from a
// remembered position onward, never wrapping round to the top.

#include "collection/ItemList.h"

#include <QString>
#include <cstdint>

namespace vitrinex {

class ItemSearch {
public:
    static const QString kPrompt; // "enter the name to find:"

    // Where the next search begins in the item list; a change of the search text sets it back to 0.
    std::int32_t FindStart = 0;
    // The prompt and result line.
    QString Label = kPrompt;

    // Searches the entries from FindStart on for one containing `text` (the letters a to z in either
    // case). FindStart moves past a match; the matching index, or -1. An empty text does nothing.
    int Search(const ItemNameList& list, const QString& text);
};

} // namespace vitrinex
