#include "collection/SafeFile.h"

#include "collection/CollectionLock.h"
#include "collection/FigureRecord.h"
#include "collection/InOutError.h"

#include <cerrno>
#include <csignal>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <mutex>
#include <random>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace vitrinex {
namespace {
const FileSystemCalls* g_testCalls = nullptr;
} // namespace

namespace safefile {

int doCreate(const char* path, int flags, mode_t mode) {
    return g_testCalls && g_testCalls->create ? g_testCalls->create(path, flags, mode)
                                              : ::open(path, flags, mode);
}
ssize_t doWrite(int fd, const void* data, std::size_t size) {
    return g_testCalls && g_testCalls->write ? g_testCalls->write(fd, data, size) : ::write(fd, data, size);
}
int doFsync(int fd) {
    return g_testCalls && g_testCalls->fsync ? g_testCalls->fsync(fd) : ::fsync(fd);
}
int doRename(const char* from, const char* to) {
    return g_testCalls && g_testCalls->rename ? g_testCalls->rename(from, to) : ::rename(from, to);
}

std::string folderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// Temporary files of a save are named ".vitrinex-PID-RANDOM.tmp": short whatever the collection's
// name, and recognisable, so that the leftovers of a process killed during a save can be removed.
constexpr std::string_view kTemporaryPrefix = ".vitrinex-";
constexpr std::string_view kTemporarySuffix = ".tmp";
// A leftover is only removed when its process is gone and it has not been written for this long
// (a process of the same number on another machine sharing the folder may still be writing it).
constexpr std::time_t kLeftoverAge = 60;

std::string temporaryName(std::uint32_t random) {
    char text[48];
    std::snprintf(text, sizeof text, "%.*s%ld-%08x%.*s", int(kTemporaryPrefix.size()),
                  kTemporaryPrefix.data(), static_cast<long>(::getpid()), random,
                  int(kTemporarySuffix.size()), kTemporarySuffix.data());
    return text;
}

void removeLeftovers(const std::string& folder) {
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return;
    while (const dirent* entry = ::readdir(dir)) {
        std::string_view name = entry->d_name;
        if (!name.starts_with(kTemporaryPrefix) || !name.ends_with(kTemporarySuffix)) continue;
        const long pid = std::strtol(entry->d_name + kTemporaryPrefix.size(), nullptr, 10);
        if (pid <= 0 || pid == ::getpid() || ::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH)
            continue;
        struct stat st {};
        if (::fstatat(::dirfd(dir), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode))
            continue;
        if (std::time(nullptr) - st.st_mtime < kLeftoverAge) continue;
        ::unlinkat(::dirfd(dir), entry->d_name, 0);
    }
    ::closedir(dir);
}

void syncFolder(const std::string& folder) {
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
}

} // namespace safefile

using namespace safefile;

void setFileSystemCallsForTesting(const FileSystemCalls* calls) {
    g_testCalls = calls;
}

void ignoreFileSizeSignal() {
    static std::once_flag once;
    std::call_once(once, [] {
        struct sigaction current {};
        if (::sigaction(SIGXFSZ, nullptr, &current) == 0 && current.sa_handler == SIG_DFL)
            std::signal(SIGXFSZ, SIG_IGN);
    });
}

int openRegularFile(const std::string& path, int flags) {
    int fd;
    do {
        fd = ::open(path.c_str(), flags | O_NONBLOCK | O_CLOEXEC | O_NOCTTY, 0644);
    } while (fd < 0 && errno == EINTR);
    // ENXIO: a FIFO opened for writing with no reader, or a device without its hardware.
    if (fd < 0)
        throw errno == ENXIO ? EInOutError::fromCode(kAccessDenied) : EInOutError::fromErrno(errno, path);
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        throw EInOutError::fromCode(kAccessDenied);
    }
    return fd;
}

