#pragma once
// Makes a file immutable (chattr +i) for the life of the object: a file that cannot be written even by
// root, which the tests run as. Some file systems and users cannot do it; ok() then answers false.

#include <QByteArray>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace vitrinex::fixtures {

class ImmutableFile {
public:
    explicit ImmutableFile(const QByteArray& path) : fd_(::open(path.constData(), O_RDONLY)) {
        ok_ = fd_ >= 0 && ::ioctl(fd_, FS_IOC_GETFLAGS, &flags_) == 0 &&
              (flags_ |= FS_IMMUTABLE_FL, ::ioctl(fd_, FS_IOC_SETFLAGS, &flags_) == 0);
    }
    ~ImmutableFile() {
        if (ok_) {
            flags_ &= ~FS_IMMUTABLE_FL;
            ::ioctl(fd_, FS_IOC_SETFLAGS, &flags_);
        }
        if (fd_ >= 0) ::close(fd_);
    }
    ImmutableFile(const ImmutableFile&) = delete;
    ImmutableFile& operator=(const ImmutableFile&) = delete;
    bool ok() const { return ok_; }
    static const char* unavailable() {
        return "this file system or user cannot make a file immutable (chattr +i)";
    }

private:
    int fd_;
    int flags_ = 0;
    bool ok_ = false;
};

} // namespace vitrinex::fixtures

namespace fixtures = vitrinex::fixtures;
