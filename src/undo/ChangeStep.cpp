#include "undo/ChangeStep.h"

#include "collection/InOutError.h"
#include "collection/SafeFile.h"

#include <cstring>
#include <memory>
#include <unistd.h>

namespace vitrinex {
namespace {

// The bytes of a record that a file holds as written: all but the link bytes.
constexpr std::size_t kSignificant = offsetof(TFigureRecord, Left);
// Unchanged bytes shorter than this between two changed ones stay inside one run.
constexpr std::size_t kRunGap = 8;
constexpr char kMagic[16] = {'v', 'i', 't', 'r', 'i', 'n', 'e', 'x', '-', 's', 't', 'e', 'p', ' ', '1', '\n'};

const unsigned char* bytesOf(const TFigureRecord& r) {
    return reinterpret_cast<const unsigned char*>(&r);
}

TFigureRecord withoutLinks(const TFigureRecord& r) {
    TFigureRecord copy = r;
    copy.Left = copy.Right = 0;
    return copy;
}

void putU16(std::string& out, std::size_t v) {
    out.push_back(static_cast<char>(v & 0xff));
    out.push_back(static_cast<char>((v >> 8) & 0xff));
}

std::size_t getU16(const char* p) {
    return static_cast<std::size_t>(static_cast<unsigned char>(p[0])) |
           static_cast<std::size_t>(static_cast<unsigned char>(p[1])) << 8;
}

template <typename T> void put(std::string& out, const T& value) {
    out.append(reinterpret_cast<const char*>(&value), sizeof value);
}

// Reads the encoded step, each read checked against its end.
class Reader {
public:
    Reader(std::string_view bytes, const std::string& origin) : rest_(bytes), origin_(origin) {}
    template <typename T> T take() {
        T value;
        std::memcpy(&value, need(sizeof value), sizeof value);
        return value;
    }
    std::string_view takeBytes(std::size_t n) { return {need(n), n}; }
    bool atEnd() const { return rest_.empty(); }
    [[noreturn]] void fail() const {
        throw EInOutError(kReadBeyondEnd, origin_ + ": no step of a change log");
    }

private:
    const char* need(std::size_t n) {
        if (rest_.size() < n) fail();
        const char* p = rest_.data();
        rest_.remove_prefix(n);
        return p;
    }
    std::string_view rest_;
    const std::string& origin_;
};

// Reads `size` bytes at `offset` of the open file; false when the file ends first.
bool readAt(int fd, std::uint64_t offset, void* into, std::size_t size) {
    auto* p = static_cast<char*>(into);
    while (size > 0) {
        const ssize_t n = ::pread(fd, p, size, static_cast<off_t>(offset));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) throw EInOutError::fromErrno(errno);
        if (n == 0) return false;
        p += n;
        size -= static_cast<std::size_t>(n);
        offset += static_cast<std::uint64_t>(n);
    }
    return true;
}

std::uint64_t recordOffset(std::uint64_t position) {
    return (position + 1) * kRecordSize;
}

} // namespace

bool ChangeStep::sameRecord(const TFigureRecord& a, const TFigureRecord& b) {
    return std::memcmp(&a, &b, kSignificant) == 0;
}

void ChangeStep::addRemoved(std::uint64_t position, const TFigureRecord& record) {
    removed_.push_back({position, withoutLinks(record)});
}

void ChangeStep::addAdded(std::uint64_t position, const TFigureRecord& record) {
    added_.push_back({position, withoutLinks(record)});
}

void ChangeStep::addChanged(std::uint64_t before, std::uint64_t after, const TFigureRecord& was,
                            const TFigureRecord& is) {
    const unsigned char* a = bytesOf(was);
    const unsigned char* b = bytesOf(is);
    Changed change{before, after, runs_.size(), 0};
    std::size_t i = 0;
    while (i < kSignificant) {
        if (a[i] == b[i]) {
            ++i;
            continue;
        }
        std::size_t end = i + 1, same = 0;
        for (std::size_t j = end; j < kSignificant && same < kRunGap; ++j) {
            if (a[j] == b[j]) {
                ++same;
            } else {
                same = 0;
                end = j + 1;
            }
        }
        putU16(runs_, i);
        putU16(runs_, end - i);
        runs_.append(reinterpret_cast<const char*>(a + i), end - i);
        runs_.append(reinterpret_cast<const char*>(b + i), end - i);
        ++change.count;
        i = end;
    }
    changed_.push_back(change);
}

void ChangeStep::applyRuns(const Changed& change, Replay direction, TFigureRecord& record) const {
    auto* bytes = reinterpret_cast<unsigned char*>(&record);
    std::size_t at = change.runs;
    for (std::uint32_t r = 0; r < change.count; ++r) {
        const std::size_t offset = getU16(runs_.data() + at), length = getU16(runs_.data() + at + 2);
        const char* wanted = runs_.data() + at + 4 + (direction == Replay::Forward ? length : 0);
        std::memcpy(bytes + offset, wanted, length);
        at += 4 + 2 * length;
    }
}

