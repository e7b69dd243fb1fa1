#pragma once
// The collection as CSV (RFC 4180, UTF-8) and back: one row per live item in the item list's order,
// under a header row of column names; an import adds every row through the plain add's rules, all
// rows or none.

#include "collection/ItemTable.h"
#include "collection/OpenCollection.h"

#include <array>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace vitrinex {

// The columns of an export, in their order; an import takes them by name, in any order.
inline constexpr std::array<const char*, 9> kCsvColumns = {
    "name", "year", "series", "price", "net_change", "quantity", "condition", "catalog_number", "comments"};

// The last column of an export with photos: the item's photo files, relative to the CSV file's
// folder, separated by "|". An import takes it anywhere.
inline constexpr char kCsvPhotoColumn[] = "photos";
// The photos field of the item of that name (its text as stored).
using CsvPhotoColumn = std::function<std::string(std::string_view itemName)>;

// The export's default name: besideCollectionFile(collectionFileName, "csv").
std::string csvExportFileName(std::string_view collectionFileName);

// The CSV text of the collection: the header row, then a row per live item; lines end in CR LF, a
// field that holds a comma, a quote, a line break or a blank at either end is quoted. A field a
// spreadsheet would run as a formula (= + - @, a tab or a CR first) is quoted after a ', which the
// import takes off again. Each row is a step of `progress` (ECancelled when it stops).
// With `photos`, the rows end in the photos column.
std::string csvContent(const OpenCollection& collection, const Progress& progress = {},
                       const CsvPhotoColumn& photos = {});

// Writes csvContent to `path` as a copy of the collection (replaced as a name, never through a link,
// at most as readable as the collection). Returns the number of item rows. Throws EInOutError; a stop
// of `progress` (ECancelled) leaves `path` as it was.
std::size_t writeCsvExport(const OpenCollection& collection, const std::string& path,
                           const Progress& progress = {}, const CsvPhotoColumn& photos = {});

// An import refused: every reason as "row N: reason" (the header is row 1), in row order.
// A row has a line for each of its problems.
class ECsvRefused : public std::runtime_error {
public:
    explicit ECsvRefused(std::vector<std::string> reasons, std::size_t heldNames = 0);
    const std::vector<std::string>& reasons() const { return reasons_; }
    // How many of the reasons are a name the collection holds (when such rows are refused).
    std::size_t heldNames() const { return heldNames_; }

private:
    std::vector<std::string> reasons_;
    std::size_t heldNames_ = 0;
};

// An item row of a CSV file and the item the add rules make of it.
struct CsvItem {
    int row = 0;
    NewItemValues values;
    std::vector<std::string> photos; // the photos column's paths, as written
};

// Adds the photos of the rows taken (added or updated items) before the import saves; what it
// throws stops the import with the collection file as it was.
using CsvPhotoAdd = std::function<void(const std::vector<const CsvItem*>& rows)>;

// The items the rows of `csv` (UTF-8) make under the add rules; a column not in kCsvColumns, a
// damaged row or a value the rules refuse throws ECsvRefused with the reasons of every row. Each
// field is checked as the add dialog's field would take it (a year its masked field could hold).
std::vector<CsvItem> csvItems(std::string_view csv);

struct CsvImport {
    std::size_t added = 0;
    std::size_t skipped = 0; // rows left out: the collection holds their names
    std::size_t updated = 0; // items that took a row's values
    std::int32_t items = 0;  // the collection's item count afterwards
    // The items that took a price: every one added, and those updated when the file has a price or
    // net change column (their names as the collection spells them).
    std::vector<std::string> priced;
};

// What an import does with a row whose name the collection holds (in any letter case).
enum class ExistingRows {
    Refuse, // the row is refused, and so the whole import
    Skip,   // the row is left out, the item stays as it is
    Update, // the item takes the row's values of the columns the file has; its name stays as held
};

// Adds the rows of the CSV file `csvPath` to the open `collection` and saves it: every row or none,
// in one save. A name the collection holds is taken as `existing` says. A refusal (ECsvRefused, also
// for a name an earlier row holds, and with Refuse a name the collection holds) or EInOutError leaves
// the collection file byte for byte (memory may hold refused rows: read it back); a CSV file that
// cannot be read, or whose items take more memory than there is ("Not enough memory"), throws
// std::runtime_error with its name in front. The file is read piece by piece: the memory taken
// follows the items it holds. A stop of `progress` (ECancelled) leaves the collection file byte for
// byte. The caller holds the collection's lock (see CollectionSession::importCsv).
CsvImport importCsv(OpenCollection& collection, const std::string& csvPath,
                    ExistingRows existing = ExistingRows::Refuse, const Progress& progress = {},
                    const CsvPhotoAdd& addPhotos = {});

// The import's question when `rows` rows name items the collection has (add, edit, cancel).
std::string heldNamesQuestion(std::size_t rows);
// What an import did beyond adding: " N rows were left out ... M items were updated ...", or "".
std::string csvImportNotes(const CsvImport& imported);

} // namespace vitrinex
