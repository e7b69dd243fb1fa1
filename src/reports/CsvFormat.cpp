#include "reports/CsvFormat.h"

#include "collection/InOutError.h"
#include "collection/PlainItem.h"
#include "collection/SafeFile.h"
#include "collection/Win1252.h"
#include "reports/ReportText.h"

#include <algorithm>
#include <map>
#include <new>
#include <optional>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace vitrinex {
namespace {

// Larger than any collection's export by far; a larger file is no export of ours.
constexpr std::size_t kMaxCsvSize = std::size_t(512) << 20;

// A cell that starts with = + - @, a tab or a CR, after any number of ', is one a spreadsheet could
// run as a formula: the export writes it quoted after one ' more, and the import takes exactly one '
// off such a cell, so every text comes back as it was.
bool guardedLead(std::string_view text) {
    const std::size_t lead = text.find_first_not_of('\'');
    return lead != std::string_view::npos &&
           std::string_view("=+-@\t\r").find(text[lead]) != std::string_view::npos;
}

void appendField(std::string& out, std::string_view win1252) {
    const std::string text = win1252ToUtf8(win1252);
    const bool guarded = guardedLead(text);
    const bool quoted = guarded || text.find_first_of(",\"\r\n") != std::string::npos ||
                        (!text.empty() && (text.front() == ' ' || text.back() == ' '));
    if (!quoted) {
        out += text;
        return;
    }
    out += guarded ? "\"'" : "\"";
    for (char c : text) {
        if (c == '"') out += '"';
        out += c;
    }
    out += '"';
}

// A comment's line breaks as a collection stores them: CR LF.
std::string crLfBreaks(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) out += '\r';
        out += text[i];
    }
    return out;
}

using Slot = std::optional<std::string> PlainItemTexts::*;

Slot slotOf(std::string_view column) {
    static const std::map<std::string_view, Slot> byName = {{"name", &PlainItemTexts::name},
                                                            {"year", &PlainItemTexts::year},
                                                            {"series", &PlainItemTexts::series},
                                                            {"price", &PlainItemTexts::price},
                                                            {"net_change", &PlainItemTexts::netchange},
                                                            {"quantity", &PlainItemTexts::quantity},
                                                            {"condition", &PlainItemTexts::condition},
                                                            {"catalog_number", &PlainItemTexts::catnum},
                                                            {"comments", &PlainItemTexts::comments}};
    const auto it = byName.find(column);
    return it == byName.end() ? nullptr : it->second;
}

std::string columnLabel(const char* field) {
    const std::string_view f = field;
    return f == "netchange" ? "net_change" : f == "catnum" ? "catalog_number" : std::string(f);
}

std::string joined(const std::vector<std::string>& lines) {
    std::string out;
    for (const std::string& line : lines)
        out += (out.empty() ? "" : "\n") + line;
    return out;
}

} // namespace

std::string csvExportFileName(std::string_view collectionFileName) {
    return besideCollectionFile(collectionFileName, "csv");
}

std::string csvContent(const OpenCollection& c, const Progress& progress, const CsvPhotoColumn& photos) {
    std::string out;
    for (std::size_t i = 0; i < kCsvColumns.size(); ++i)
        out.append(i ? "," : "").append(kCsvColumns[i]);
    if (photos) out.append(",").append(kCsvPhotoColumn);
    out += "\r\n";
    const std::vector<const TFigureRecord*> rows = liveItemsInListOrder(c);
    for (const TFigureRecord* r : rows) {
        goOn(progress, &r - rows.data(), static_cast<std::int64_t>(rows.size()));
        for (const std::string_view text :
             {r->FigureName.view(), r->Year.view(), r->Series.view(), r->Price.view(), r->NetChange.view()}) {
            appendField(out, text);
            out += ',';
        }
        appendField(out, std::to_string(r->Quantity));
        out += ',';
        for (const std::string_view text : {r->Condition.view(), r->CatNum.view()}) {
            appendField(out, text);
            out += ',';
        }
        appendField(out, r->Comments.view());
        if (photos) {
            out += ',';
            appendField(out, photos(r->FigureName.view()));
        }
        out += "\r\n";
    }
    return out;
}

