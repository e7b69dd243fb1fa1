#include "collection/CollectionFile.h"

#include "collection/CollectionData.h"
#include "collection/CollectionLock.h"
#include "collection/InOutError.h"

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <mutex>
#include <optional>
#include <random>
#include <stdexcept>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>
#include <vector>

namespace vitrinex {
using namespace safefile;
namespace {

class FileDescriptor {
public:
    explicit FileDescriptor(int fd = -1) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }
    // Closes and reports the result, which for a written file can carry a late write error.
    int close() {
        const int rc = ::close(fd_);
        fd_ = -1;
        return rc;
    }
    int release() {
        const int fd = fd_;
        fd_ = -1;
        return fd;
    }

private:
    int fd_;
};

// Reads up to `size` bytes, retrying short reads; returns how many were read (less only at the end).
std::size_t readFully(int fd, char* buffer, std::size_t size, off_t offset = -1) {
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = offset < 0
                              ? ::read(fd, buffer + done, size - done)
                              : ::pread(fd, buffer + done, size - done, offset + static_cast<off_t>(done));
        if (n < 0) {
            if (errno == EINTR) continue;
            throw EInOutError::fromErrno(errno);
        }
        if (n == 0) break;
        done += static_cast<std::size_t>(n);
    }
    return done;
}

// Follows a symbolic link so that saving replaces the file it points to, not the link.
std::string resolveTarget(const std::string& path) {
    char resolved[PATH_MAX];
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode) && ::realpath(path.c_str(), resolved))
        return resolved;
    return path;
}

// Buffers records and writes them out in large blocks, checking every write.
class BlockWriter {
public:
    explicit BlockWriter(int fd) : fd_(fd) { buffer_.reserve(kBlock); }
    void append(const void* data, std::size_t size) {
        const char* bytes = static_cast<const char*>(data);
        // A block at least as large as the buffer goes out as it is, without a copy.
        if (buffer_.empty() && size >= kBlock) {
            writeOut(bytes, size);
            return;
        }
        buffer_.insert(buffer_.end(), bytes, bytes + size);
        if (buffer_.size() >= kBlock) flush();
    }
    std::size_t total() const { return total_ + buffer_.size(); }
    void flush() {
        writeOut(buffer_.data(), buffer_.size());
        buffer_.clear();
    }

private:
    void writeOut(const char* bytes, std::size_t size) {
        std::size_t done = 0;
        while (done < size) {
            const ssize_t n = doWrite(fd_, bytes + done, size - done);
            if (n < 0) {
                if (errno == EINTR) continue;
                throw EInOutError::fromErrno(errno);
            }
            if (n == 0) throw EInOutError::fromCode(kDiskFull);
            done += static_cast<std::size_t>(n);
        }
        total_ += size;
    }

    static constexpr std::size_t kBlock = 256 * kRecordSize;
    int fd_;
    std::size_t total_ = 0;
    std::vector<char> buffer_;
};

std::string baseName(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

void writeAll(int fd, const char* data, std::size_t size) {
    BlockWriter writer(fd);
    writer.append(data, size);
    writer.flush();
}

// Tests stop a saving process at a named step, to see what a crash there leaves behind.
void crashPoint(const char* step) {
    const char* wanted = std::getenv("VITRINEX_TEST_KILL_AT");
    if (wanted && std::strcmp(wanted, step) == 0) ::raise(SIGKILL);
}

// A rewrite in place works like a rollback journal: the old content is kept, flushed, in a journal
// before the file is touched, and the journal goes once the new content is flushed. A journal found
// later belongs to a save that was cut short, and puts the file back as it was.
struct JournalHeader {
    char magic[16];
    std::uint64_t device, inode, size; // the file it belongs to, and its old length
};
constexpr char kJournalMagic[16] = {'v', 'i', 't', 'r', 'i', 'n', 'e', 'x',
                                    '-', 'j', 'o', 'u', 'r', 'n', 'a', 'l'};

// Beside the collection, where anyone who opens it finds it.
std::string journalBeside(const std::string& target) {
    return folderOf(target) + "/." + baseName(target) + ".vitrinex-journal";
}

// A folder where nobody else can put a file of this user's under a name: its own, or a sticky one
// (where only a file's owner may rename or remove it).
bool trustedFolder(const std::string& folder) {
    struct stat st {};
    return ::lstat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode) &&
           (st.st_uid == ::geteuid() || (st.st_mode & S_ISVTX));
}

