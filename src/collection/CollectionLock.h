#pragma once
// The advisory lock that makes a read-modify-write of a collection file exclusive between programs,
// and the identity of a file by which a window notices that another program changed it.

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <sys/stat.h>

namespace vitrinex {

// Which file a path named, and how it looked: a save by rename changes the inode, a save in place
// the size or the modification time.
struct FileIdentity {
    std::uint64_t device = 0, inode = 0;
    std::int64_t size = 0;
    std::int64_t modifiedNs = 0;

    static FileIdentity of(const struct stat& st);
    bool operator==(const FileIdentity&) const = default;
};

// The identity of the file `path` names now (following links); nullopt when there is none.
std::optional<FileIdentity> currentIdentity(const std::string& path);

// How long a program waits for another one's save before giving up with "File is in use by
// another program". Saves take milliseconds; a long wait means the other program hangs.
inline constexpr std::chrono::milliseconds kLockPatience{30000};

// Holds an exclusive lock on the collection file `path` names, from before it is read until after it
// is saved. Cooperating programs (every reader and writer of collection files here) wait for it.
// Saves made while it is held keep it: a save that replaces the file locks the new file before the
// rename, so nobody slips in between. Only regular files can be locked ("File access denied").
class CollectionLock {
public:
    explicit CollectionLock(const std::string& path, std::chrono::milliseconds patience = kLockPatience);
    ~CollectionLock();
    CollectionLock(const CollectionLock&) = delete;
    CollectionLock& operator=(const CollectionLock&) = delete;

    // The locked file as it is now.
    FileIdentity identity() const;
    int descriptor() const { return fd_; }

    // The lock this process holds on the file `st` describes, if any.
    static CollectionLock* heldOn(const struct stat& st);
    // After a save replaced the locked file by `lockedNewFile` (already locked): holds that one instead.
    void handOver(int lockedNewFile);

private:
    int fd_ = -1;
};

// Locks the regular file `path` names into `lock`, unless this process holds its lock already;
// returns the lock that holds it, or nullptr when no file is there. Throws as CollectionLock does.
CollectionLock* lockUnlessHeld(std::optional<CollectionLock>& lock, const std::string& path);

// Waits until flock(fd, operation | LOCK_NB) succeeds; throws "File is in use by another program"
// when `patience` runs out.
void waitForLock(int fd, int operation, std::chrono::milliseconds patience);

} // namespace vitrinex