std::size_t writeCsvExport(const OpenCollection& c, const std::string& path, const Progress& progress,
                           const CsvPhotoColumn& photos) {
    const std::string content = csvContent(c, progressPart(progress, 0, 700), photos);
    const std::size_t rows = liveItemsInListOrder(c).size();
    writeCopyFile(path, copyRulesFor(c.fileName()), [&](const ByteSink& sink) {
        sinkInPieces(sink, content, progressPart(progress, 700, 1000));
    });
    return rows;
}

ECsvRefused::ECsvRefused(std::vector<std::string> reasons, std::size_t heldNames)
    : std::runtime_error(joined(reasons)), reasons_(std::move(reasons)), heldNames_(heldNames) {}

namespace {

using Reasons = std::vector<std::pair<int, std::string>>; // by row

// Reads CSV text (RFC 4180; lines may end in CR LF or LF) given in pieces of any size, and checks
// each record as it ends: what it keeps is the items, the reasons and the record being read.
class CsvReader {
public:
    // False once the rest of the text can change nothing (a refused header, a damaged record).
    bool read(std::string_view piece);
    // The items of the whole text; the reasons of every row in `reasons`.
    std::vector<CsvItem> finish(Reasons& reasons);
    // The rows refused for other reasons whose name could be an item's, with that name.
    const std::vector<std::pair<int, std::string>>& refusedNames() const { return refusedNames_; }
    // The header's columns.
    const std::vector<Slot>& columns() const { return columns_; }

private:
    enum class State { FieldStart, Unquoted, UnquotedCr, Quoted, QuoteInQuoted, AfterQuoted, AfterQuotedCr };
    static constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF"; // some spreadsheets write it first

    void split(std::string_view text);
    void endField();
    void endRecord();
    void takeHeader();
    void takeRow();
    void damaged(const char* reason);

    std::size_t markSeen_ = 0; // bytes of kByteOrderMark at the start so far
    bool markDone_ = false;
    State state_ = State::FieldStart;
    bool inRecord_ = false;
    std::string field_;
    std::vector<std::string> fields_;
    int row_ = 0; // records read; the header is row 1
    bool stopped_ = false;
    std::vector<Slot> columns_; // null for the photos column
    static constexpr std::size_t kNoColumn = std::size_t(-1);
    std::size_t photoColumn_ = kNoColumn;
    std::vector<CsvItem> items_;
    Reasons reasons_;
    std::vector<std::pair<int, std::string>> refusedNames_;
    PlainItemRules rules_{columnLabel, FieldRule::DialogHolds};
};

bool CsvReader::read(std::string_view piece) {
    while (!markDone_ && !piece.empty()) {
        if (piece.front() != kByteOrderMark[markSeen_]) {
            markDone_ = true;
            split(kByteOrderMark.substr(0, markSeen_));
            break;
        }
        piece.remove_prefix(1);
        markDone_ = ++markSeen_ == kByteOrderMark.size();
    }
    if (markDone_) split(piece);
    return !stopped_;
}

void CsvReader::split(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && !stopped_) {
        const char c = text[i];
        inRecord_ = true;
        switch (state_) {
        case State::Quoted: {
            const std::size_t quote = std::min(text.find('"', i), text.size());
            field_.append(text.substr(i, quote - i));
            if (quote < text.size()) state_ = State::QuoteInQuoted;
            i = quote + 1;
            break;
        }
        case State::QuoteInQuoted:
            if (c == '"') {
                field_ += '"';
                state_ = State::Quoted;
                ++i;
            } else {
                state_ = State::AfterQuoted; // the same byte again
            }
            break;
        case State::AfterQuoted:
        case State::AfterQuotedCr:
            if (c == '\n') {
                endField();
                endRecord();
            } else if (c == ',' && state_ == State::AfterQuoted) {
                endField();
            } else if (c == '\r' && state_ == State::AfterQuoted) {
                state_ = State::AfterQuotedCr;
            } else {
                return damaged("text after a quoted field");
            }
            ++i;
            break;
        case State::UnquotedCr:
            if (c == '\n') {
                endField();
                endRecord();
                ++i;
            } else {
                field_ += '\r'; // a CR alone is text; the same byte again
                state_ = State::Unquoted;
            }
            break;
        case State::FieldStart:
            if (c == '"') {
                state_ = State::Quoted;
                ++i;
                break;
            }
            state_ = State::Unquoted;
            [[fallthrough]];
        case State::Unquoted: {
            const std::size_t end = std::min(text.find_first_of(",\n\r\"", i), text.size());
            field_.append(text.substr(i, end - i));
            i = end + 1;
            if (end == text.size()) break;
            if (text[end] == '"') return damaged("a quote inside a field that is not quoted");
            if (text[end] == '\r') {
                state_ = State::UnquotedCr;
                break;
            }
            endField();
            if (text[end] == '\n') endRecord();
            break;
        }
        }
    }
}

