#include "undo/ChangeRecorder.h"

#include "collection/CollectionFile.h"
#include "collection/InOutError.h"
#include "collection/Win1252.h"

#include <deque>
#include <memory>
#include <set>
#include <unistd.h>

namespace vitrinex {
namespace {

// The records of a collection file in its order, read ahead of a rewrite of the same file in place
// (see ahead()), so that the writer never overwrites a record not yet read.
class FileRecords {
public:
    explicit FileRecords(const std::string& path) {
        if (::access(path.c_str(), F_OK) != 0) return; // gone: written anew
        fd_ = openRegularFile(path);
        if (!readOne(&header)) header = blankCollectionHeader();
    }
    ~FileRecords() {
        if (fd_ >= 0) ::close(fd_);
    }
    FileRecords(const FileRecords&) = delete;
    FileRecords& operator=(const FileRecords&) = delete;

    // The next record, nullptr after the last whole one.
    const TFigureRecord* next() {
        if (ahead_.empty() && !fill()) return nullptr;
        current_ = ahead_.front();
        ahead_.pop_front();
        return &current_;
    }
    // Reads every record up to `position` (from 0) before the writer may write over it.
    void ahead(std::uint64_t position) {
        while (read_ <= position && fill()) {
        }
    }
    TCollectionHeader header = blankCollectionHeader();

private:
    bool readOne(void* into) {
        if (fd_ < 0) return false;
        auto* p = static_cast<char*>(into);
        std::size_t done = 0;
        while (done < kRecordSize) {
            const ssize_t n = ::read(fd_, p + done, kRecordSize - done);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) throw EInOutError::fromErrno(errno);
            if (n == 0) return false; // the end, or a torn last record, which is no record
            done += static_cast<std::size_t>(n);
        }
        return true;
    }
    bool fill() {
        TFigureRecord record;
        if (!readOne(&record)) return false;
        ahead_.push_back(record);
        ++read_;
        return true;
    }
    int fd_ = -1;
    std::deque<TFigureRecord> ahead_;
    TFigureRecord current_{};
    std::uint64_t read_ = 0;
};

// The records `step` gives on the side `direction` from the file `path`, which holds the other side
// and is about to be rewritten with them.
OpenCollection::RecordSource replayed(const ChangeStep& step, Replay direction, const std::string& path) {
    auto file = std::make_shared<FileRecords>(path);
    auto records = std::make_shared<OpenCollection::RecordSource>(
        step.replay(direction, [file]() { return file->next(); }));
    auto written = std::make_shared<std::uint64_t>(0);
    return [file, records, written]() -> const TFigureRecord* {
        file->ahead((*written)++);
        return (*records)();
    };
}

std::uint64_t liveCount(const OpenCollection& c) {
    std::uint64_t n = 0;
    c.forEachPreOrder([&n](const TFigureNode& node) { n += isDeletedRecord(node.Record) ? 0 : 1; });
    return n;
}

// The records memory holds, in its tree's order.
OpenCollection::RecordSource liveRecords(const TFigureNode* root) {
    auto walk = std::make_shared<PreOrderWalk<const TFigureNode>>(root);
    return [walk]() -> const TFigureRecord* {
        while (const TFigureNode* node = walk->next())
            if (!isDeletedRecord(node->Record)) return &node->Record;
        return nullptr;
    };
}

// Whether memory holds an item of that name, the current item kept. Every writer writes the items
// memory holds.
std::function<bool(std::string_view)> holdsName(OpenCollection& c) {
    return [&c](std::string_view name) {
        TFigureNode* current = c.currentItem();
        const bool found = c.FindItem(name) != nullptr;
        c.selectNode(current);
        return found;
    };
}

} // namespace

void ChangeRecorder::begin(const OpenCollection& c, const std::string& text) {
    text_ = &text;
    active_ = false;
    stepId_.reset();
    step_ = ChangeStep();
    photoKeys_.clear();
    photoCommand_ = false;
    if (!c.isOpen() || c.readOnly()) return;
    log_.emplace(c.fileName());
    log_->load();
    path_ = c.fileName();
    identityAtBegin_ = currentIdentity(path_);
    active_ = true;
}

std::map<std::string, std::vector<Photo>>
ChangeRecorder::photosOf(const std::vector<std::string>& keys) const {
    std::map<std::string, std::vector<Photo>> out;
    if (keys.empty()) return out;
    const PhotoIndex index = PhotoStore(path_).index();
    for (const std::string& key : keys) {
        const auto it = index.items.find(key);
        if (it != index.items.end()) out[key] = it->second;
    }
    return out;
}

void ChangeRecorder::takePhotosBefore() {
    std::set<std::string> keys;
    for (const auto& names : {step_.namesBefore(), step_.namesAfter()})
        for (const std::string& name : names)
            keys.insert(nameKey(name));
    photoKeys_.assign(keys.begin(), keys.end());
    step_.photosBefore = photosOf(photoKeys_);
    step_.photosAfter = step_.photosBefore;
}

