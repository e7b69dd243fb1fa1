#include "collection/InOutError.h"

#include <cerrno>
#include <sys/stat.h>

namespace vitrinex {

EInOutError EInOutError::fromCode(int code) {
    switch (code) {
    case kFileNotFound:
        return {code, "File not found"};
    case kPathNotFound:
        return {code, "Path not found"};
    case kTooManyOpenFiles:
        return {code, "Too many open files"};
    case kAccessDenied:
        return {code, "File access denied"};
    case kNotEnoughMemory:
        return {code, "Not enough memory"};
    case kReadBeyondEnd:
        return {code, "Read beyond end of file"};
    case kDiskFull:
        return {code, "Disk full"};
    case kSharingViolation:
        return {code, "File is in use by another program"};
    case kFileNameTooLong:
        return {code, "File name too long"};
    case kSymbolicLinkLoop:
        return {code, "Too many levels of symbolic links"};
    default:
        return {code, "I/O error " + std::to_string(code)};
    }
}

EInOutError EInOutError::fromErrno(int e) {
    switch (e) {
    case ENOENT:
        return fromCode(kFileNotFound);
    case ENOTDIR:
        return fromCode(kPathNotFound);
    case EMFILE:
    case ENFILE:
        return fromCode(kTooManyOpenFiles);
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
    case ETXTBSY:
        return fromCode(kAccessDenied);
    case ENOSPC:
    case EFBIG:
    case EDQUOT:
        return fromCode(kDiskFull);
    case ENAMETOOLONG:
        return fromCode(kFileNameTooLong);
    case ELOOP:
        return fromCode(kSymbolicLinkLoop);
    case EWOULDBLOCK:
        return fromCode(kSharingViolation);
    case EIO:
        return fromCode(kDeviceIOError);
    default:
        return fromCode(e);
    }
}

EInOutError EInOutError::fromErrno(int e, const std::string& path) {
    if (e == ENOENT) {
        const std::size_t slash = path.rfind('/');
        struct stat st {};
        if (slash != std::string::npos && slash > 0 && ::stat(path.substr(0, slash).c_str(), &st) != 0)
            return fromCode(kPathNotFound);
    }
    return fromErrno(e);
}

} // namespace vitrinex