void CsvReader::endField() {
    fields_.push_back(std::move(field_));
    field_.clear();
    state_ = State::FieldStart;
}

void CsvReader::endRecord() {
    ++row_;
    if (row_ == 1)
        takeHeader();
    else
        takeRow();
    fields_.clear();
    inRecord_ = false;
}

void CsvReader::takeHeader() {
    for (const std::string& name : fields_) {
        const Slot slot = slotOf(name);
        if (name == kCsvPhotoColumn) {
            if (photoColumn_ != kNoColumn) reasons_.emplace_back(1, "column 'photos' twice");
            photoColumn_ = columns_.size();
        } else if (!slot)
            reasons_.emplace_back(1, "unknown column '" + oneLine(name) + "'");
        else if (std::find(columns_.begin(), columns_.end(), slot) != columns_.end())
            reasons_.emplace_back(1, "column '" + oneLine(name) + "' twice");
        columns_.push_back(slot);
    }
    stopped_ = !reasons_.empty();
}

void CsvReader::takeRow() {
    if (fields_.size() == 1 && fields_[0].empty()) return; // a blank line
    if (fields_.size() != columns_.size()) {
        reasons_.emplace_back(row_, std::to_string(fields_.size()) + " fields where the header has " +
                                        std::to_string(columns_.size()));
        return;
    }
    PlainItemTexts texts;
    std::vector<std::string> photos;
    for (std::size_t f = 0; f < columns_.size(); ++f) {
        std::string& text = fields_[f];
        if (f == photoColumn_) {
            // Paths separated by "|"; an empty field has none.
            for (std::size_t start = 0; start <= text.size();) {
                const std::size_t bar = std::min(text.find('|', start), text.size());
                if (bar > start) photos.push_back(text.substr(start, bar - start));
                start = bar + 1;
            }
            continue;
        }
        if (text.starts_with('\'') && guardedLead(text)) text.erase(0, 1);
        texts.*columns_[f] = std::move(text);
    }
    if (texts.comments) texts.comments = crLfBreaks(*texts.comments);
    NewItemValues values;
    const std::vector<std::string> refusals = rules_.refusals(texts, values);
    if (refusals.empty()) {
        items_.push_back({row_, std::move(values), std::move(photos)});
        return;
    }
    for (const std::string& refusal : refusals)
        reasons_.emplace_back(row_, oneLine(refusal));
    // A name the collection holds is one more problem of the row.
    if (!values.FigureName.empty() && values.FigureName != " ")
        refusedNames_.push_back({row_, std::move(values.FigureName)});
}

void CsvReader::damaged(const char* reason) {
    reasons_.emplace_back(row_ + 1, reason);
    stopped_ = true;
}

