#include "history/PriceHistory.h"

#include "collection/CollectionData.h"
#include "collection/FigureRecord.h"
#include "collection/InOutError.h"
#include "collection/SafeFile.h"
#include "history/HistoryFiles.h"

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vitrinex {
namespace {

constexpr std::string_view kHeader = "vitrinex-prices 1";
// A step of a million points is some tens of megabytes; a segment beyond this is none of ours.
constexpr std::size_t kSegmentReadLimit = std::size_t(1) << 30;
constexpr std::size_t kSegmentNameLength = 20;

std::string escaped(std::string_view text) {
    std::string out;
    appendEscaped(out, text);
    return out;
}

// The segments' numbers, oldest first.
std::vector<std::uint64_t> segmentNumbers(const std::string& folder) {
    std::vector<std::uint64_t> numbers;
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) {
        if (errno == ENOENT) return numbers;
        throw EInOutError::fromErrno(errno, folder);
    }
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name = entry->d_name;
        if (name.size() != kSegmentNameLength ||
            !std::all_of(name.begin(), name.end(), [](char c) { return c >= '0' && c <= '9'; }))
            continue;
        numbers.push_back(std::stoull(std::string(name)));
    }
    ::closedir(dir);
    std::sort(numbers.begin(), numbers.end());
    return numbers;
}

std::string segmentPath(const std::string& folder, std::uint64_t number) {
    std::string name = std::to_string(number);
    name.insert(0, kSegmentNameLength - std::min(kSegmentNameLength, name.size()), '0');
    return folder + "/" + name;
}

bool isSource(std::string_view text) {
    for (const PriceSource s :
         {PriceSource::Add, PriceSource::Edit, PriceSource::Import, PriceSource::Update})
        if (text == sourceName(s)) return true;
    return false;
}

// A line split at its tabs into `count` fields (the tag first); false for another count.
bool split(std::string_view line, std::string_view* out, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t tab = line.find('\t');
        if ((tab == std::string_view::npos) != (i + 1 == count)) return false;
        out[i] = line.substr(0, tab);
        line = tab == std::string_view::npos ? std::string_view() : line.substr(tab + 1);
    }
    return true;
}

// Whether every backslash of an escaped field starts an escape unescape() reads.
bool validEscapes(std::string_view field) {
    for (std::size_t at = field.find('\\'); at != std::string_view::npos; at = field.find('\\', at + 2))
        if (at + 1 == field.size() || std::string_view("\\tnr").find(field[at + 1]) == std::string_view::npos)
            return false;
    return true;
}

// One line of a segment: a step ("s", time, source), a point ("p", key, price, net change) or a
// rename ("r", time, from, to); keys and texts escaped.
struct SegmentLine {
    std::string_view field[4];
    std::size_t step = 0; // a point's step line
};

std::vector<SegmentLine> parseSegment(const std::string& path, const std::string& text) {
    std::vector<SegmentLine> lines;
    std::size_t lineNumber = 0, step = 0;
    bool inStep = false;
    const bool good = history::forEachLine(text, lineNumber, [&](std::string_view line) {
        if (lineNumber == 1) return line == kHeader;
        SegmentLine l;
        if (line.starts_with("s\t")) {
            if (!split(line, l.field, 3) || !isSource(l.field[2])) return false;
            inStep = true;
            step = lines.size();
        } else if (line.starts_with("p\t")) {
            if (!inStep || !split(line, l.field, 4)) return false;
            l.step = step;
        } else if (line.starts_with("r\t")) {
            if (!split(line, l.field, 4)) return false;
            inStep = false;
        } else {
            return false;
        }
        for (const std::string_view f : l.field)
            if (!validEscapes(f)) return false;
        lines.push_back(l);
        return true;
    });
    if (!good || lineNumber == 0)
        throw EInOutError(kReadBeyondEnd, path + ": line " +
                                              std::to_string(std::max<std::size_t>(lineNumber, 1)) +
                                              " is no line of a price history; nothing was changed");
    return lines;
}

std::string unescaped(std::string_view text) {
    std::string out;
    unescape(text, out);
    return out;
}

} // namespace

const char* sourceName(PriceSource source) {
    switch (source) {
    case PriceSource::Add:
        return "add";
    case PriceSource::Edit:
        return "edit";
    case PriceSource::Import:
        return "import";
    case PriceSource::Update:
        return "update";
    }
    return "";
}

PriceHistory::PriceHistory(std::string collectionPath) : collectionPath_(std::move(collectionPath)) {}

