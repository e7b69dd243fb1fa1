#include "platform/PlatformSound.h"

#include "platform/FilePlaces.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <QSoundEffect>
#include <QUrl>
#include <QWaveDecoder>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vitrinex {

namespace {

void platformBeep() {
    // The beep goes through the GUI platform; without a GUI application there is nothing to beep on.
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance())) QApplication::beep();
}

} // namespace

QtSoundService::QtSoundService(Beep beep) : beep_(beep ? std::move(beep) : Beep(platformBeep)) {}

QtSoundService::~QtSoundService() {
    if (effect_) delete effect_.data();
}

bool QtSoundService::isPlayableWave(const QString& path) {
    // Only a regular file is a sound file; a FIFO or a device is refused without waiting on it.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) return false;
    struct stat st {};
    QFile file;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) ||
        !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return false;
    }
    // The player's own decoder reads a local file's header at once; a format is known only when
    // a usable "fmt " chunk and the start of the "data" chunk were found.
    QWaveDecoder decoder(&file);
    if (!decoder.open(QIODevice::ReadOnly)) return false;
    return decoder.audioFormat().isValid();
}

QSoundEffect* QtSoundService::effect() {
    if (!effect_) {
        QCoreApplication* app = QCoreApplication::instance();
        if (!app) return nullptr;
        // Owned by the application so that it goes before the audio system does.
        effect_ = new QSoundEffect(app);
        QObject::connect(effect_.data(), &QSoundEffect::statusChanged, effect_.data(), [this] {
            // A file that passed the header check but still fails to decode.
            if (effect_ && effect_->status() == QSoundEffect::Error) fallBack();
        });
    }
    return effect_.data();
}

void QtSoundService::fallBack() {
    currentFile_.clear();
    try {
        beep_();
    } catch (...) {
    }
}

void QtSoundService::playAsync(const QString& name) {
    try {
        const QString path = name.isEmpty() ? QString() : filePlaces().dataPath(name);
        if (path.isEmpty() || !isPlayableWave(path)) {
            fallBack();
            return;
        }
        QSoundEffect* player = effect();
        if (!player) {
            fallBack();
            return;
        }
        player->stop();
        const QUrl url = QUrl::fromLocalFile(path);
        if (player->source() != url || player->status() == QSoundEffect::Error) {
            // Loading afresh lets a file that failed before be tried (and reported) again.
            player->setSource(QUrl());
            player->setSource(url);
        }
        currentFile_ = path;
        player->play();
    } catch (...) {
        // A sound never stops a command.
    }
}

} // namespace vitrinex