std::vector<CsvItem> CsvReader::finish(Reasons& reasons) {
    if (!markDone_) {
        markDone_ = true;
        split(kByteOrderMark.substr(0, markSeen_));
    }
    if (!stopped_ && inRecord_) {
        if (state_ == State::Quoted) {
            damaged("a quoted field is not closed");
        } else if (state_ == State::AfterQuotedCr) {
            damaged("text after a quoted field");
        } else {
            if (state_ == State::UnquotedCr) field_ += '\r';
            endField();
            endRecord();
        }
    }
    if (row_ == 0 && reasons_.empty()) reasons_.emplace_back(1, "there is no header row");
    reasons = std::move(reasons_);
    return std::move(items_);
}

// Reads the CSV file `path` into `reader` piece by piece, until the reader needs no more.
void readCsvFile(const std::string& path, CsvReader& reader, const Progress& progress) {
    struct Descriptor {
        int fd;
        ~Descriptor() { ::close(fd); }
    } file{openRegularFile(path)};
    const auto tooLarge = [] {
        return ECsvRefused({"the file is larger than " + std::to_string(kMaxCsvSize >> 20) + " MiB"});
    };
    struct stat st {};
    if (::fstat(file.fd, &st) == 0 && static_cast<std::uint64_t>(st.st_size) > kMaxCsvSize) throw tooLarge();
    std::size_t size = 0;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(file.fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) throw EInOutError::fromErrno(errno, path);
        if (n == 0) return;
        size += static_cast<std::size_t>(n);
        if (size > kMaxCsvSize) throw tooLarge();
        goOn(progress, static_cast<std::int64_t>(size), std::max<std::int64_t>(st.st_size, size));
        if (!reader.read(std::string_view(buffer, static_cast<std::size_t>(n)))) return;
    }
}

[[noreturn]] void refuse(Reasons reasons, std::size_t heldNames = 0) {
    std::stable_sort(reasons.begin(), reasons.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<std::string> lines;
    for (const auto& [row, reason] : reasons)
        lines.push_back("row " + std::to_string(row) + ": " + reason);
    throw ECsvRefused(std::move(lines), heldNames);
}

} // namespace

std::vector<CsvItem> csvItems(std::string_view csv) {
    CsvReader reader;
    reader.read(csv);
    Reasons reasons;
    std::vector<CsvItem> items = reader.finish(reasons);
    if (!reasons.empty()) refuse(std::move(reasons));
    return items;
}

