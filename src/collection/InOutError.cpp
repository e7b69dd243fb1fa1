#include "collection/InOutError.h"

#include <cerrno>

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
    case kReadBeyondEnd:
        return {code, "Read beyond end of file"};
    case kDiskFull:
        return {code, "Disk full"};
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
    case EIO:
        return fromCode(1117); // the device reported an I/O failure
    default:
        return fromCode(e);
    }
}

} // namespace vitrinex
