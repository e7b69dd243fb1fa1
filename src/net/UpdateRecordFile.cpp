#include "net/UpdateRecordFile.h"

#include "collection/CollectionFile.h"
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
    fd_ = -1;
    ignoreFileSizeSignal();
    // Emptied only once it is known to be a regular file: a FIFO or a device of that name is refused.
    const int fd = openRegularFile(path, O_WRONLY | O_CREAT);
    if (::ftruncate(fd, 0) != 0) {
        const int error = errno;
        ::close(fd);
        throw EInOutError::fromErrno(error);
    }
    fd_ = fd;
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