namespace {

FileIdentity nameIdentity(const std::string& path, bool followLink, struct stat& st) {
    if ((followLink ? ::stat(path.c_str(), &st) : ::lstat(path.c_str(), &st)) != 0) return {};
    return FileIdentity::of(st);
}

// A regular file of whole records whose header holds a catalog type of at most two characters: what
// the loader takes for a collection (text and PDF files fail the type's length byte at once).
bool readsAsCollection(const std::string& path, const struct stat& st) {
    if (!S_ISREG(st.st_mode) || st.st_size < static_cast<off_t>(kRecordSize) ||
        st.st_size % static_cast<off_t>(kRecordSize) != 0)
        return false;
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) return false;
    unsigned char typeLength = 0xFF;
    const bool read = ::pread(fd, &typeLength, 1, offsetof(TCollectionHeader, UpdateType)) == 1;
    ::close(fd);
    return read && typeLength <= 2;
}

} // namespace

CopyRules copyRulesFor(const std::string& collectionPath) {
    CopyRules rules;
    struct stat st {};
    if (!collectionPath.empty() && ::stat(collectionPath.c_str(), &st) == 0) rules.mode = st.st_mode & 0666;
    rules.collectionPath = collectionPath;
    return rules;
}

FileReplacement::FileReplacement(const std::string& path, mode_t mode) : path_(path) {
    ignoreFileSizeSignal();
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0) {
        // A link someone else put there is no name of ours to replace; a folder, a FIFO or a device
        // is no file to replace at all.
        if (S_ISLNK(st.st_mode) && st.st_uid != ::geteuid())
            throw EInOutError(kAccessDenied, "File access denied: " + path + " is a link of another user");
        if (!S_ISLNK(st.st_mode) && !S_ISREG(st.st_mode)) throw EInOutError::fromCode(kAccessDenied);
    } else if (errno != ENOENT) {
        throw EInOutError::fromErrno(errno, path);
    }
    const std::string folder = folderOf(path);
    removeLeftovers(folder);
    std::random_device random;
    for (int attempt = 0; attempt < 100 && fd_ < 0; ++attempt) {
        temporary_ = folder + "/" + temporaryName(random());
        fd_ = doCreate(temporary_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode & 0666);
        if (fd_ < 0 && errno != EEXIST) throw EInOutError::fromErrno(errno, path);
    }
    if (fd_ < 0) throw EInOutError::fromErrno(EEXIST);
}

FileReplacement::~FileReplacement() {
    discard();
}

void FileReplacement::write(const void* data, std::size_t size) {
    if (fd_ < 0) throw EInOutError::fromCode(kFileNotOpen);
    const char* bytes = static_cast<const char*>(data);
    for (std::size_t done = 0; done < size;) {
        const ssize_t n = doWrite(fd_, bytes + done, size - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) throw EInOutError::fromErrno(n < 0 ? errno : ENOSPC);
        done += static_cast<std::size_t>(n);
    }
    size_ += size;
}

void FileReplacement::commit() {
    if (fd_ < 0) throw EInOutError::fromCode(kFileNotOpen);
    try {
        if (doFsync(fd_) != 0) throw EInOutError::fromErrno(errno);
        const int rc = ::close(fd_);
        fd_ = -1;
        if (rc != 0) throw EInOutError::fromErrno(errno);
        if (doRename(temporary_.c_str(), path_.c_str()) != 0) throw EInOutError::fromErrno(errno, path_);
    } catch (...) {
        discard();
        throw;
    }
    temporary_.clear();
    syncFolder(folderOf(path_));
}

void FileReplacement::discard() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    if (!temporary_.empty()) ::unlink(temporary_.c_str());
    temporary_.clear();
}

void refuseToReplaceCollection(const std::string& path, const CopyRules& rules) {
    struct stat target {
    }, collection{};
    const FileIdentity name = nameIdentity(path, false, target);
    if (name.inode != 0) {
        const FileIdentity open = rules.collectionPath.empty()
                                      ? FileIdentity{}
                                      : nameIdentity(rules.collectionPath, true, collection);
        const bool isCollection = open.inode == name.inode && open.device == name.device;
        if (isCollection || (!rules.mayReplaceCollectionFile && readsAsCollection(path, target)))
            throw EInOutError(kAccessDenied, "File access denied: " + path + " holds a collection");
    }
}

void writeCopyFile(const std::string& path, const CopyRules& rules,
                   const std::function<void(const ByteSink&)>& produce) {
    refuseToReplaceCollection(path, rules);
    FileReplacement file(path, rules.mode);
    produce([&file](const void* data, std::size_t size) { file.write(data, size); });
    file.commit();
}

} // namespace vitrinex
