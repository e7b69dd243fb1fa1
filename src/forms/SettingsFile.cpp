#include "forms/SettingsFile.h"

#include "collection/CollectionData.h"
#include "collection/InOutError.h"
#include "collection/SafeFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vitrinex {

namespace {

// The errno of the step that just failed; a step that failed without one counts as `fallback`.
[[noreturn]] void failWithErrno(int savedErrno, int fallbackCode) {
    if (savedErrno != 0) throw EInOutError::fromErrno(savedErrno);
    throw EInOutError::fromCode(fallbackCode);
}

} // namespace

QString settingsPathIn(const QString& folder) {
    return QDir(folder).filePath(QLatin1String(kSettingsFileName));
}

bool readSoundsSetting(const QString& folder) {
    const QString path = settingsPathIn(folder);
    try {
        // Only a regular file is read, without waiting on a FIFO or a device; anything else is
        // refused like a file that cannot be opened.
        const int fd = openRegularFile(QFile::encodeName(path).toStdString());
        // The first line is "1" exactly when the file starts with "1" followed by a line end
        // (CR or LF) or the end of the file, so two bytes decide it however long the file is.
        char head[2] = {};
        ssize_t got = 0;
        bool failed = false;
        while (got < 2) {
            const ssize_t n = ::read(fd, head + got, sizeof head - static_cast<std::size_t>(got));
            if (n < 0 && errno == EINTR) continue;
            failed = n < 0;
            if (n <= 0) break;
            got += n;
        }
        ::close(fd);
        if (!failed) {
            if (got == 0 || head[0] != '1') return false;
            return got == 1 || head[1] == '\n' || head[1] == '\r';
        }
    } catch (const EInOutError&) {
    }
    // Missing or unreadable: start afresh with sounds on.
    try {
        writeSoundsSetting(path, true);
    } catch (const EInOutError&) {
        // Nothing to report at start-up; the file is tried again at the end.
    }
    return true;
}

void writeSoundsSetting(const QString& path, bool soundsOn) {
    const QByteArray line = soundsOn ? QByteArrayLiteral("1\r\n") : QByteArrayLiteral("0\r\n");
    const QByteArray native = QFile::encodeName(path);

    // Replacing by rename would get past a write-protected file; the old runtime refused it. Nor is
    // a FIFO, a device or a folder of that name replaced or written to.
    struct stat st {};
    if (::stat(native.constData(), &st) == 0 && !S_ISREG(st.st_mode)) failWithErrno(0, kAccessDenied);
    errno = 0;
    if (QFileInfo::exists(path) && ::access(native.constData(), W_OK) != 0)
        failWithErrno(errno, kAccessDenied);

    // Written like every other file: a temporary file renamed over the name, so a link another
    // user put there is refused, never followed.
    try {
        FileReplacement file(native.toStdString(), 0600);
        file.write(line.constData(), static_cast<std::size_t>(line.size()));
        file.commit();
    } catch (const EInOutError& e) {
        // As the settings have always said: a folder that is not there is a file not found.
        if (e.code() == kPathNotFound) throw EInOutError::fromCode(kFileNotFound);
        throw;
    }
}

QString zoomSettingPath() {
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    const QString base =
        xdg && xdg[0] == '/' ? QFile::decodeName(xdg) : QFile::decodeName(qgetenv("HOME")) + "/.config";
    return base + QStringLiteral("/vitrinex/zoom");
}

int readZoomSetting(const QString& path) {
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return kZoomFollowsScreen;
    char text[16] = {};
    ssize_t got = -1;
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid())
        got = ::read(fd, text, sizeof text - 1);
    ::close(fd);
    if (got <= 0) return kZoomFollowsScreen;
    const int zoom = QByteArray(text, static_cast<qsizetype>(got)).trimmed().toInt();
    return std::find(std::begin(kZoomLevels), std::end(kZoomLevels), zoom) != std::end(kZoomLevels)
               ? zoom
               : kZoomFollowsScreen;
}

void writeZoomSetting(const QString& path, int zoom) {
    const QByteArray line =
        zoom == kZoomFollowsScreen ? QByteArrayLiteral("screen\n") : QByteArray::number(zoom) + '\n';
    const std::string native = QFile::encodeName(path).toStdString();
    const std::string folder = native.substr(0, native.rfind('/'));
    ::mkdir(folder.substr(0, folder.rfind('/')).c_str(), 0700); // ~/.config on a fresh account
    makePrivateFolder(folder);
    FileReplacement file(native, 0600);
    file.write(line.constData(), static_cast<std::size_t>(line.size()));
    file.commit();
}

void applyZoomBeforeStart(int zoom) {
    if (zoom == kZoomFollowsScreen) return;
    qputenv("QT_ENABLE_HIGHDPI_SCALING", "0"); // the platform's own factor would multiply the zoom
    qunsetenv("QT_SCREEN_SCALE_FACTORS");
    qunsetenv("QT_AUTO_SCREEN_SCALE_FACTOR");
    qputenv("QT_SCALE_FACTOR", QByteArray::number(zoom / 100.0));
}

} // namespace vitrinex
