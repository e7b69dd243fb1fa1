#include "net/UpdateRecordFile.h"

#include "collection/InOutError.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace vitrinex::net {

UpdateRecordWriter::~UpdateRecordWriter() {
    if (fd_ >= 0) ::close(fd_);
}

void UpdateRecordWriter::create(const std::string& path) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd_ < 0) throw EInOutError::fromErrno(errno);
}

void UpdateRecordWriter::append(const TUpdateRecord& record) {
    if (fd_ < 0) throw EInOutError::fromCode(103); // file not open
    const char* data = reinterpret_cast<const char*>(&record);
    std::size_t left = sizeof record;
    while (left > 0) {
        const ssize_t n = ::write(fd_, data, left);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) throw EInOutError::fromErrno(n < 0 ? errno : ENOSPC);
        data += n;
        left -= static_cast<std::size_t>(n);
    }
}

void UpdateRecordWriter::close() {
    if (fd_ < 0) return;
    const int syncError = ::fsync(fd_) == 0 ? 0 : errno;
    const int closeError = ::close(fd_) == 0 ? 0 : errno;
    fd_ = -1;
    if (syncError && syncError != EINVAL) throw EInOutError::fromErrno(syncError);
    if (closeError) throw EInOutError::fromErrno(closeError);
}

} // namespace vitrinex::net
