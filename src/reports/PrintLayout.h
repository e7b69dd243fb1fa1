#pragma once
// The printed collection list: a header on every page, one entry per live item in key order with
// the chosen fields, page footers and the closing footer, drawn through a Printer.

#include "collection/OpenCollection.h"
#include "reports/Printer.h"

#include <functional>

namespace vitrinex {

// The fields the user ticked in the print window.
struct PrintFields {
    bool Year = false, Series = false, Price = false, NetChange = false;
    bool Quantity = false, Condition = false, CatNum = false, Comments = false;
};

// The font of every printed text but the net-change arrows (served by "Liberation Sans Narrow").
inline constexpr char kPrintTextFont[] = "Arial Narrow";
// The arrows' font: the Symbol font's metrics and encoding (fonts-urw-base35), so the double
// arrows are its characters 0xDD and 0xDF and fit between "(" and the amount.
inline constexpr char kPrintArrowFont[] = "Standard Symbols PS";
inline constexpr char16_t kArrowUp = 0xDD;
inline constexpr char16_t kArrowDown = 0xDF;

// The footer texts: at the bottom of every full page, and at the end of the list.
QString pageFooterText();
QString closingFooterText();

// Told how far a print job has come, in items printed of all the items to print, whenever a page is
// done; answers false to stop the job.
using PrintProgress = Progress;

// Prints the collection as one print job. Returns the number of pages printed. When `progress`
// asks to stop, the job is aborted and EPrintCancelled thrown.
int printCollection(const OpenCollection& collection, const PrintFields& fields, Printer& printer,
                    const PrintProgress& progress = {});

} // namespace vitrinex
