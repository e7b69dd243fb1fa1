#pragma once
// The input/output error of a file operation, carrying the message a user sees
// ("File not found", "File access denied", "Disk full", "Read beyond end of file", "I/O error %d").

#include <stdexcept>
#include <string>

namespace vitrinex {

class EInOutError : public std::runtime_error {
public:
    EInOutError(int code, const std::string& message) : std::runtime_error(message), code_(code) {}
    // The error's number in the old runtime's numbering (2 file not found, 5 access denied,
    // 100 read beyond end of file, 101 disk full, ...).
    int code() const noexcept { return code_; }

    // Builds the error for a runtime error number with its standard text.
    static EInOutError fromCode(int code);
    // Builds the error for a failed system call (errno value).
    static EInOutError fromErrno(int errnoValue);
    // The same for a call on `path`: a missing folder on the way reads "Path not found".
    static EInOutError fromErrno(int errnoValue, const std::string& path);

private:
    int code_;
};

// Runtime error numbers used by the collection file code.
enum InOutCode : int {
    kFileNotFound = 2,
    kPathNotFound = 3,
    kTooManyOpenFiles = 4,
    kAccessDenied = 5,
    kNotEnoughMemory = 8,
    kSharingViolation = 32,
    kFileNameTooLong = 36,
    kSymbolicLinkLoop = 40,
    kReadBeyondEnd = 100,
    kDiskFull = 101,
    kFileNotOpen = 103,
    kDeviceIOError = 1117, // the device reported an I/O failure
};

} // namespace vitrinex
