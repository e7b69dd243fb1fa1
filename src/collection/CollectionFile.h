#pragma once
// Reading and writing collection files: a header record, then item records, 1324 bytes each.
// Writing replaces the file atomically where that keeps the file's owner, group and links, and
// otherwise rewrites it in place under a journal of its old content; either way a failure or a crash
// leaves the previous content. Readers and writers wait for a program that holds the file's CollectionLock.

#include "collection/CollectionLock.h"
#include "collection/FigureRecord.h"

#include <cstddef>
#include <fcntl.h>
#include <functional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace vitrinex {

// Receives the bytes of a file being written.
using ByteSink = std::function<void(const void* data, std::size_t size)>;

// Reads `path`: the header, then every whole item record in file order, handed to `onRecord`.
// Throws EInOutError; a file whose length is no multiple of 1324 hands over its whole records and
// then throws "Read beyond end of file". Anything but a regular file is refused with "File access
// denied" without waiting on it. `identity`, when given, receives the identity of the file read.
void readCollectionFile(const std::string& path, TCollectionHeader& header,
                        const std::function<void(const TFigureRecord&)>& onRecord,
                        FileIdentity* identity = nullptr);

// Takes the item records of a file as it is read, straight into memory of its own.
class RecordReceiver {
public:
    virtual ~RecordReceiver() = default;
    // How many whole item records the file holds; called once, before any record is read.
    virtual void expect(std::size_t records) = 0;
    // Up to `wanted` places for the next records: their addresses go to `places`; returns how many.
    virtual std::size_t room(TFigureRecord** places, std::size_t wanted) = 0;
    // The first `count` of the places last given now hold the next records, in file order.
    virtual void received(std::size_t count) = 0;
};

// Reads `path` as readCollectionFile does, handing the item records to `receiver`.
void readCollectionFile(const std::string& path, TCollectionHeader& header, RecordReceiver& receiver,
                        FileIdentity* identity = nullptr);

// Writes `header`, then the records `next` yields until it returns nullptr, skipping deleted records.
// The link bytes are written as zeros. Usually the file is replaced atomically (a temporary file in the
// same folder, flushed to disk, renamed over the old one). A file that a rename would change (another
// owner or group, more than one link, a folder that cannot take the temporary file) is rewritten in
// place instead, under a journal of its old content kept beside it (or, when its folder takes no new
// file, in the user's data folder) and flushed before the file is touched; the journal goes once the
// new content is flushed. On any failure the old content stays (or, if even putting it back failed,
// the message names the journal), no temporary file is left and EInOutError is thrown. Returns the
// identity of the file as written.
FileIdentity writeCollectionFile(const std::string& path, const TCollectionHeader& header,
                                 const std::function<const TFigureRecord*()>& next);

// The bytes writeCollectionFile writes, for a writer of another kind. `header` and `next` must
// outlive the function returned.
std::function<void(const ByteSink&)> collectionFileContent(const TCollectionHeader& header,
                                                           const std::function<const TFigureRecord*()>& next);

// A rewrite in place that was cut short (the program killed, the machine down) leaves its journal:
// puts the file back as it was before that save and removes the journal. Returns true when it did.
// Throws EInOutError when the old content cannot be put back.
bool recoverInterruptedSave(const std::string& path);

// Adds `records` to the end of the record file `path` (created when missing): the file is replaced
// by a temporary file holding its old bytes and the new ones, a link at that name replaced, never
// followed. Created readable by its owner only. Throws EInOutError.
void appendRecords(const std::string& path, const std::vector<TFigureRecord>& records);

// Opens `path` without waiting on a FIFO or a device; anything but a regular file is refused with
// "File access denied". `flags` is O_RDONLY, or O_WRONLY with O_CREAT to create a missing file
// (mode 0644); the file is never truncated here. Returns the descriptor.
int openRegularFile(const std::string& path, int flags = O_RDONLY);

// A file-size limit makes writes fail with "Disk full" instead of killing the program.
void ignoreFileSizeSignal();

// Replaces `path` with the bytes `produce` hands to its sink, in the same way and with the same
// guarantees as writeCollectionFile: all or nothing, EInOutError on failure (also when `produce`
// throws it). Returns the identity of the file as written.
FileIdentity writeFileAtomically(const std::string& path,
                                 const std::function<void(const ByteSink&)>& produce);

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
};
// Installs `calls` (nullptr restores the real ones). Tests only.
// Global because the calls sit under every save, far below any caller that could hand them in.
void setFileSystemCallsForTesting(const FileSystemCalls* calls);

} // namespace vitrinex