bool ChangeStep::changesFile() const {
    return !removed_.empty() || !added_.empty() || !changed_.empty() ||
           std::memcmp(&headerBefore, &headerAfter, sizeof headerBefore) != 0;
}

std::int64_t ChangeStep::items() const {
    const std::size_t records = changed_.size() + std::max(removed_.size(), added_.size());
    if (records > 0) return static_cast<std::int64_t>(records);
    std::map<std::string, int> keys;
    for (const auto* photos : {&photosBefore, &photosAfter})
        for (const auto& entry : *photos)
            keys[entry.first] = 1;
    return static_cast<std::int64_t>(keys.size());
}

std::vector<std::string> ChangeStep::namesBefore() const {
    std::vector<std::string> names;
    for (const Placed& p : removed_)
        names.push_back(p.record.FigureName.str());
    return names;
}

std::vector<std::string> ChangeStep::namesAfter() const {
    std::vector<std::string> names;
    for (const Placed& p : added_)
        names.push_back(p.record.FigureName.str());
    return names;
}

std::function<const TFigureRecord*()> ChangeStep::replay(Replay direction,
                                                         std::function<const TFigureRecord*()> source) const {
    const bool back = direction == Replay::Back;
    const std::vector<Placed>& dropped = back ? added_ : removed_;
    const std::vector<Placed>& inserted = back ? removed_ : added_;
    struct State {
        std::uint64_t in = 0, out = 0;
        std::size_t drop = 0, insert = 0, change = 0;
        TFigureRecord changed{};
    };
    auto state = std::make_shared<State>();
    return [this, back, direction, &dropped, &inserted, state,
            source = std::move(source)]() -> const TFigureRecord* {
        State& s = *state;
        for (;;) {
            if (s.insert < inserted.size() && inserted[s.insert].position == s.out) {
                ++s.out;
                return &inserted[s.insert++].record;
            }
            const TFigureRecord* record = source();
            if (!record) {
                // Records placed beyond the end of a shorter side.
                if (s.insert < inserted.size()) {
                    ++s.out;
                    return &inserted[s.insert++].record;
                }
                return nullptr;
            }
            const std::uint64_t at = s.in++;
            if (s.drop < dropped.size() && dropped[s.drop].position == at) {
                ++s.drop;
                continue;
            }
            ++s.out;
            if (s.change < changed_.size() &&
                (back ? changed_[s.change].after : changed_[s.change].before) == at) {
                s.changed = *record;
                applyRuns(changed_[s.change++], direction, s.changed);
                return &s.changed;
            }
            return record;
        }
    };
}

bool ChangeStep::fileHolds(const std::string& path, Replay side) const {
    const bool before = side == Replay::Back;
    const std::uint64_t count = before ? countBefore : countAfter;
    if (::access(path.c_str(), F_OK) != 0) return false;
    const int fd = openRegularFile(path);
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    if (::lseek(fd, 0, SEEK_END) != static_cast<off_t>(recordOffset(count))) return false;
    TCollectionHeader header;
    if (!readAt(fd, 0, &header, sizeof header) ||
        std::memcmp(&header, before ? &headerBefore : &headerAfter, sizeof header) != 0)
        return false;
    TFigureRecord record;
    for (const Placed& p : before ? removed_ : added_)
        if (!readAt(fd, recordOffset(p.position), &record, sizeof record) || !sameRecord(record, p.record))
            return false;
    for (const Changed& c : changed_) {
        if (!readAt(fd, recordOffset(before ? c.before : c.after), &record, sizeof record)) return false;
        TFigureRecord expected = record;
        applyRuns(c, side, expected);
        if (!sameRecord(record, expected)) return false;
    }
    return true;
}

std::string ChangeStep::encode() const {
    std::string out(kMagic, sizeof kMagic);
    put(out, headerBefore);
    put(out, headerAfter);
    for (std::uint64_t n :
         {countBefore, countAfter, std::uint64_t(removed_.size()), std::uint64_t(added_.size()),
          std::uint64_t(changed_.size()), std::uint64_t(runs_.size())})
        put(out, n);
    for (const auto* side : {&removed_, &added_})
        for (const Placed& p : *side) {
            put(out, p.position);
            put(out, p.record);
        }
    for (const Changed& c : changed_) {
        put(out, c.before);
        put(out, c.after);
        put(out, std::uint64_t(c.runs));
        put(out, c.count);
    }
    out += runs_;
    for (const auto* photos : {&photosBefore, &photosAfter}) {
        const std::string text = PhotoIndex{*photos}.text();
        put(out, std::uint64_t(text.size()));
        out += text;
    }
    return out;
}

