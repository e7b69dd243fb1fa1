#include "photos/ThumbnailCache.h"

#include "collection/CollectionData.h"
#include "collection/SafeFile.h"
#include "photos/PhotoImage.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>

#include <cstdlib>
#include <sys/stat.h>

namespace vitrinex {
namespace {

// Decoded pictures kept in memory, in kilobytes (a thumbnail of 96 pixels is about 36).
constexpr int kMemoryKb = 96 * 1024;

QString keyOf(const QString& photoPath, int edge) {
    return photoPath + QLatin1Char('@') + QString::number(edge);
}

QImage decode(const QByteArray& bytes, int edge) {
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setAutoTransform(true);
    const QSize size = reader.size();
    if (size.isEmpty()) return {};
    // A JPEG decodes straight to the smaller size, much faster than decoding it whole.
    if (size.width() > edge || size.height() > edge)
        reader.setScaledSize(size.scaled(edge, edge, Qt::KeepAspectRatio).expandedTo(QSize(1, 1)));
    return reader.read();
}

// A kept thumbnail is used only when it is a regular file of ours that reads as a picture no larger
// than asked for: anything else is made again.
QImage readKept(const std::string& path, int edge) {
    try {
        const int fd = openRegularFile(path, O_RDONLY | O_NOFOLLOW);
        struct stat st {};
        const bool ours = ::fstat(fd, &st) == 0 && st.st_uid == ::geteuid() && st.st_size < (4 << 20);
        QFile file;
        if (!ours || !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
            ::close(fd);
            return {};
        }
        const QByteArray bytes = file.readAll();
        QBuffer buffer;
        buffer.setData(bytes);
        buffer.open(QIODevice::ReadOnly);
        QImageReader reader(&buffer, "png");
        const QSize size = reader.size();
        if (!size.isValid() || size.width() > edge || size.height() > edge) return {};
        return reader.read();
    } catch (const std::exception&) {
        return {};
    }
}

void keep(const std::string& path, const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!QImageWriter(&buffer, "png").write(image)) return;
    // A thumbnail that cannot be kept is made again next time; nothing else is lost.
    try {
        const std::string folder = path.substr(0, path.rfind('/'));
        const std::string vitrinexFolder = folder.substr(0, folder.rfind('/'));
        ::mkdir(vitrinexFolder.substr(0, vitrinexFolder.rfind('/')).c_str(), 0700); // ~/.cache
        makePrivateFolder(vitrinexFolder);
        makePrivateFolder(folder);
        FileReplacement file(path, 0600);
        file.write(bytes.constData(), static_cast<std::size_t>(bytes.size()));
        file.commit();
    } catch (const std::exception&) {
    }
}

} // namespace

QImage makeThumbnail(const std::string& photoPath, int edge, const std::string& cachedFile) {
    if (!cachedFile.empty()) {
        QImage kept = readKept(cachedFile, edge);
        if (!kept.isNull()) return kept;
    }
    QImage image;
    try {
        const QByteArray bytes = readPhotoFile(photoPath);
        checkImageHeader(bytes); // a picture too large to decode is refused before it is
        image = decode(bytes, edge);
    } catch (const std::exception&) {
        return {};
    }
    if (!image.isNull() && !cachedFile.empty()) keep(cachedFile, image);
    return image;
}

QString ThumbnailCache::folder() {
    const QByteArray xdg = qgetenv("XDG_CACHE_HOME");
    const QString base = xdg.startsWith('/') ? QFile::decodeName(xdg)
                                             : QFile::decodeName(qgetenv("HOME")) + QStringLiteral("/.cache");
    return base + QStringLiteral("/vitrinex/thumbnails");
}

ThumbnailCache::ThumbnailCache(QObject* parent) : QObject(parent), memory_(kMemoryKb) {
    pool_.setMaxThreadCount(2);
}

ThumbnailCache::~ThumbnailCache() {
    pool_.clear();
    pool_.waitForDone();
}

QImage ThumbnailCache::picture(const std::string& photoPath, int edge) {
    const QString path = QFile::decodeName(photoPath.c_str());
    const QString key = keyOf(path, edge);
    if (const QImage* image = memory_.object(key)) return *image;
    if (pending_.contains(key) || failed_.contains(key)) return {};
    pending_.insert(key);
    // The photo's file name is its content's hash: the kept thumbnail is named after it.
    const std::string cachedFile = edge > kDiskEdge ? std::string()
                                                    : QFile::encodeName(folder() + QLatin1Char('/') +
                                                                        QFileInfo(path).completeBaseName() +
                                                                        QStringLiteral("-%1.png").arg(edge))
                                                          .toStdString();
    pool_.start([this, key, path, photoPath, edge, cachedFile] {
        const QImage image = makeThumbnail(photoPath, edge, cachedFile);
        QMetaObject::invokeMethod(
            this, [this, key, path, edge, image] { made(key, path, edge, image); }, Qt::QueuedConnection);
    });
    return {};
}

void ThumbnailCache::made(const QString& key, const QString& photoPath, int edge, const QImage& image) {
    pending_.remove(key);
    if (image.isNull())
        failed_.insert(key);
    else
        memory_.insert(key, new QImage(image), std::max<qsizetype>(1, image.sizeInBytes() / 1024));
    emit ready(photoPath, edge);
}

} // namespace vitrinex