void PriceHistory::record(PriceSource source, const std::vector<PriceEntry>& entries) {
    if (entries.empty()) return;
    std::string lines = "s\t" + history::timeNow() + "\t" + sourceName(source) + "\n";
    for (const PriceEntry& e : entries) {
        lines += "p\t";
        appendEscaped(lines, nameKey(e.name));
        lines += '\t';
        appendEscaped(lines, e.price);
        lines += '\t';
        appendEscaped(lines, e.netChange);
        lines += '\n';
    }
    appendStep(lines);
}

void PriceHistory::rename(std::string_view from, std::string_view to) {
    const std::string fromKey = nameKey(from), toKey = nameKey(to);
    if (fromKey == toKey) return;
    appendStep("r\t" + history::timeNow() + "\t" + escaped(fromKey) + "\t" + escaped(toKey) + "\n");
}

void PriceHistory::appendStep(const std::string& lines) {
    const std::string folder = collectionDataFolder(collectionPath_, true) + "/prices";
    makePrivateFolder(folder);
    const std::vector<std::uint64_t> numbers = segmentNumbers(folder);
    std::uint64_t number = numbers.empty() ? 1 : numbers.back() + 1;
    std::string text = std::string(kHeader) + "\n";
    if (!numbers.empty()) {
        // The newest segment takes a small step while it stays small; a damaged one is left as it is.
        const std::string last = segmentPath(folder, numbers.back());
        struct stat st {};
        if (::lstat(last.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
            std::size_t(st.st_size) + lines.size() <= kPriceSegmentBytes) {
            const std::optional<std::string> held = history::readStoreFile(last, kPriceSegmentBytes);
            if (held && held->starts_with(text) && held->ends_with('\n')) {
                text = *held;
                number = numbers.back();
            }
        }
    }
    text += lines;
    history::writeStoreFile(segmentPath(folder, number), collectionPath_, text);

    // The oldest segments go while the history is beyond its size; the newest always stays.
    std::vector<std::uint64_t> all = segmentNumbers(folder);
    std::vector<std::uint64_t> sizes;
    std::uint64_t total = 0;
    for (const std::uint64_t n : all) {
        struct stat st {};
        sizes.push_back(::lstat(segmentPath(folder, n).c_str(), &st) == 0 ? std::uint64_t(st.st_size) : 0);
        total += sizes.back();
    }
    bool removed = false;
    for (std::size_t i = 0; i + 1 < all.size() && total > kPriceHistoryBytes; ++i) {
        ::unlink(segmentPath(folder, all[i]).c_str());
        total -= sizes[i];
        removed = true;
    }
    if (removed) safefile::syncFolder(folder);
}

std::vector<PricePoint> PriceHistory::points(std::string_view name) const {
    std::vector<PricePoint> points;
    const std::string dataFolder = collectionDataFolder(collectionPath_, false);
    const std::string folder = dataFolder + "/prices";
    struct stat st {};
    if (::lstat(folder.c_str(), &st) != 0) return points;
    requireOwnFolder(folder);
    // From the newest step back: a rename to the item's key gives the key it had before, a rename
    // away from it ends the record (an earlier item of that name).
    std::string alias = escaped(nameKey(name));
    const std::vector<std::uint64_t> numbers = segmentNumbers(folder);
    bool ended = false;
    for (auto n = numbers.rbegin(); n != numbers.rend() && !ended; ++n) {
        const std::string path = segmentPath(folder, *n);
        const std::optional<std::string> text = history::readStoreFile(path, kSegmentReadLimit);
        if (!text) continue;
        // A segment that names neither the item nor any rename is passed over unparsed (an update's
        // step of a million other items), once its header shows it is one.
        if (text->starts_with(std::string(kHeader) + "\n") &&
            text->find("\np\t" + alias + "\t") == std::string::npos &&
            text->find("\nr\t") == std::string::npos)
            continue;
        const std::vector<SegmentLine> lines = parseSegment(path, *text);
        for (auto l = lines.rbegin(); l != lines.rend() && !ended; ++l) {
            const char tag = l->field[0][0];
            if (tag == 'p' && l->field[1] == alias) {
                const SegmentLine& step = lines[l->step];
                points.push_back({unescaped(step.field[1]), unescaped(l->field[2]), unescaped(l->field[3]),
                                  std::string(step.field[2])});
            } else if (tag == 'r' && l->field[3] == alias) {
                alias = std::string(l->field[2]);
            } else if (tag == 'r' && l->field[2] == alias) {
                ended = true;
            }
        }
    }
    std::reverse(points.begin(), points.end());
    return points;
}

} // namespace vitrinex