ChangeStep ChangeStep::decode(std::string_view bytes, const std::string& origin) {
    Reader in(bytes, origin);
    if (in.takeBytes(sizeof kMagic) != std::string_view(kMagic, sizeof kMagic)) in.fail();
    ChangeStep step;
    step.headerBefore = in.take<TCollectionHeader>();
    step.headerAfter = in.take<TCollectionHeader>();
    step.countBefore = in.take<std::uint64_t>();
    step.countAfter = in.take<std::uint64_t>();
    const auto removed = in.take<std::uint64_t>(), added = in.take<std::uint64_t>(),
               changed = in.take<std::uint64_t>(), runs = in.take<std::uint64_t>();
    if (removed > bytes.size() || added > bytes.size() || changed > bytes.size()) in.fail();
    for (auto* side : {&step.removed_, &step.added_})
        for (std::uint64_t i = 0, n = side == &step.removed_ ? removed : added; i < n; ++i) {
            const auto position = in.take<std::uint64_t>();
            side->push_back({position, in.take<TFigureRecord>()});
        }
    for (std::uint64_t i = 0; i < changed; ++i) {
        Changed c{};
        c.before = in.take<std::uint64_t>();
        c.after = in.take<std::uint64_t>();
        c.runs = static_cast<std::size_t>(in.take<std::uint64_t>());
        c.count = in.take<std::uint32_t>();
        step.changed_.push_back(c);
    }
    step.runs_ = std::string(in.takeBytes(static_cast<std::size_t>(runs)));
    // Every run must lie inside the runs and inside a record.
    for (const Changed& c : step.changed_) {
        std::size_t at = c.runs;
        for (std::uint32_t r = 0; r < c.count; ++r) {
            if (at + 4 > step.runs_.size()) in.fail();
            const std::size_t offset = getU16(step.runs_.data() + at),
                              length = getU16(step.runs_.data() + at + 2);
            if (offset + length > kSignificant || at + 4 + 2 * length > step.runs_.size()) in.fail();
            at += 4 + 2 * length;
        }
    }
    for (auto* photos : {&step.photosBefore, &step.photosAfter}) {
        const auto size = in.take<std::uint64_t>();
        if (size > bytes.size()) in.fail();
        *photos = PhotoIndex::parse(in.takeBytes(static_cast<std::size_t>(size)), origin).items;
    }
    if (!in.atEnd()) in.fail();
    return step;
}

StepAligner::StepAligner(ChangeStep& step, bool pushedIsAfter, std::function<const TFigureRecord*()> pulled,
                         std::function<bool(std::string_view name)> pulledHolds)
    : step_(step), pushedIsAfter_(pushedIsAfter), pulled_(std::move(pulled)),
      pulledHolds_(std::move(pulledHolds)) {}

const TFigureRecord* StepAligner::peek() {
    if (!peeked_) {
        next_ = pulled_();
        peeked_ = true;
    }
    return next_;
}

void StepAligner::pushedOnly(const TFigureRecord& record) {
    const std::uint64_t at = pushedPosition_++;
    if (pushedIsAfter_)
        step_.addAdded(at, record);
    else
        step_.addRemoved(at, record);
}

void StepAligner::pulledOnly(const TFigureRecord& record) {
    const std::uint64_t at = pulledPosition_++;
    peeked_ = false;
    if (pushedIsAfter_)
        step_.addRemoved(at, record);
    else
        step_.addAdded(at, record);
}

void StepAligner::paired(const TFigureRecord& pushedRecord, const TFigureRecord& pulledRecord) {
    const std::uint64_t pushedAt = pushedPosition_++, pulledAt = pulledPosition_++;
    peeked_ = false;
    if (ChangeStep::sameRecord(pushedRecord, pulledRecord)) return;
    if (pushedIsAfter_)
        step_.addChanged(pulledAt, pushedAt, pulledRecord, pushedRecord);
    else
        step_.addChanged(pushedAt, pulledAt, pushedRecord, pulledRecord);
}

void StepAligner::push(const TFigureRecord& record) {
    for (;;) {
        const TFigureRecord* other = peek();
        if (other && compareNameKeys(record.FigureName.view(), other->FigureName.view()) == 0) {
            paired(record, *other);
            return;
        }
        // A name the other side does not hold (any more), or held before this place, is this
        // side's only; one it holds later means the other side's record here is its own (a record
        // moved ahead, as a catalog update writes its matched items first).
        const std::string key = nameKey(record.FigureName.view());
        if (!other || pulledOnlyKeys_.erase(key) > 0 || !pulledHolds_(record.FigureName.view())) {
            pushedOnly(record);
            return;
        }
        pulledOnlyKeys_.insert(nameKey(other->FigureName.view()));
        pulledOnly(*other);
    }
}

void StepAligner::finish() {
    while (const TFigureRecord* other = peek())
        pulledOnly(*other);
}

} // namespace vitrinex
