#pragma once
// update.dat: the file of 21-byte update records that a download writes, one record per catalog
// number and price, in the order the answer delivered them.

#include "collection/UpdateRecord.h"

#include <cstddef>
#include <memory>
#include <string>
#include <sys/types.h>

namespace vitrinex {
class FileReplacement;
}

namespace vitrinex::net {

// Far above any real catalog (a few thousand records): an answer that goes past it is no catalog.
inline constexpr std::size_t kMaxUpdateFileBytes = std::size_t{64} << 20;

// Writes update.dat as a new file beside the name and puts it in place only when the download is
// complete; every failure throws EInOutError. A link or a folder at the name is never written through.
class UpdateRecordWriter {
public:
    UpdateRecordWriter();
    ~UpdateRecordWriter();
    UpdateRecordWriter(const UpdateRecordWriter&) = delete;
    UpdateRecordWriter& operator=(const UpdateRecordWriter&) = delete;

    // Starts a new file for `path` with the permission bits `mode` (at most the collection's).
    void create(const std::string& path, mode_t mode = 0600);
    // Appends a record; past kMaxUpdateFileBytes the download is refused.
    void append(const TUpdateRecord& record);
    // Flushes to disk and puts the file in place of the name; a failure throws and leaves no file.
    void close();
    // Drops the unfinished file, and the update.dat of an earlier download too: after a failed
    // download none is left that could be taken for this one's.
    void discard();
    bool isOpen() const { return file_ != nullptr; }

private:
    void flush();

    std::unique_ptr<FileReplacement> file_;
    std::string path_;
    std::string pending_; // records not yet written, a block at a time
};

} // namespace vitrinex::net
