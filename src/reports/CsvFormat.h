#pragma once
// The collection as CSV (RFC 4180, UTF-8) and back: one row per live item in the item list's order,
// under a header row of column names; an import adds every row through the plain add's rules, all
// rows or none.

#include "collection/ItemTable.h"
#include "collection/OpenCollection.h"

#include <array>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace vitrinex {

// The columns of an export, in their order; an import takes them by name, in any order.
inline constexpr std::array<const char*, 9> kCsvColumns = {
    "name", "year", "series", "price", "net_change", "quantity", "condition", "catalog_number", "comments"};

// The export's default name: besideCollectionFile(collectionFileName, "csv").
std::string csvExportFileName(std::string_view collectionFileName);

// The CSV text of the collection: the header row, then a row per live item; lines end in CR LF, a
// field that holds a comma, a quote, a line break or a blank at either end is quoted. A field a
// spreadsheet would run as a formula (= + - @, a tab or a CR first) is quoted after a ', which the
// import takes off again. Each row is a step of `progress` (ECancelled when it stops).
std::string csvContent(const OpenCollection& collection, const Progress& progress = {});

// Writes csvContent to `path` as a copy of the collection (replaced as a name, never through a link,
// at most as readable as the collection). Returns the number of item rows. Throws EInOutError; a stop
// of `progress` (ECancelled) leaves `path` as it was.
std::size_t writeCsvExport(const OpenCollection& collection, const std::string& path,
                           const Progress& progress = {});

// An import refused: every reason as "row N: reason" (the header is row 1), in row order.
class ECsvRefused : public std::runtime_error {
public:
    explicit ECsvRefused(std::vector<std::string> reasons);
    const std::vector<std::string>& reasons() const { return reasons_; }

private:
    std::vector<std::string> reasons_;
};

// An item row of a CSV file and the item the add rules make of it.
struct CsvItem {
    int row = 0;
    NewItemValues values;
};

// The items the rows of `csv` (UTF-8) make under the add rules; a column not in kCsvColumns, a
// damaged row or a value the rules refuse throws ECsvRefused with the reasons of every row.
std::vector<CsvItem> csvItems(std::string_view csv);

struct CsvImport {
    std::size_t added = 0;
    std::int32_t items = 0; // the collection's item count afterwards
};

// Adds the rows of the CSV file `csvPath` to the collection file `collectionPath`, under its lock:
// every row or none. A refusal (ECsvRefused, also for a name the collection or an earlier row holds)
// or EInOutError leaves the collection file byte for byte; a CSV file that cannot be read, or whose
// items take more memory than there is ("Not enough memory"), throws std::runtime_error with its name
// in front. The file is read piece by piece: the memory taken follows the items it holds. A stop of
// `progress` (ECancelled) leaves the collection file byte for byte.
CsvImport importCsv(const std::string& collectionPath, const std::string& csvPath,
                    const Progress& progress = {});

} // namespace vitrinex