namespace {

// An item's record takes the row's values of the columns the file has; its name stays as the
// collection spells it.
void updateFields(TFigureRecord& r, const NewItemValues& v, const std::vector<Slot>& columns) {
    const auto has = [&columns](Slot slot) {
        return std::find(columns.begin(), columns.end(), slot) != columns.end();
    };
    if (has(&PlainItemTexts::year)) r.Year.assign(v.Year);
    if (has(&PlainItemTexts::series)) r.Series.assign(v.Series);
    if (has(&PlainItemTexts::price)) r.Price.assign(v.Price);
    if (has(&PlainItemTexts::netchange)) r.NetChange.assign(v.NetChange);
    if (has(&PlainItemTexts::quantity)) r.Quantity = v.Quantity;
    if (has(&PlainItemTexts::condition)) r.Condition.assign(v.Condition);
    if (has(&PlainItemTexts::catnum)) r.CatNum.assign(v.CatNum);
    if (has(&PlainItemTexts::comments)) r.Comments.assign(v.Comments);
}

CsvImport importRows(OpenCollection& c, const std::string& csvPath, ExistingRows existing,
                     const Progress& progress, const CsvPhotoAdd& addPhotos) {
    CsvReader reader;
    try {
        readCsvFile(csvPath, reader, progressPart(progress, 0, 300));
    } catch (const EInOutError& e) {
        // Named, or the error would pass for one of the collection's.
        throw std::runtime_error(csvPath + ": " + e.what());
    }
    Reasons reasons;
    const std::vector<CsvItem> items = reader.finish(reasons);
    c.requireWritable();
    CsvImport result;
    std::size_t heldNames = 0;
    const auto held = [&](int row, const std::string& name) {
        reasons.emplace_back(row, oneLine(win1252ToUtf8(name + " already exists!")));
        ++heldNames;
    };
    // A name the collection holds: refused, left out or the item's new values, as asked.
    std::vector<const CsvItem*> added;
    std::vector<std::pair<TFigureNode*, const CsvItem*>> updates;
    std::vector<TFigureNode*> updated;
    for (const CsvItem& item : items) {
        TFigureNode* node = c.FindItem(item.values.FigureName);
        if (!node) {
            added.push_back(&item);
        } else if (existing == ExistingRows::Refuse) {
            held(item.row, item.values.FigureName);
        } else if (existing == ExistingRows::Skip) {
            ++result.skipped;
        } else if (std::find(updated.begin(), updated.end(), node) != updated.end()) {
            // Two rows for one item: which values it should take is not for the import to guess.
            reasons.emplace_back(item.row,
                                 oneLine(win1252ToUtf8(item.values.FigureName + " already exists!")));
        } else {
            updated.push_back(node);
            updates.emplace_back(node, &item);
        }
    }
    if (existing == ExistingRows::Refuse)
        for (const auto& [row, name] : reader.refusedNames())
            if (c.FindItem(name)) held(row, name);
    // Names an earlier row holds are refused with the other reasons.
    std::vector<const NewItemValues*> values;
    values.reserve(added.size());
    for (const CsvItem* item : added)
        values.push_back(&item->values);
    for (const auto& [place, exists] : c.InsertNewItems(values))
        reasons.emplace_back(added[place]->row, oneLine(win1252ToUtf8(exists.text)));
    if (!reasons.empty()) refuse(std::move(reasons), heldNames);
    for (const auto& [node, item] : updates)
        updateFields(node->Record, item->values, reader.columns());
    if (!updates.empty()) c.markUnsaved();
    result.added = added.size();
    result.updated = updates.size();
    if (addPhotos) {
        std::vector<const CsvItem*> withPhotos;
        for (const CsvItem* item : added)
            if (!item->photos.empty()) withPhotos.push_back(item);
        for (const auto& update : updates)
            if (!update.second->photos.empty()) withPhotos.push_back(update.second);
        if (!withPhotos.empty()) addPhotos(withPhotos);
    }
    for (const CsvItem* item : added)
        result.priced.push_back(item->values.FigureName);
    const auto& columns = reader.columns();
    const bool pricesGiven =
        std::find(columns.begin(), columns.end(), Slot(&PlainItemTexts::price)) != columns.end() ||
        std::find(columns.begin(), columns.end(), Slot(&PlainItemTexts::netchange)) != columns.end();
    if (pricesGiven)
        for (const auto& update : updates)
            result.priced.push_back(update.first->Record.FigureName.str());
    goOn(progressPart(progress, 450, 600), 1, 1);
    if (!added.empty() || !updates.empty()) c.SaveCollection(progressPart(progress, 600, 1000));
    result.items = c.totals().ItemCount;
    return result;
}

} // namespace

std::string heldNamesQuestion(std::size_t rows) {
    return (rows == 1 ? std::string("1 row names an item") : std::to_string(rows) + " rows name items") +
           " the collection has already. add: only the other rows are added. edit: those items take "
           "the file's values. cancel: nothing is imported.";
}

std::string csvImportNotes(const CsvImport& imported) {
    std::string notes;
    if (imported.skipped > 0)
        notes += " " + std::to_string(imported.skipped) + " rows of items already there were left out.";
    if (imported.updated > 0) notes += " " + std::to_string(imported.updated) + " items were updated.";
    return notes;
}

CsvImport importCsv(OpenCollection& collection, const std::string& csvPath, ExistingRows existing,
                    const Progress& progress, const CsvPhotoAdd& addPhotos) {
    try {
        return importRows(collection, csvPath, existing, progress, addPhotos);
    } catch (const std::bad_alloc&) {
        // Rows beyond what memory holds: nothing has been written.
        throw std::runtime_error(csvPath + ": " + EInOutError::fromCode(kNotEnoughMemory).what());
    }
}

} // namespace vitrinex
