#pragma once
// update.dat: the file of 21-byte update records that a download writes, one record per catalog
// number and price, in the order the answer delivered them.

#include "collection/UpdateRecord.h"

#include <string>

namespace vitrinex::net {

// Creates (or empties) the file and appends whole records to it. Every failure throws EInOutError; a
// path that names something other than a regular file is refused with "File access denied".
class UpdateRecordWriter {
public:
    UpdateRecordWriter() = default;
    ~UpdateRecordWriter();
    UpdateRecordWriter(const UpdateRecordWriter&) = delete;
    UpdateRecordWriter& operator=(const UpdateRecordWriter&) = delete;

    void create(const std::string& path);
    void append(const TUpdateRecord& record);
    // Flushes to disk and closes; a failure throws after the file was closed.
    void close();
    bool isOpen() const { return fd_ >= 0; }

private:
    int fd_ = -1;
};

} // namespace vitrinex::net
