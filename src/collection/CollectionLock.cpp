#include "collection/CollectionLock.h"

#include "collection/InOutError.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <stdexcept>
#include <sys/file.h>
#include <thread>
#include <unistd.h>
#include <utility>

namespace vitrinex {
namespace {

using FileKey = std::pair<std::uint64_t, std::uint64_t>; // device, inode

// flock locks belong to an open file: a second open of a file this process has locked would wait
// for itself, so readers and writers look here first.
std::mutex g_heldMutex;
std::map<FileKey, CollectionLock*> g_held;

FileKey keyOf(const struct stat& st) {
    return {static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
}

std::int64_t nanoseconds(const timespec& t) {
    return static_cast<std::int64_t>(t.tv_sec) * 1000000000 + t.tv_nsec;
}

} // namespace

FileIdentity FileIdentity::of(const struct stat& st) {
    return {static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino),
            static_cast<std::int64_t>(st.st_size), nanoseconds(st.st_mtim)};
}

std::optional<FileIdentity> currentIdentity(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return std::nullopt;
    return FileIdentity::of(st);
}

void waitForLock(int fd, int operation, std::chrono::milliseconds patience) {
    const auto deadline = std::chrono::steady_clock::now() + patience;
    auto pause = std::chrono::microseconds(200);
    while (::flock(fd, operation | LOCK_NB) != 0) {
        if (errno == EINTR) continue;
        if (errno != EWOULDBLOCK) throw EInOutError::fromErrno(errno);
        if (std::chrono::steady_clock::now() >= deadline) throw EInOutError::fromCode(kSharingViolation);
        std::this_thread::sleep_for(pause);
        pause = std::min(pause * 2, std::chrono::microseconds(20000));
    }
}

CollectionLock::CollectionLock(const std::string& path, std::chrono::milliseconds patience) {
    for (;;) {
        // Non-blocking, so that a FIFO or a device is refused instead of hanging the open.
        const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
        if (fd < 0) throw EInOutError::fromErrno(errno, path);
        struct stat locked {};
        if (::fstat(fd, &locked) != 0 || !S_ISREG(locked.st_mode)) {
            ::close(fd);
            throw EInOutError::fromCode(kAccessDenied);
        }
        {
            std::lock_guard guard(g_heldMutex);
            if (g_held.count(keyOf(locked))) {
                ::close(fd);
                throw std::logic_error("collection file locked twice by one program");
            }
        }
        try {
            waitForLock(fd, LOCK_EX, patience);
        } catch (...) {
            ::close(fd);
            throw;
        }
        // A save by rename may have replaced the file while we waited: then lock the new one.
        struct stat now {};
        const int statError = ::stat(path.c_str(), &now) == 0 ? 0 : errno;
        if (statError == 0 && keyOf(now) == keyOf(locked)) {
            fd_ = fd;
            std::lock_guard guard(g_heldMutex);
            g_held[keyOf(locked)] = this;
            return;
        }
        ::close(fd);
        if (statError != 0) throw EInOutError::fromErrno(statError, path);
    }
}

CollectionLock::~CollectionLock() {
    struct stat st {};
    if (::fstat(fd_, &st) == 0) {
        std::lock_guard guard(g_heldMutex);
        g_held.erase(keyOf(st));
    }
    ::close(fd_);
}

CollectionLock* lockUnlessHeld(std::optional<CollectionLock>& lock, const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        if (errno == ENOENT) return nullptr;
        throw EInOutError::fromErrno(errno, path);
    }
    if (CollectionLock* held = CollectionLock::heldOn(st)) return held;
    return &lock.emplace(path);
}

FileIdentity CollectionLock::identity() const {
    struct stat st {};
    if (::fstat(fd_, &st) != 0) throw EInOutError::fromErrno(errno);
    return FileIdentity::of(st);
}

CollectionLock* CollectionLock::heldOn(const struct stat& st) {
    std::lock_guard guard(g_heldMutex);
    const auto it = g_held.find(keyOf(st));
    return it == g_held.end() ? nullptr : it->second;
}

void CollectionLock::handOver(int lockedNewFile) {
    struct stat oldFile {
    }, newFile{};
    ::fstat(fd_, &oldFile);
    ::fstat(lockedNewFile, &newFile);
    {
        std::lock_guard guard(g_heldMutex);
        g_held.erase(keyOf(oldFile));
        g_held[keyOf(newFile)] = this;
    }
    // Closing the old file wakes its waiters; they find the path names the new file and wait on it.
    ::close(fd_);
    fd_ = lockedNewFile;
}

} // namespace vitrinex
