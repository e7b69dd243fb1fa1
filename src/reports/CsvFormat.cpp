#include "reports/CsvFormat.h"

#include "collection/CollectionLock.h"
#include "collection/InOutError.h"
#include "collection/PlainItem.h"
#include "collection/SafeFile.h"
#include "collection/Win1252.h"
#include "reports/ReportText.h"

#include <algorithm>
#include <map>
#include <optional>
#include <stdexcept>
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

struct CsvRecord {
    int row = 0; // the header is row 1
    std::vector<std::string> fields;
    bool blankLine = false;
};

// Splits RFC 4180 text into records; lines may end in CR LF or LF. A damaged record ends the split
// with its reason in `damage`.
std::vector<CsvRecord> splitRecords(std::string_view text, std::string& damage) {
    std::vector<CsvRecord> records;
    std::size_t i = 0;
    int row = 0;
    while (i < text.size()) {
        CsvRecord record;
        record.row = ++row;
        std::string field;
        bool wasQuoted = false;
        for (;;) {
            if (i < text.size() && text[i] == '"' && field.empty() && !wasQuoted) {
                wasQuoted = true;
                ++i;
                for (;;) {
                    if (i >= text.size()) {
                        damage = "a quoted field is not closed";
                        return records;
                    }
                    if (text[i] == '"') {
                        if (i + 1 < text.size() && text[i + 1] == '"') {
                            field += '"';
                            i += 2;
                            continue;
                        }
                        ++i;
                        break;
                    }
                    field += text[i++];
                }
            }
            const bool atEnd = i >= text.size();
            const char c = atEnd ? '\n' : text[i];
            if (c == ',' || c == '\n' || (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) {
                record.fields.push_back(std::move(field));
                field.clear();
                wasQuoted = false;
                if (c == ',') {
                    ++i;
                    continue;
                }
                i += atEnd ? 0 : (c == '\r' ? 2 : 1);
                break;
            }
            if (wasQuoted || c == '"') {
                damage =
                    wasQuoted ? "text after a quoted field" : "a quote inside a field that is not quoted";
                return records;
            }
            field += c;
            ++i;
        }
        record.blankLine = record.fields.size() == 1 && record.fields[0].empty();
        records.push_back(std::move(record));
    }
    return records;
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

std::string readCsvFile(const std::string& path) {
    const int fd = openRegularFile(path);
    std::string text;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            const int error = errno;
            ::close(fd);
            throw EInOutError::fromErrno(error, path);
        }
        if (n == 0) break;
        text.append(buffer, static_cast<std::size_t>(n));
        if (text.size() > kMaxCsvSize) {
            ::close(fd);
            throw ECsvRefused({"the file is larger than " + std::to_string(kMaxCsvSize >> 20) + " MiB"});
        }
    }
    ::close(fd);
    return text;
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

std::string csvContent(const OpenCollection& c) {
    std::string out;
    for (std::size_t i = 0; i < kCsvColumns.size(); ++i)
        out.append(i ? "," : "").append(kCsvColumns[i]);
    out += "\r\n";
    for (const TFigureRecord* r : liveItemsInListOrder(c)) {
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
        out += "\r\n";
    }
    return out;
}

std::size_t writeCsvExport(const OpenCollection& c, const std::string& path) {
    const std::string content = csvContent(c);
    const std::size_t rows = liveItemsInListOrder(c).size();
    writeCopyFile(path, copyRulesFor(c.fileName()),
                  [&content](const ByteSink& sink) { sink(content.data(), content.size()); });
    return rows;
}

ECsvRefused::ECsvRefused(std::vector<std::string> reasons)
    : std::runtime_error(joined(reasons)), reasons_(std::move(reasons)) {}

namespace {

using Reasons = std::vector<std::pair<int, std::string>>; // by row

std::vector<CsvItem> readItems(std::string_view csv, Reasons& reasons) {
    if (csv.starts_with("\xEF\xBB\xBF")) csv.remove_prefix(3); // the mark some spreadsheets write first
    std::string damage;
    const std::vector<CsvRecord> records = splitRecords(csv, damage);
    std::vector<Slot> columns;
    if (records.empty() && damage.empty()) reasons.emplace_back(1, "there is no header row");
    if (!records.empty()) {
        for (const std::string& name : records.front().fields) {
            const Slot slot = slotOf(name);
            if (!slot)
                reasons.emplace_back(1, "unknown column '" + oneLine(name) + "'");
            else if (std::find(columns.begin(), columns.end(), slot) != columns.end())
                reasons.emplace_back(1, "column '" + oneLine(name) + "' twice");
            columns.push_back(slot);
        }
    }
    std::vector<CsvItem> items;
    if (!reasons.empty()) return items;
    for (std::size_t r = 1; r < records.size(); ++r) {
        const CsvRecord& record = records[r];
        if (record.blankLine) continue;
        if (record.fields.size() != columns.size()) {
            reasons.emplace_back(record.row, std::to_string(record.fields.size()) +
                                                 " fields where the header has " +
                                                 std::to_string(columns.size()));
            continue;
        }
        PlainItemTexts texts;
        for (std::size_t f = 0; f < columns.size(); ++f) {
            std::string text = record.fields[f];
            if (text.starts_with('\'') && guardedLead(text)) text.erase(0, 1);
            texts.*columns[f] = std::move(text);
        }
        if (texts.comments) texts.comments = crLfBreaks(*texts.comments);
        try {
            items.push_back({record.row, plainItemValues(texts, columnLabel)});
        } catch (const EItemRefused& e) {
            reasons.emplace_back(record.row, oneLine(e.what()));
        }
    }
    if (!damage.empty()) reasons.emplace_back(static_cast<int>(records.size()) + 1, damage);
    return items;
}

[[noreturn]] void refuse(Reasons reasons) {
    std::stable_sort(reasons.begin(), reasons.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<std::string> lines;
    for (const auto& [row, reason] : reasons)
        lines.push_back("row " + std::to_string(row) + ": " + reason);
    throw ECsvRefused(std::move(lines));
}

} // namespace

std::vector<CsvItem> csvItems(std::string_view csv) {
    Reasons reasons;
    std::vector<CsvItem> items = readItems(csv, reasons);
    if (!reasons.empty()) refuse(std::move(reasons));
    return items;
}

CsvImport importCsv(const std::string& collectionPath, const std::string& csvPath) {
    Reasons reasons;
    std::string csv;
    try {
        csv = readCsvFile(csvPath);
    } catch (const EInOutError& e) {
        // Named, or the error would pass for one of the collection's.
        throw std::runtime_error(csvPath + ": " + e.what());
    }
    const std::vector<CsvItem> items = readItems(csv, reasons);
    const CollectionLock lock(collectionPath);
    OpenCollection c;
    c.LoadCollection(collectionPath);
    // Names the collection or an earlier row holds are refused with the other reasons.
    for (const CsvItem& item : items)
        if (const auto exists = c.InsertNewItem(item.values))
            reasons.emplace_back(item.row, oneLine(win1252ToUtf8(exists->text)));
    if (!reasons.empty()) refuse(std::move(reasons));
    if (!items.empty()) c.SaveCollection();
    return {items.size(), c.totals().ItemCount};
}

} // namespace vitrinex
