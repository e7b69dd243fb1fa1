#include "collection/CollectionFile.h"

#include "collection/InOutError.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace vitrinex {
namespace {

const FileSystemCalls* g_testCalls = nullptr;

ssize_t doWrite(int fd, const void* data, std::size_t size) {
    return g_testCalls && g_testCalls->write ? g_testCalls->write(fd, data, size) : ::write(fd, data, size);
}
int doFsync(int fd) {
    return g_testCalls && g_testCalls->fsync ? g_testCalls->fsync(fd) : ::fsync(fd);
}
int doRename(const char* from, const char* to) {
    return g_testCalls && g_testCalls->rename ? g_testCalls->rename(from, to) : ::rename(from, to);
}

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

private:
    int fd_;
};

// Reads up to `size` bytes, retrying short reads; returns how many were read (less only at the end).
std::size_t readFully(int fd, char* buffer, std::size_t size) {
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::read(fd, buffer + done, size - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            throw EInOutError::fromErrno(errno);
        }
        if (n == 0) break;
        done += static_cast<std::size_t>(n);
    }
    return done;
}

std::string folderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
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
        buffer_.insert(buffer_.end(), bytes, bytes + size);
        if (buffer_.size() >= kBlock) flush();
    }
    void flush() {
        std::size_t done = 0;
        while (done < buffer_.size()) {
            const ssize_t n = doWrite(fd_, buffer_.data() + done, buffer_.size() - done);
            if (n < 0) {
                if (errno == EINTR) continue;
                throw EInOutError::fromErrno(errno);
            }
            if (n == 0) throw EInOutError::fromCode(kDiskFull);
            done += static_cast<std::size_t>(n);
        }
        buffer_.clear();
    }

private:
    static constexpr std::size_t kBlock = 256 * kRecordSize;
    int fd_;
    std::vector<char> buffer_;
};

} // namespace

void setFileSystemCallsForTesting(const FileSystemCalls* calls) {
    g_testCalls = calls;
}

void readCollectionFile(const std::string& path, TCollectionHeader& header,
                        const std::function<void(const TFigureRecord&)>& onRecord) {
    int fd;
    do {
        fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) throw EInOutError::fromErrno(errno);
    FileDescriptor file(fd);

    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) throw EInOutError::fromCode(kAccessDenied);

    if (readFully(fd, reinterpret_cast<char*>(&header), kRecordSize) != kRecordSize)
        throw EInOutError::fromCode(kReadBeyondEnd);

    constexpr std::size_t kBatch = 256;
    std::vector<TFigureRecord> batch(kBatch);
    for (;;) {
        const std::size_t got = readFully(fd, reinterpret_cast<char*>(batch.data()), kBatch * kRecordSize);
        const std::size_t whole = got / kRecordSize;
        for (std::size_t i = 0; i < whole; ++i)
            onRecord(batch[i]);
        if (got % kRecordSize != 0) throw EInOutError::fromCode(kReadBeyondEnd);
        if (got < kBatch * kRecordSize) break;
    }
    if (file.close() != 0) throw EInOutError::fromErrno(errno);
}

void writeCollectionFile(const std::string& path, const TCollectionHeader& header,
                         const std::function<const TFigureRecord*()>& next) {
    writeFileAtomically(path, [&header, &next](const ByteSink& sink) {
        TCollectionHeader h = header;
        sink(&h, kRecordSize);
        while (const TFigureRecord* record = next()) {
            if (isDeletedRecord(*record)) continue;
            TFigureRecord copy = *record;
            copy.Left = 0;
            copy.Right = 0;
            sink(&copy, kRecordSize);
        }
    });
}

void writeFileAtomically(const std::string& path, const std::function<void(const ByteSink&)>& produce) {
    const std::string target = resolveTarget(path);
    const std::string folder = folderOf(target);

    // Replacing a file by rename would bypass its own write protection: refuse as a rewrite would.
    struct stat old {};
    const bool exists = ::stat(target.c_str(), &old) == 0;
    if (exists && S_ISDIR(old.st_mode)) throw EInOutError::fromCode(kAccessDenied);
    if (exists && ::access(target.c_str(), W_OK) != 0) throw EInOutError::fromErrno(errno);

    std::string temporary;
    int fd = -1;
    std::random_device random;
    const std::size_t slash = target.rfind('/');
    const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temporary = folder + "/." + base + "." + std::to_string(random() % 1000000000u) + ".tmp";
        fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) throw EInOutError::fromErrno(errno);
    }
    if (fd < 0) throw EInOutError::fromErrno(EEXIST);

    FileDescriptor file(fd);
    try {
        if (exists) ::fchmod(fd, old.st_mode & 07777);
        BlockWriter writer(fd);
        produce([&writer](const void* data, std::size_t size) { writer.append(data, size); });
        writer.flush();
        if (doFsync(fd) != 0) throw EInOutError::fromErrno(errno);
        if (file.close() != 0) throw EInOutError::fromErrno(errno);
        if (doRename(temporary.c_str(), target.c_str()) != 0) throw EInOutError::fromErrno(errno);
    } catch (...) {
        if (file.get() >= 0) file.close();
        ::unlink(temporary.c_str());
        throw;
    }

    // Make the rename itself durable; the new file is complete either way.
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
}

} // namespace vitrinex
