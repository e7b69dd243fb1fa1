#include "undo/ChangeLog.h"

#include "collection/CollectionData.h"
#include "collection/InOutError.h"
#include "collection/SafeFile.h"

#include <QDateTime>

#include <algorithm>
#include <charconv>
#include <csignal>
#include <cstdlib>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace vitrinex {
namespace {

constexpr std::string_view kListHeader = "vitrinex-changes 1";
// A list of kStepsKept lines is a few kilobytes; a step file at most what one change wrote.
constexpr std::int64_t kListByteLimit = std::int64_t(1) << 20;
constexpr std::int64_t kStepByteLimit = std::int64_t(16) << 30;

std::string readOwnFile(const std::string& path, std::int64_t limit) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) return {};
    if (!S_ISREG(st.st_mode) || st.st_uid != ::geteuid() || st.st_size > limit)
        throw EInOutError(kAccessDenied,
                          "File access denied: " + path + " is no file of this user's change log");
    const int fd = openRegularFile(path, O_RDONLY | O_NOFOLLOW);
    std::string bytes(static_cast<std::size_t>(st.st_size), '\0');
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::read(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += static_cast<std::size_t>(n);
    }
    ::close(fd);
    bytes.resize(done);
    return bytes;
}

void writeOwnFile(const std::string& path, std::string_view bytes) {
    FileReplacement file(path, 0600);
    file.write(bytes.data(), bytes.size());
    file.commit();
}

std::string escaped(std::string_view text) {
    std::string out;
    for (char c : text) {
        if (c == '\\')
            out += "\\\\";
        else if (c == '\t')
            out += "\\t";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\r')
            out += "\\r";
        else
            out += c;
    }
    return out;
}

std::string unescaped(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        const char c = text[++i];
        out += c == 't' ? '\t' : c == 'n' ? '\n' : c == 'r' ? '\r' : c;
    }
    return out;
}

std::vector<std::string> fields(const std::string& line) {
    std::vector<std::string> out;
    std::istringstream in(line);
    std::string field;
    while (std::getline(in, field, '\t'))
        out.push_back(field);
    return out;
}

template <typename T> bool number(const std::string& text, T& out) {
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
    return ec == std::errc() && end == text.data() + text.size();
}

std::string identityText(const std::optional<FileIdentity>& id) {
    if (!id) return "none";
    return std::to_string(id->device) + '\t' + std::to_string(id->inode) + '\t' + std::to_string(id->size) +
           '\t' + std::to_string(id->modifiedNs);
}

// Reads an identity from four fields from `at` (or "none").
bool readIdentity(const std::vector<std::string>& f, std::size_t at, std::optional<FileIdentity>& out) {
    if (f.size() > at && f[at] == "none") {
        out.reset();
        return true;
    }
    FileIdentity id;
    if (f.size() < at + 4 || !number(f[at], id.device) || !number(f[at + 1], id.inode) ||
        !number(f[at + 2], id.size) || !number(f[at + 3], id.modifiedNs))
        return false;
    out = id;
    return true;
}

// Tests stop a process here to see what a kill between the log's write and the file's leaves.
void crashPoint(const char* step) {
    const char* wanted = std::getenv("VITRINEX_TEST_KILL_AT");
    if (wanted && std::string_view(wanted) == step) ::raise(SIGKILL);
}

} // namespace

ChangeLog::ChangeLog(std::string collectionPath) : collectionPath_(std::move(collectionPath)) {}

std::string ChangeLog::folder(bool create) const {
    const std::string f = collectionDataFolder(collectionPath_, create) + "/changes";
    if (create) makePrivateFolder(f);
    return f;
}

std::string ChangeLog::stepPath(std::uint64_t id) const {
    return folder(false) + "/step-" + std::to_string(id);
}

const LoggedStep* ChangeLog::undoable() const {
    for (auto it = steps_.rbegin(); it != steps_.rend(); ++it)
        if (!it->undone) return &*it;
    return nullptr;
}

const LoggedStep* ChangeLog::redoable() const {
    for (const LoggedStep& s : steps_)
        if (s.undone) return &s;
    return nullptr;
}

