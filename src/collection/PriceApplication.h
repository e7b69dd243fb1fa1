#pragma once
// The price application of a catalog update: the file "update.dat" (21-byte TUpdateRecord records)
// applied to the open collection, the collection file rewritten with the updated items first, and
// the texts the update window, the statistics window and the main window show afterwards.
//
// The catalog update job applies it once update.dat is closed, with the opening of the collection
// taken when the update was confirmed: a message in the outcome tells why nothing was applied;
// otherwise the texts are the job's final ones and the statistics the statistics window shows.
//
// ApplyUpdate throws EInOutError when the collection file cannot be written (full disk, no access);
// then, as for every other outcome that carries a message, the file and the open collection are
// exactly as they were.

#include "collection/FigureRecord.h"
#include "collection/OpenCollection.h"
#include "collection/UpdateRecord.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace vitrinex {

// The statistics after an update (Windows-1252).
struct UpdateStatisticsTexts {
    std::string updatedCount;         // "12/340": items whose price changed / ItemCount
    std::string value;                // "$" + TotalValue
    std::string netChange;            // "$" + TotalNetChange
    ExtremeList high, low, hot, cold; // the four extreme lists, as the collection has them
};

// Everything an applied update shows.
struct UpdateTexts {
    UpdateStatisticsTexts statistics;
    std::string message; // that the update is complete
    std::string status;  // the braced message of the download
};

// An item whose price an update changed: its name, its Price before and after, and its NetChange
// after (Windows-1252, as stored).
struct PriceChange {
    std::string item, oldPrice, newPrice, netChange;
};

struct UpdateOutcome {
    // Set when nothing was applied (no update.dat, or the collection is no longer the one the
    // update was confirmed for): the message dialog's title and text. The collection is unchanged.
    std::optional<UserMessage> message;
    UpdateTexts texts; // when applied
    // Records read; of them, those whose price is no number (skipped: they change nothing).
    std::int64_t recordsRead = 0, recordsSkipped = 0;
    // Bytes after the last whole record of a torn update.dat, ignored.
    std::int64_t tailBytesIgnored = 0;
    // The items whose price changed (those UpdatedCount counts), in the order of their first match.
    std::vector<PriceChange> changes;
    // The catalog numbers of records with a price that matched no item, each once, in file order.
    std::vector<std::string> unmatched;
    // Set when the update was applied but its point of the value history could not be kept.
    std::optional<std::string> historyFailure;
    // Set when the update was applied but its prices could not be kept in the price history.
    std::optional<std::string> priceHistoryFailure;
};

// How the items that match one update record are found. CatalogIndex looks the catalog number up in
// an index of the live items (time grows with records plus items); TreeWalk walks the whole item tree
// once per record. Both give the same file, texts and lists; TreeWalk stays to check and measure the
// index against.
enum class UpdateMatching { CatalogIndex, TreeWalk };

// Applies the update file `updateFile` to `collection` if it is still the opening `openingAtConfirm`
// (OpenCollection::openingId() when the update was confirmed) and still open.
//
// Every item whose catalog number equals a record's (letters a to z upper-cased, whole strings) takes
// the record's price ("$" and the price, cut to 8 characters), the change from its previous price as
// NetChange (cut to 5 characters) and the mark "Updated". An item that several records match takes
// their changes one after another and counts once in the totals and lists, with its final price and
// last change. A record whose price is no number is skipped; a torn record at the end is ignored.
// The collection file is then replaced atomically: the header, the matched items in the order of
// their first match (records in file order, one record's items in tree pre-order), then every other
// live item in pre-order, each exactly once. The totals, the four extremes and their lists and
// UpdatedCount are recomputed from these items; the tree's nodes change in place.
//
// `advanceProgress` is called with 500 div ItemCount for every item written.
UpdateOutcome ApplyUpdate(OpenCollection& collection, std::uint64_t openingAtConfirm,
                          const std::string& updateFile, const std::string& updateMessage,
                          const std::function<void(int step)>& advanceProgress = {},
                          UpdateMatching matching = UpdateMatching::CatalogIndex);

// The progress step per item written: 500 div the item count, 0 for no items.
int progressStep(std::int32_t itemCount);

} // namespace vitrinex
