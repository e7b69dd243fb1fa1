#pragma once
// Reading and writing collection files: a header record, then item records, 1324 bytes each.
// Writing replaces the file atomically, so a failure at any point leaves the previous file as it was.

#include "collection/FigureRecord.h"

#include <cstddef>
#include <functional>
#include <string>
#include <sys/types.h>

namespace vitrinex {

// Reads `path`: the header, then every whole item record in file order, handed to `onRecord`.
// Throws EInOutError; a file whose length is no multiple of 1324 hands over its whole records and
// then throws "Read beyond end of file".
void readCollectionFile(const std::string& path, TCollectionHeader& header,
                        const std::function<void(const TFigureRecord&)>& onRecord);

// Writes `header`, then the records `next` yields until it returns nullptr, skipping deleted records.
// The link bytes are written as zeros. The file is replaced atomically (temporary file in the same
// folder, flushed to disk, renamed over the old one); on any failure the old file is untouched, the
// temporary file is removed and EInOutError is thrown.
void writeCollectionFile(const std::string& path, const TCollectionHeader& header,
                         const std::function<const TFigureRecord*()>& next);

// Receives the bytes of a file being written.
using ByteSink = std::function<void(const void* data, std::size_t size)>;
// Replaces `path` with the bytes `produce` hands to its sink, with the same guarantees as
// writeCollectionFile: all or nothing, EInOutError on failure (also when `produce` throws it).
void writeFileAtomically(const std::string& path, const std::function<void(const ByteSink&)>& produce);

// The system calls a save goes through, replaceable by tests to make any of them fail.
struct FileSystemCalls {
    std::function<ssize_t(int fd, const void* data, std::size_t size)> write;
    std::function<int(int fd)> fsync;
    std::function<int(const char* from, const char* to)> rename;
};
// Installs `calls` (nullptr restores the real ones). Tests only.
void setFileSystemCallsForTesting(const FileSystemCalls* calls);

} // namespace vitrinex