void ChangeLog::load() {
    steps_.clear();
    file_.reset();
    pending_.reset();
    nextId_ = 1;
    const std::string path = folder(false) + "/log";
    const std::string text = readOwnFile(path, kListByteLimit);
    if (text.empty()) return;
    std::istringstream lines(text);
    std::string line;
    std::size_t number_ = 0;
    const auto bad = [&] {
        steps_.clear();
        throw EInOutError(kReadBeyondEnd,
                          path + ": line " + std::to_string(number_) + " is no line of a change log");
    };
    while (std::getline(lines, line)) {
        ++number_;
        const std::vector<std::string> f = fields(line);
        if (number_ == 1) {
            if (line != kListHeader) bad();
        } else if (f.size() == 2 && f[0] == "next") {
            if (!number(f[1], nextId_)) bad();
        } else if (!f.empty() && f[0] == "file") {
            if (!readIdentity(f, 1, file_)) bad();
        } else if (f.size() >= 3 && f[0] == "pending") {
            Pending p{Pending::Kind::Do, 0, std::nullopt};
            p.kind = f[1] == "undo"   ? Pending::Kind::Undo
                     : f[1] == "redo" ? Pending::Kind::Redo
                                      : Pending::Kind::Do;
            if (!number(f[2], p.id) || !readIdentity(f, 3, p.before)) bad();
            pending_ = p;
        } else if (f.size() == 7 && f[0] == "step") {
            LoggedStep s;
            if (!number(f[1], s.id) || (f[2] != "done" && f[2] != "undone") || !number(f[3], s.items) ||
                !number(f[4], s.bytes))
                bad();
            s.undone = f[2] == "undone";
            s.time = f[5];
            s.text = unescaped(f[6]);
            steps_.push_back(std::move(s));
        } else {
            bad();
        }
    }
    settle();
}

void ChangeLog::writeList() {
    std::string text(kListHeader);
    text += "\nnext\t" + std::to_string(nextId_) + "\nfile\t" + identityText(file_) + '\n';
    if (pending_) {
        const char* kind = pending_->kind == Pending::Kind::Undo   ? "undo"
                           : pending_->kind == Pending::Kind::Redo ? "redo"
                                                                   : "do";
        text += std::string("pending\t") + kind + '\t' + std::to_string(pending_->id) + '\t' +
                identityText(pending_->before) + '\n';
    }
    for (const LoggedStep& s : steps_)
        text += "step\t" + std::to_string(s.id) + '\t' + (s.undone ? "undone" : "done") + '\t' +
                std::to_string(s.items) + '\t' + std::to_string(s.bytes) + '\t' + s.time + '\t' +
                escaped(s.text) + '\n';
    writeOwnFile(folder(true) + "/log", text);
}

ChangeStep ChangeLog::readStep(std::uint64_t id) const {
    const std::string path = stepPath(id);
    const std::string bytes = readOwnFile(path, kStepByteLimit);
    if (bytes.empty()) throw EInOutError(kFileNotFound, path + ": the step's file is missing");
    return ChangeStep::decode(bytes, path);
}

void ChangeLog::writeStepFile(std::uint64_t id, const ChangeStep& step) {
    folder(true);
    keepPhotos(std::to_string(id), &step);
    const std::string bytes = step.encode();
    writeOwnFile(stepPath(id), bytes);
    for (LoggedStep& s : steps_)
        if (s.id == id) s.bytes = bytes.size();
}

void ChangeLog::keepPhotos(const std::string& tag, const ChangeStep* step) {
    const std::string path = changeLogPhotoIndex(collectionPath_);
    PhotoIndex kept = PhotoIndex::read(path, collectionPath_);
    const std::string prefix = tag + '\t';
    std::erase_if(kept.items, [&](const auto& entry) { return entry.first.starts_with(prefix); });
    std::erase_if(kept.items, [&](const auto& entry) {
        // The photos kept ahead of a step go once it is logged; those of steps gone with it.
        const std::string owner = entry.first.substr(0, entry.first.find('\t'));
        if (owner == "ahead") return step != nullptr;
        std::uint64_t id = 0;
        if (!number(owner, id)) return true;
        return std::none_of(steps_.begin(), steps_.end(), [id](const LoggedStep& s) { return s.id == id; });
    });
    if (step)
        for (const auto* side : {&step->photosBefore, &step->photosAfter})
            for (const auto& [key, photos] : *side)
                if (!photos.empty()) kept.items[prefix + key] = photos;
    if (kept.items.empty() && ::access(path.c_str(), F_OK) != 0) return;
    writeOwnFile(path, kept.text());
}

