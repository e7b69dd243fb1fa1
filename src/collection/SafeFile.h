#pragma once
// Writing a file safely: every file the program writes takes its name only when complete (a
// temporary file beside it, flushed, renamed over the name), never through a link another user put
// there, and no more readable than the collection it copies. The collection file's own writer builds
// on the same calls.

#include <cstddef>
#include <cstdint>
#include <fcntl.h>
#include <functional>
#include <string>
#include <sys/types.h>

namespace vitrinex {

// Receives the bytes of a file being written.
using ByteSink = std::function<void(const void* data, std::size_t size)>;

// Opens `path` without waiting on a FIFO or a device; anything but a regular file is refused with
// "File access denied". `flags` is O_RDONLY, or O_WRONLY with O_CREAT to create a missing file
// (mode 0644); the file is never truncated here. Returns the descriptor.
int openRegularFile(const std::string& path, int flags = O_RDONLY);

// A file-size limit makes writes fail with "Disk full" instead of killing the program.
void ignoreFileSizeSignal();

// How a copy of a collection (backup, text export, printed PDF, update.dat) may be written.
struct CopyRules {
    // Permission bits of the new file, before the umask: at most the collection's.
    mode_t mode = 0600;
    // The open collection, which no copy ever replaces (empty when there is none).
    std::string collectionPath;
    // Whether a file that reads as a collection may be replaced: only a backup replaces one (the
    // previous backup).
    bool mayReplaceCollectionFile = false;
};
// The rules for copies of the collection at `collectionPath`: its read and write bits (0600 when its
// status cannot be read), and never over it.
CopyRules copyRulesFor(const std::string& collectionPath);

// A new file that takes the place of a name when it is complete: written as a temporary file in the
// name's folder, then renamed over the name. Whatever stood at the name (a file, a link) is replaced,
// never written through; a link owned by another user, or a folder, is refused with "File access
// denied". Until commit() nothing at the name changes; a replacement not committed leaves nothing.
class FileReplacement {
public:
    FileReplacement(const std::string& path, mode_t mode);
    ~FileReplacement();
    FileReplacement(const FileReplacement&) = delete;
    FileReplacement& operator=(const FileReplacement&) = delete;

    // Appends bytes, every write checked. Throws EInOutError.
    void write(const void* data, std::size_t size);
    std::size_t size() const { return size_; }
    // Flushes the file to disk and renames it over the name. Throws EInOutError and leaves nothing.
    void commit();
    // Removes the unfinished file.
    void discard();

private:
    std::string path_, temporary_;
    int fd_ = -1;
    std::size_t size_ = 0;
};

// Throws EInOutError ("File access denied" and a word on what stands there) when `path` is the
// open collection of `rules`, or reads as a collection and the rules forbid replacing one.
void refuseToReplaceCollection(const std::string& path, const CopyRules& rules);

// Writes a copy to `path` by a FileReplacement, within `rules`: a copy that would replace the open
// collection, or a file that reads as a collection where the rules forbid it, is refused with "File
// access denied" and a word on what stands there. Throws EInOutError; on failure `path` is as it was.
void writeCopyFile(const std::string& path, const CopyRules& rules,
                   const std::function<void(const ByteSink&)>& produce);

// The system calls a save goes through, replaceable by tests to make any of them fail.
struct FileSystemCalls {
    std::function<ssize_t(int fd, const void* data, std::size_t size)> write;
    std::function<int(int fd)> fsync;
    std::function<int(const char* from, const char* to)> rename;
    // Creates a temporary file (open with O_CREAT and O_EXCL).
    std::function<int(const char* path, int flags, mode_t mode)> create;
};
// Installs `calls` (nullptr restores the real ones). Tests only.
// Global because the calls sit under every save, far below any caller that could hand them in.
void setFileSystemCallsForTesting(const FileSystemCalls* calls);

// For the collection file's writer: the calls above that tests can make fail, and the temporary files'
// names, which mark the leftovers of a process killed while writing.
namespace safefile {
int doCreate(const char* path, int flags, mode_t mode);
ssize_t doWrite(int fd, const void* data, std::size_t size);
int doFsync(int fd);
int doRename(const char* from, const char* to);
std::string folderOf(const std::string& path);
std::string temporaryName(std::uint32_t random);
// Removes the temporary files that processes which are gone left in `folder`.
void removeLeftovers(const std::string& folder);
// Makes a rename in `folder` durable.
void syncFolder(const std::string& folder);
} // namespace safefile

} // namespace vitrinex
