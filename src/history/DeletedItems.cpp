#include "history/DeletedItems.h"

#include "collection/CollectionData.h"
#include "collection/InOutError.h"
#include "history/HistoryFiles.h"

#include <charconv>

namespace vitrinex {
namespace {

constexpr std::string_view kHeader = "vitrinex-deleted 1";
// A thousand records of at most 1.3 KB, escaped: far below this.
constexpr std::size_t kFileLimit = std::size_t(16) << 20;
constexpr std::size_t kFields = 11;

template <std::size_t N> bool take(ShortString<N>& field, const std::string& text) {
    if (text.size() > N) return false;
    field.assign(text);
    return true;
}

bool parse(std::string_view line, DeletedItem& item) {
    const auto f = history::fields(line, kFields);
    if (!f) return false;
    const std::vector<std::string>& v = *f;
    TFigureRecord& r = item.record;
    r = blankFigureRecord();
    item.time = v[0];
    const auto [end, error] = std::from_chars(v[7].data(), v[7].data() + v[7].size(), r.Quantity);
    return error == std::errc() && end == v[7].data() + v[7].size() && !v[1].empty() &&
           take(r.FigureName, v[1]) && take(r.UpdateMark, v[2]) && take(r.Year, v[3]) &&
           take(r.Series, v[4]) && take(r.Price, v[5]) && take(r.NetChange, v[6]) && take(r.CatNum, v[8]) &&
           take(r.Condition, v[9]) && take(r.Comments, v[10]);
}

void appendLine(std::string& out, const DeletedItem& item) {
    const TFigureRecord& r = item.record;
    const std::string quantity = std::to_string(r.Quantity);
    const std::string_view values[kFields] = {
        item.time,       r.FigureName.view(), r.UpdateMark.view(), r.Year.view(),
        r.Series.view(), r.Price.view(),      r.NetChange.view(),  quantity,
        r.CatNum.view(), r.Condition.view(),  r.Comments.view()};
    for (std::size_t i = 0; i < kFields; ++i) {
        if (i > 0) out += '\t';
        appendEscaped(out, values[i]);
    }
    out += '\n';
}

} // namespace

DeletedItems::DeletedItems(std::string collectionPath) : collectionPath_(std::move(collectionPath)) {}

std::string DeletedItems::path(bool create) const {
    return collectionDataFolder(collectionPath_, create) + "/deleted";
}

std::vector<DeletedItem> DeletedItems::oldestFirst() const {
    const std::string file = path(false);
    const std::optional<std::string> text = history::readStoreFile(file, kFileLimit);
    std::vector<DeletedItem> items;
    if (!text) return items;
    std::size_t lineNumber = 0;
    const bool good = history::forEachLine(*text, lineNumber, [&](std::string_view line) {
        if (lineNumber == 1) return line == kHeader;
        DeletedItem item;
        if (!parse(line, item)) return false;
        items.push_back(item);
        return true;
    });
    if (!good || lineNumber == 0)
        throw EInOutError(kReadBeyondEnd, file + ": line " +
                                              std::to_string(std::max<std::size_t>(lineNumber, 1)) +
                                              " is no line of the deleted items; nothing was changed");
    return items;
}

void DeletedItems::write(const std::vector<DeletedItem>& items) const {
    std::string text(kHeader);
    text += '\n';
    for (const DeletedItem& item : items)
        appendLine(text, item);
    history::writeStoreFile(path(true), collectionPath_, text);
}

std::vector<DeletedItem> DeletedItems::list() const {
    std::vector<DeletedItem> items = oldestFirst();
    std::reverse(items.begin(), items.end());
    return items;
}

DeletedItem DeletedItems::keep(const TFigureRecord& record) {
    std::vector<DeletedItem> items = oldestFirst();
    const DeletedItem kept{history::timeNow(), record};
    items.push_back(kept);
    if (items.size() > kDeletedItemsKept)
        items.erase(items.begin(), items.end() - std::ptrdiff_t(kDeletedItemsKept));
    write(items);
    return kept;
}

std::optional<DeletedItem> DeletedItems::newest(std::string_view name) const {
    const std::string key = nameKey(name);
    const std::vector<DeletedItem> items = oldestFirst();
    for (auto it = items.rbegin(); it != items.rend(); ++it)
        if (nameKey(it->record.FigureName.view()) == key) return *it;
    return std::nullopt;
}

void DeletedItems::forget(const DeletedItem& item) {
    const std::string key = nameKey(item.record.FigureName.view());
    std::vector<DeletedItem> items = oldestFirst();
    for (auto it = items.rbegin(); it != items.rend(); ++it) {
        if (it->time == item.time && nameKey(it->record.FigureName.view()) == key) {
            items.erase(std::next(it).base());
            write(items);
            return;
        }
    }
}

} // namespace vitrinex