OpenCollection::RecordSource ChangeRecorder::beforeWrite(OpenCollection& c,
                                                         const OpenCollection::RecordSource& records) {
    if (!active_ || replaying_) return records;
    // A second write of one command (what memory held first, then the command's own).
    if (stepId_) {
        log_->complete(currentIdentity(path_));
        stepId_.reset();
    }
    // The records to be written pass once, beside the file's; only what differs is kept, and the
    // write then takes them from the file and the step.
    step_ = ChangeStep();
    step_.headerAfter = c.headerRecord();
    {
        FileRecords file(path_);
        step_.headerBefore = file.header;
        // The writer leaves deleted records out, and so does the step.
        StepAligner aligner(
            step_, false,
            [&records]() -> const TFigureRecord* {
                const TFigureRecord* record = records();
                while (record && isDeletedRecord(*record))
                    record = records();
                return record;
            },
            holdsName(c));
        while (const TFigureRecord* record = file.next()) {
            aligner.push(*record);
            ++step_.countBefore;
        }
        aligner.finish();
        step_.countAfter = aligner.pulledCount();
    }
    if (step_.changesFile()) {
        takePhotosBefore();
        stepId_ = log_->begin(step_, *text_, currentIdentity(path_));
    }
    return replayed(step_, Replay::Forward, path_);
}

void ChangeRecorder::beforeReplace(OpenCollection& present, const OpenCollection& replacement) {
    if (!active_) return;
    if (stepId_) {
        log_->complete(currentIdentity(path_));
        stepId_.reset();
    }
    // The replacement is pushed; the file as it is now is the side looked up, by the names memory
    // holds of it.
    step_ = ChangeStep();
    FileRecords file(path_);
    step_.headerBefore = file.header;
    step_.headerAfter = replacement.headerRecord();
    step_.countAfter = liveCount(replacement);
    StepAligner aligner(
        step_, true, [&file] { return file.next(); }, holdsName(present));
    const auto next = liveRecords(replacement.ItemTree());
    while (const TFigureRecord* record = next())
        aligner.push(*record);
    aligner.finish();
    step_.countBefore = aligner.pulledCount();
    takePhotosBefore();
    stepId_ = log_->begin(step_, *text_, currentIdentity(path_));
}

void ChangeRecorder::photosAhead(std::string_view name) {
    if (!active_) return;
    photoCommand_ = true;
    photoKeys_ = {nameKey(name)};
    step_.photosBefore = photosOf(photoKeys_);
    log_->keepPhotosAhead(step_.photosBefore);
}

void ChangeRecorder::finish(const OpenCollection& c, const std::string& text) {
    if (!active_) return;
    active_ = false;
    if (stepId_) {
        try {
            step_.photosAfter = photosOf(photoKeys_);
            if (step_.photosAfter != step_.photosBefore) log_->rewriteStep(*stepId_, step_);
        } catch (const EInOutError&) {
            // The step stays without the photos' move; its records are what matters.
        }
        log_->complete(currentIdentity(path_), text);
        return;
    }
    if (photoCommand_) {
        step_.photosAfter = photosOf(photoKeys_);
        if (step_.photosAfter == step_.photosBefore) return;
        step_.headerBefore = step_.headerAfter = c.headerRecord();
        step_.countBefore = step_.countAfter = liveCount(c);
        const std::optional<FileIdentity> now = currentIdentity(path_);
        log_->begin(step_, text, now);
        log_->complete(now);
        return;
    }
    log_->follow(identityAtBegin_, currentIdentity(path_));
}

void ChangeRecorder::fail() {
    if (!active_) return;
    active_ = false;
    // Read again, the log settles its pending step against the file as the failure left it.
    if (stepId_) log_.reset();
}

std::string ChangeRecorder::replay(OpenCollection& c, Replay direction) {
    if (!active_)
        throw EUndoRefused(c.readOnly() ? readOnlyRefusalMessage(c.fileName()).text : "nothing to undo");
    const bool back = direction == Replay::Back;
    const LoggedStep* chosen = back ? log_->undoable() : log_->redoable();
    if (!chosen) throw EUndoRefused(back ? "nothing to undo" : "nothing to redo");
    const std::optional<FileIdentity> now = currentIdentity(c.fileName());
    if (!log_->describes(now))
        throw EUndoRefused("'" + c.fileName() +
                           "' was changed since its last logged change by something that keeps no log "
                           "(another program, or a copy put back by hand); nothing was " +
                           (back ? "undone" : "redone"));
    if (now != c.diskIdentity()) throw EChangedElsewhere(c.fileName());
    const LoggedStep logged = *chosen;
    const ChangeStep step = log_->readStep(logged.id);
    log_->beginReplay(logged.id, direction, now);
    replaying_ = true;
    try {
        c.takeHeader(back ? step.headerBefore : step.headerAfter);
        c.writeCollection(replayed(step, direction, path_));
    } catch (...) {
        replaying_ = false;
        log_.reset(); // settled when read again
        try {
            c.ReloadCollection();
        } catch (const std::exception&) {
        }
        throw;
    }
    replaying_ = false;
    log_->complete(c.diskIdentity());
    c.ReloadCollection();
    // The photo entries of the side written; an item that has none on that side loses its entries.
    std::map<std::string, std::vector<Photo>> entries = back ? step.photosBefore : step.photosAfter;
    for (const auto& entry : back ? step.photosAfter : step.photosBefore)
        entries.try_emplace(entry.first);
    PhotoStore(c.fileName()).setEntries(entries);
    active_ = false;
    return logged.text;
}

} // namespace vitrinex