void ChangeLog::keepPhotosAhead(const std::map<std::string, std::vector<Photo>>& photos) {
    ChangeStep ahead;
    ahead.photosBefore = photos;
    folder(true);
    const std::string path = changeLogPhotoIndex(collectionPath_);
    PhotoIndex kept = PhotoIndex::read(path, collectionPath_);
    for (const auto& [key, list] : photos)
        if (!list.empty()) kept.items["ahead\t" + key] = list;
    writeOwnFile(path, kept.text());
}

std::uint64_t ChangeLog::begin(const ChangeStep& step, const std::string& text,
                               const std::optional<FileIdentity>& before) {
    // A step that could be redone no longer fits after another change; none fits a file changed
    // by something that keeps no log.
    const bool fits = describes(before);
    for (std::size_t i = steps_.size(); i-- > 0;)
        if (!fits || steps_[i].undone) dropStep(i);
    LoggedStep logged;
    logged.id = nextId_++;
    logged.time = QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs).toStdString();
    logged.text = text;
    logged.items = step.items();
    steps_.push_back(logged);
    writeStepFile(logged.id, step);
    pending_ = Pending{Pending::Kind::Do, logged.id, before};
    file_ = before;
    writeList();
    crashPoint("change-logged");
    return logged.id;
}

void ChangeLog::beginReplay(std::uint64_t id, Replay direction, const std::optional<FileIdentity>& before) {
    for (LoggedStep& s : steps_)
        if (s.id == id) s.undone = direction == Replay::Back;
    pending_ = Pending{direction == Replay::Back ? Pending::Kind::Undo : Pending::Kind::Redo, id, before};
    writeList();
    crashPoint("change-logged");
}

void ChangeLog::complete(const std::optional<FileIdentity>& after, const std::string& text) {
    if (!pending_) return;
    if (pending_->kind == Pending::Kind::Do && !text.empty())
        for (LoggedStep& s : steps_)
            if (s.id == pending_->id) s.text = text;
    pending_.reset();
    file_ = after;
    keepWithinLimits();
    writeList();
}

void ChangeLog::abandon() {
    if (!pending_) return;
    takeBack(*pending_);
    pending_.reset();
    writeList();
}

void ChangeLog::rewriteStep(std::uint64_t id, const ChangeStep& step) {
    writeStepFile(id, step);
    writeList();
}

void ChangeLog::follow(const std::optional<FileIdentity>& before, const std::optional<FileIdentity>& after) {
    if (pending_ || before == after || !describes(before) || steps_.empty()) return;
    file_ = after;
    writeList();
}

void ChangeLog::takeBack(const Pending& p) {
    for (std::size_t i = 0; i < steps_.size(); ++i) {
        if (steps_[i].id != p.id) continue;
        if (p.kind == Pending::Kind::Do)
            dropStep(i);
        else
            steps_[i].undone = p.kind == Pending::Kind::Redo;
        break;
    }
}

void ChangeLog::settle() {
    if (!pending_) return;
    const Pending p = *pending_;
    pending_.reset();
    const std::optional<FileIdentity> now = currentIdentity(collectionPath_);
    bool happened = false;
    if (now != p.before) {
        // The written side: after the step for a new step or a redo, before it for an undo.
        const Replay written = p.kind == Pending::Kind::Undo ? Replay::Back : Replay::Forward;
        const Replay other = written == Replay::Back ? Replay::Forward : Replay::Back;
        try {
            const ChangeStep step = readStep(p.id);
            happened = step.fileHolds(collectionPath_, written);
            // A write put back by its journal leaves the old content under another identity.
            if (!happened && step.fileHolds(collectionPath_, other)) file_ = now;
        } catch (const EInOutError&) {
        }
    }
    if (happened)
        file_ = now;
    else
        takeBack(p);
    keepWithinLimits();
    writeList();
}

void ChangeLog::dropStep(std::size_t index) {
    ::unlink(stepPath(steps_[index].id).c_str());
    steps_.erase(steps_.begin() + static_cast<std::ptrdiff_t>(index));
}

void ChangeLog::keepWithinLimits() {
    // The newest step stays even when it alone is beyond the bytes kept.
    const auto total = [this] {
        std::uint64_t bytes = 0;
        for (const LoggedStep& s : steps_)
            bytes += s.bytes;
        return bytes;
    };
    bool dropped = false;
    while (steps_.size() > 1 && (steps_.size() > kStepsKept || total() > kBytesKept)) {
        dropStep(0);
        dropped = true;
    }
    if (dropped) keepPhotos("none", nullptr);
}

} // namespace vitrinex
