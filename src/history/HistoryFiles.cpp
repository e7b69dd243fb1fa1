#include "history/HistoryFiles.h"

#include "collection/EscapedText.h"
#include "collection/InOutError.h"
#include "collection/SafeFile.h"

#include <QDateTime>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vitrinex::history {

std::string timeNow() {
    return QDateTime::currentDateTimeUtc().toString(Qt::ISODate).toStdString();
}

std::optional<std::string> readStoreFile(const std::string& path, std::size_t limit) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) {
        if (errno == ENOENT) return std::nullopt;
        throw EInOutError::fromErrno(errno, path);
    }
    const auto refused = [&path](const char* why) {
        return EInOutError(kAccessDenied, "File access denied: " + path + " " + why);
    };
    if (!S_ISREG(st.st_mode)) throw refused("is no regular file");
    const int fd = openRegularFile(path, O_RDONLY | O_NOFOLLOW);
    if (::fstat(fd, &st) != 0 || st.st_uid != ::geteuid() || std::size_t(st.st_size) > limit) {
        ::close(fd);
        throw refused("is no file of this user's history");
    }
    std::string text;
    text.reserve(std::size_t(st.st_size));
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            const int error = errno;
            ::close(fd);
            throw EInOutError::fromErrno(error, path);
        }
        if (n == 0) break;
        text.append(buffer, std::size_t(n));
    }
    ::close(fd);
    return text;
}

void writeStoreFile(const std::string& path, const std::string& collectionPath, const std::string& text) {
    FileReplacement file(path, copyRulesFor(collectionPath).mode);
    file.write(text.data(), text.size());
    file.commit();
}

std::optional<std::vector<std::string>> fields(std::string_view line, std::size_t count) {
    std::vector<std::string> out(count);
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t tab = line.find('\t');
        if ((tab == std::string_view::npos) != (i + 1 == count)) return std::nullopt;
        if (!unescape(line.substr(0, tab), out[i])) return std::nullopt;
        line = tab == std::string_view::npos ? std::string_view() : line.substr(tab + 1);
    }
    return out;
}

bool forEachLine(std::string_view text, std::size_t& lineNumber,
                 const std::function<bool(std::string_view line)>& onLine) {
    lineNumber = 0;
    while (!text.empty()) {
        ++lineNumber;
        const std::size_t end = text.find('\n');
        if (end == std::string_view::npos || !onLine(text.substr(0, end))) return false;
        text.remove_prefix(end + 1);
    }
    return true;
}

} // namespace vitrinex::history