// A journal rewrites the collection when it is found, so only one that this user's program can have
// written counts: a regular file of this user's, readable by it alone, in a folder trusted as above.
bool trustedJournal(const std::string& journal) {
    struct stat st {};
    return ::lstat(journal.c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid() &&
           (st.st_mode & 077) == 0 && trustedFolder(folderOf(journal));
}

// The user's own place, for a collection whose folder takes no new file (or is not trusted): a
// 0700 folder of the user's data folder, named after the collection's full path. Empty when there
// is no such folder of the user's own (and `create` is false, or it cannot be made).
std::string privateJournal(const std::string& target, bool create) {
    std::string folder;
    try {
        folder = programDataFolder(create) + "/journals";
        if (create) {
            makePrivateFolder(folder);
        } else {
            requireOwnFolder(folder);
        }
    } catch (const EInOutError& e) {
        if (create)
            throw EInOutError(e.code(), std::string("the old content could not be kept: ") + e.what());
        return {};
    }
    char resolved[PATH_MAX];
    const std::string full = ::realpath(target.c_str(), resolved) ? std::string(resolved) : target;
    std::uint64_t hash = 14695981039346656037ull; // FNV-1a
    for (const unsigned char c : full)
        hash = (hash ^ c) * 1099511628211ull;
    char name[40];
    std::snprintf(name, sizeof name, "/%016llx.journal", static_cast<unsigned long long>(hash));
    return folder + name;
}

// Writes the journal of the locked file `source` (a temporary file renamed to its name, so that a
// journal is always whole) and returns its path.
std::string keepJournal(int source, const std::string& target, const FileIdentity& locked) {
    std::string journal = journalBeside(target);
    std::string folder = folderOf(target);
    std::random_device random;
    std::string temporary = folder + "/" + temporaryName(random());
    // A journal beside the file in a folder others may rename in would not be trusted when read.
    const bool besideTrusted = trustedFolder(folder);
    int fd = besideTrusted ? doCreate(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600) : -1;
    if (!besideTrusted || (fd < 0 && errno != EEXIST)) {
        journal = privateJournal(target, true);
        folder = folderOf(journal);
        removeLeftovers(folder);
        temporary = folder + "/" + temporaryName(random());
        fd = doCreate(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    }
    if (fd < 0)
        throw EInOutError(EInOutError::fromErrno(errno).code(), "the old content could not be kept in " +
                                                                    folder + ": " +
                                                                    EInOutError::fromErrno(errno).what());
    FileDescriptor copy(fd);
    try {
        JournalHeader header{};
        std::memcpy(header.magic, kJournalMagic, sizeof header.magic);
        header.device = locked.device;
        header.inode = locked.inode;
        header.size = static_cast<std::uint64_t>(locked.size);
        BlockWriter writer(fd);
        writer.append(&header, sizeof header);
        std::vector<char> buffer(256 * kRecordSize);
        for (off_t offset = 0;;) {
            const std::size_t n = readFully(source, buffer.data(), buffer.size(), offset);
            writer.append(buffer.data(), n);
            offset += static_cast<off_t>(n);
            if (n < buffer.size()) break;
        }
        writer.flush();
        if (writer.total() != sizeof header + header.size) throw EInOutError::fromCode(kReadBeyondEnd);
        if (doFsync(fd) != 0) throw EInOutError::fromErrno(errno);
        if (copy.close() != 0) throw EInOutError::fromErrno(errno);
        if (doRename(temporary.c_str(), journal.c_str()) != 0) throw EInOutError::fromErrno(errno, journal);
    } catch (...) {
        ::unlink(temporary.c_str());
        throw;
    }
    syncFolder(folder);
    return journal;
}

// Opens `target` for writing in place, making sure it is still the file that was locked.
int openSameFileForWriting(const std::string& target, const FileIdentity& locked) {
    const int fd = ::open(target.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) throw EInOutError::fromErrno(errno, target);
    struct stat st {};
    if (::fstat(fd, &st) != 0 || FileIdentity::of(st).inode != locked.inode ||
        FileIdentity::of(st).device != locked.device) {
        ::close(fd);
        throw EInOutError::fromCode(kAccessDenied);
    }
    return fd;
}

enum class Rollback { Done, Failed, NotThisFile };

// Puts the journal's old content back over the locked file. NotThisFile: the journal belongs to
// another file (the one it was kept for has since been replaced).
Rollback rollBack(const std::string& journal, const std::string& target, const FileIdentity& locked) {
    try {
        FileDescriptor in(::open(journal.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
        if (in.get() < 0) return Rollback::Failed;
        JournalHeader header{};
        struct stat st {};
        if (readFully(in.get(), reinterpret_cast<char*>(&header), sizeof header) != sizeof header ||
            std::memcmp(header.magic, kJournalMagic, sizeof header.magic) != 0 ||
            ::fstat(in.get(), &st) != 0 ||
            static_cast<std::uint64_t>(st.st_size) != sizeof header + header.size)
            return Rollback::Failed;
        if (header.device != locked.device || header.inode != locked.inode) return Rollback::NotThisFile;
        FileDescriptor out(openSameFileForWriting(target, locked));
        std::vector<char> buffer(256 * kRecordSize);
        for (;;) {
            const std::size_t n = readFully(in.get(), buffer.data(), buffer.size());
            writeAll(out.get(), buffer.data(), n);
            if (n < buffer.size()) break;
        }
        const bool ok = ::ftruncate(out.get(), static_cast<off_t>(header.size)) == 0 &&
                        doFsync(out.get()) == 0 && out.close() == 0;
        return ok ? Rollback::Done : Rollback::Failed;
    } catch (const EInOutError&) {
        return Rollback::Failed;
    }
}

bool removeJournal(const std::string& journal) {
    if (::unlink(journal.c_str()) != 0) return false;
    syncFolder(folderOf(journal));
    return true;
}

std::size_t writeProduced(int fd, const std::function<void(const ByteSink&)>& produce) {
    BlockWriter writer(fd);
    produce([&writer](const void* data, std::size_t size) { writer.append(data, size); });
    writer.flush();
    return writer.total();
}

// The journals of cut-short saves of `target` that exist now.
std::vector<std::string> journalsOf(const std::string& target) {
    std::vector<std::string> journals;
    for (const std::string& j : {journalBeside(target), privateJournal(target, false)})
        if (!j.empty() && trustedJournal(j)) journals.push_back(j);
    return journals;
}

// Puts the locked file back as its cut-short saves found it; true when there was one.
bool rollBackJournals(const std::string& target, const CollectionLock& lock) {
    bool recovered = false;
    for (const std::string& journal : journalsOf(target)) {
        switch (rollBack(journal, target, lock.identity())) {
        case Rollback::Done:
            recovered = true;
            [[fallthrough]];
        case Rollback::NotThisFile:
            removeJournal(journal);
            break;
        case Rollback::Failed:
            throw EInOutError(kAccessDenied,
                              "a save of this file was cut short, and its old content could not be "
                              "put back from " +
                                  journal);
        }
    }
    return recovered;
}

// Rewrites the locked file in place, keeping its owner, group, permissions and links, under the
// protection of a journal of its old content: a failure puts the old content back at once, a crash
// leaves the journal for the next open to put it back.
FileIdentity writeInPlace(const std::string& target, const CollectionLock& lock,
                          const std::function<void(const ByteSink&)>& produce) {
    // A journal left by a save that could not even put the old content back goes first: it, not the
    // file's present content, is what the new journal must keep.
    rollBackJournals(target, lock);
    const FileIdentity locked = lock.identity();
    const std::string journal = keepJournal(lock.descriptor(), target, locked);
    crashPoint("journal-kept");
    FileIdentity written;
    try {
        FileDescriptor file(openSameFileForWriting(target, locked));
        const std::size_t size = writeProduced(file.get(), produce);
        crashPoint("in-place-unflushed");
        if (::ftruncate(file.get(), static_cast<off_t>(size)) != 0) throw EInOutError::fromErrno(errno);
        if (doFsync(file.get()) != 0) throw EInOutError::fromErrno(errno);
        crashPoint("in-place-flushed");
        struct stat st {};
        ::fstat(file.get(), &st);
        written = FileIdentity::of(st);
        if (file.close() != 0) throw EInOutError::fromErrno(errno);
        if (!removeJournal(journal)) throw EInOutError::fromErrno(errno, journal);
    } catch (const EInOutError& e) {
        if (rollBack(journal, target, locked) == Rollback::Done && removeJournal(journal)) throw;
        throw EInOutError(e.code(), std::string(e.what()) + "; the previous content is kept in " + journal +
                                        " and is put back when the collection is next opened");
    } catch (...) {
        if (rollBack(journal, target, locked) == Rollback::Done) removeJournal(journal);
        throw;
    }
    crashPoint("saved");
    return written;
}

} // namespace

namespace {

// Reads into the places `parts` names, retrying short reads; returns how many bytes were read (less
// only at the end of the file).
std::size_t readScattered(int fd, iovec* parts, int count) {
    std::size_t done = 0;
    while (count > 0) {
        const ssize_t n = ::readv(fd, parts, count);
        if (n < 0) {
            if (errno == EINTR) continue;
            throw EInOutError::fromErrno(errno);
        }
        if (n == 0) break;
        done += static_cast<std::size_t>(n);
        // Skip the places filled; a place filled in part continues where the read stopped.
        for (std::size_t left = static_cast<std::size_t>(n); left > 0 && count > 0;) {
            if (left >= parts->iov_len) {
                left -= parts->iov_len;
                ++parts;
                --count;
            } else {
                parts->iov_base = static_cast<char*>(parts->iov_base) + left;
                parts->iov_len -= left;
                left = 0;
            }
        }
    }
    return done;
}

// Hands the records to a function, through a small buffer.
class CallbackReceiver : public RecordReceiver {
public:
    CallbackReceiver(const std::function<void(const TFigureRecord&)>& onRecord, const TornRecord& onTorn)
        : onRecord_(onRecord), onTorn_(onTorn) {}
    void torn(const TFigureRecord& partial, std::size_t bytes) override {
        if (!onTorn_) RecordReceiver::torn(partial, bytes);
        onTorn_(partial, bytes);
    }
    void expect(std::size_t records) override { batch_.resize(std::min<std::size_t>(kBatch, records + 1)); }
    std::size_t room(TFigureRecord** places, std::size_t wanted) override {
        const std::size_t n = std::min(wanted, batch_.size());
        for (std::size_t i = 0; i < n; ++i)
            places[i] = &batch_[i];
        return n;
    }
    void received(std::size_t count) override {
        for (std::size_t i = 0; i < count; ++i)
            onRecord_(batch_[i]);
    }

private:
    static constexpr std::size_t kBatch = 256;
    const std::function<void(const TFigureRecord&)>& onRecord_;
    const TornRecord& onTorn_;
    std::vector<TFigureRecord> batch_;
};

} // namespace

void RecordReceiver::torn(const TFigureRecord&, std::size_t) {
    throw EInOutError::fromCode(kReadBeyondEnd);
}

void readCollectionFile(const std::string& path, TCollectionHeader& header, RecordReceiver& receiver,
                        FileIdentity* identity) {
    FileDescriptor file(openRegularFile(path));
    const int fd = file.get();
    struct stat st {};
    if (::fstat(fd, &st) != 0) throw EInOutError::fromErrno(errno);
    // Wait for a program that is saving it; reading our own locked file needs no second lock.
    if (!CollectionLock::heldOn(st)) waitForLock(fd, LOCK_SH, kLockPatience);
    if (::fstat(fd, &st) != 0) throw EInOutError::fromErrno(errno);
    if (identity) *identity = FileIdentity::of(st);

    // Never more than the file held when it was opened, whatever is appended meanwhile.
    std::size_t remaining = static_cast<std::size_t>(st.st_size);
    if (readFully(fd, reinterpret_cast<char*>(&header), std::min(remaining, kRecordSize)) != kRecordSize)
        throw EInOutError::fromCode(kReadBeyondEnd);
    remaining -= kRecordSize;
    receiver.expect(remaining / kRecordSize);

    // A partial record at the end is read too, into the place of the next record, and then refused.
    constexpr std::size_t kBatch = 256;
    TFigureRecord* places[kBatch];
    iovec parts[kBatch];
    while (remaining > 0) {
        const std::size_t wanted = std::min(kBatch, (remaining + kRecordSize - 1) / kRecordSize);
        const std::size_t given = receiver.room(places, wanted);
        if (given == 0) throw std::logic_error("a record receiver gave no room");
        std::size_t asked = 0;
        for (std::size_t i = 0; i < given; ++i) {
            parts[i].iov_base = places[i];
            parts[i].iov_len = std::min(kRecordSize, remaining - asked);
            asked += parts[i].iov_len;
        }
        const std::size_t got = readScattered(fd, parts, static_cast<int>(given));
        remaining -= got;
        const std::size_t whole = got / kRecordSize, partial = got % kRecordSize;
        // The receiver may reuse the places of the records it takes: the torn rest is copied first.
        TFigureRecord tail;
        if (partial != 0) {
            std::memset(static_cast<void*>(&tail), 0, kRecordSize);
            std::memcpy(static_cast<void*>(&tail), places[whole], partial);
        }
        receiver.received(whole);
        if (partial != 0) {
            receiver.torn(tail, partial);
            break;
        }
        if (got < asked) break; // the file shrank while being read
    }
    if (file.close() != 0) throw EInOutError::fromErrno(errno);
}

void readCollectionFile(const std::string& path, TCollectionHeader& header,
                        const std::function<void(const TFigureRecord&)>& onRecord, FileIdentity* identity,
                        const TornRecord& onTorn) {
    CallbackReceiver receiver(onRecord, onTorn);
    readCollectionFile(path, header, receiver, identity);
}

FileIdentity writeCollectionFile(const std::string& path, const TCollectionHeader& header,
                                 const std::function<const TFigureRecord*()>& next) {
    return writeFileAtomically(path, collectionFileContent(header, next));
}

std::function<void(const ByteSink&)>
collectionFileContent(const TCollectionHeader& header, const std::function<const TFigureRecord*()>& next) {
    return [&header, &next](const ByteSink& sink) {
        // Records are gathered into blocks, their link bytes zeroed on the way: one copy each.
        constexpr std::size_t kBlockRecords = 256;
        std::vector<TFigureRecord> block;
        block.reserve(kBlockRecords);
        static_assert(sizeof(TCollectionHeader) == sizeof(TFigureRecord));
        block.emplace_back();
        std::memcpy(&block.back(), &header, kRecordSize);
        while (const TFigureRecord* record = next()) {
            if (isDeletedRecord(*record)) continue;
            block.push_back(*record);
            block.back().Left = 0;
            block.back().Right = 0;
            if (block.size() == kBlockRecords) {
                sink(block.data(), block.size() * kRecordSize);
                block.clear();
            }
        }
        sink(block.data(), block.size() * kRecordSize);
    };
}

FileIdentity writeFileAtomically(const std::string& path,
                                 const std::function<void(const ByteSink&)>& produce) {
    ignoreFileSizeSignal();
    const std::string target = resolveTarget(path);
    const std::string folder = folderOf(target);

    struct stat old {};
    const bool exists = ::stat(target.c_str(), &old) == 0;
    if (!exists && errno != ENOENT) throw EInOutError::fromErrno(errno, target);
    if (exists && !S_ISREG(old.st_mode)) throw EInOutError::fromCode(kAccessDenied);
    // Replacing a file by rename would bypass its own write protection: refuse as a rewrite would.
    if (exists && ::access(target.c_str(), W_OK) != 0) throw EInOutError::fromErrno(errno);

    // Hold the file for the save when the caller does not already hold it.
    std::optional<CollectionLock> ownLock;
    CollectionLock* lock = exists ? CollectionLock::heldOn(old) : nullptr;
    if (exists && !lock) lock = &ownLock.emplace(target);
    if (lock && ::fstat(lock->descriptor(), &old) != 0) throw EInOutError::fromErrno(errno);

    removeLeftovers(folder);

    // A rename gives the file the temporary file's identity: only do it when that keeps the owner,
    // the group and the one link; otherwise (a shared file, a hard link, a read-only folder) rewrite it.
    if (exists && old.st_nlink != 1) return writeInPlace(target, *lock, produce);

    // The new file is never more readable than the old one, not even before it takes the old one's
    // group and mode: until then only its owner may read it.
    const mode_t createMode = exists ? (old.st_mode & 0600) : 0666;
    std::string temporary;
    int fd = -1;
    std::random_device random;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temporary = folder + "/" + temporaryName(random());
        // Read and write: the descriptor kept from it becomes the lock's, which a restore reads.
        fd = doCreate(temporary.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, createMode);
        if (fd >= 0 || errno == EEXIST) continue;
        if (exists && (errno == EACCES || errno == EPERM)) return writeInPlace(target, *lock, produce);
        throw EInOutError::fromErrno(errno, temporary);
    }
    if (fd < 0) throw EInOutError::fromErrno(EEXIST);

    FileDescriptor file(fd);
    if (exists) {
        struct stat made {};
        if (::fchown(fd, old.st_uid, old.st_gid) != 0 || ::fstat(fd, &made) != 0 ||
            made.st_uid != old.st_uid || made.st_gid != old.st_gid) {
            file.close();
            ::unlink(temporary.c_str());
            return writeInPlace(target, *lock, produce);
        }
    }
    // A second descriptor outlives the checked close: it carries the new file's lock and identity.
    int kept = -1;
    try {
        if (exists) ::fchmod(fd, old.st_mode & 07777);
        writeProduced(fd, produce);
        if (doFsync(fd) != 0) throw EInOutError::fromErrno(errno);
        // Nobody else knows the new file yet: lock it before it takes the old one's place.
        if (lock && ::flock(fd, LOCK_EX | LOCK_NB) != 0) throw EInOutError::fromErrno(errno);
        kept = ::dup(fd);
        if (kept < 0) throw EInOutError::fromErrno(errno);
        if (file.close() != 0) throw EInOutError::fromErrno(errno);
        crashPoint("replace-written");
        if (doRename(temporary.c_str(), target.c_str()) != 0) throw EInOutError::fromErrno(errno, target);
    } catch (...) {
        if (file.get() >= 0) file.close();
        if (kept >= 0) ::close(kept);
        ::unlink(temporary.c_str());
        throw;
    }
    struct stat st {};
    ::fstat(kept, &st); // after the rename, which changes the file's status
    const FileIdentity written = FileIdentity::of(st);
    if (lock) {
        lock->handOver(kept);
    } else {
        ::close(kept);
    }

    // Make the rename itself durable; the new file is complete either way.
    syncFolder(folder);
    crashPoint("saved");
    return written;
}

void appendRecords(const std::string& path, const std::vector<TFigureRecord>& records) {
    FileReplacement file(path, 0600);
    // What the file holds already stays first; a link or anything but a regular file is not read.
    FileDescriptor old(::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    struct stat st {};
    if (old.get() >= 0 && ::fstat(old.get(), &st) == 0 && S_ISREG(st.st_mode)) {
        std::vector<char> buffer(256 * kRecordSize);
        for (;;) {
            const std::size_t n = readFully(old.get(), buffer.data(), buffer.size());
            file.write(buffer.data(), n);
            if (n < buffer.size()) break;
        }
    } else if (old.get() < 0 && errno != ENOENT && errno != ELOOP) {
        throw EInOutError::fromErrno(errno, path);
    }
    file.write(records.data(), records.size() * kRecordSize);
    file.commit();
}

bool recoverInterruptedSave(const std::string& path) {
    const std::string target = resolveTarget(path);
    struct stat st {};
    if (!journalsOf(target).size() || ::stat(target.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
    // Under the file's lock: a save still running elsewhere finishes (and removes its journal) first.
    std::optional<CollectionLock> ownLock;
    CollectionLock* lock = CollectionLock::heldOn(st);
    if (!lock) lock = &ownLock.emplace(target);
    return rollBackJournals(target, *lock);
}

} // namespace vitrinex
