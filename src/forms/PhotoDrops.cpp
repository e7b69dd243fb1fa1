#include "forms/PhotoDrops.h"

#include "forms/ErrorReport.h"
#include "model/CollectionSession.h"

#include <QBuffer>
#include <QClipboard>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QImageWriter>
#include <QMimeData>
#include <QTemporaryDir>
#include <QUrl>
#include <QWidget>

namespace vitrinex {
namespace {

bool looksLikePhoto(const QString& fileName) {
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    return suffix == QLatin1String("jpg") || suffix == QLatin1String("jpeg") ||
           suffix == QLatin1String("png") || suffix == QLatin1String("webp");
}

} // namespace

QStringList imageFilesOf(const QMimeData* data) {
    QStringList files;
    if (!data || !data->hasUrls()) return files;
    for (const QUrl& url : data->urls()) {
        const QString fileName = url.toLocalFile();
        if (!fileName.isEmpty() && looksLikePhoto(fileName)) files << fileName;
    }
    return files;
}

ImageDrops::ImageDrops(QWidget* window, std::function<bool(QPoint)> accepts)
    : QObject(window), accepts_(std::move(accepts)) {
    window->setAcceptDrops(true);
    window->installEventFilter(this);
}

bool ImageDrops::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop)
        return QObject::eventFilter(watched, event);
    auto* drop = static_cast<QDropEvent*>(event);
    const QStringList files = imageFilesOf(drop->mimeData());
    if (files.isEmpty() || !accepts_(drop->position().toPoint())) return false; // the next handler's
    drop->acceptProposedAction();
    if (type == QEvent::Drop)
        QMetaObject::invokeMethod(
            this, [this, files] { emit imagesDropped(files); }, Qt::QueuedConnection);
    return true;
}

bool addPhotosToCurrentItem(QWidget* parent, CollectionSession& session, const QStringList& files) {
    const TFigureNode* item = session.collection().currentItem();
    if (!item || files.isEmpty() || refusedAsReadOnly(session.collection())) return false;
    const std::string name(item->Record.FigureName.view());
    std::vector<std::string> paths;
    for (const QString& f : files)
        paths.push_back(QFile::encodeName(f).toStdString());
    return runGuarded(parent, [&] { session.addPhotos(name, paths); });
}

bool pasteImageToCurrentItem(QWidget* parent, CollectionSession& session) {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    if (!data) return false;
    const QStringList files = imageFilesOf(data);
    if (!files.isEmpty()) return addPhotosToCurrentItem(parent, session, files);
    // A picture copied from a browser or an editor: its own bytes when it comes encoded, so that
    // nothing is re-encoded that need not be.
    QByteArray bytes;
    QString extension;
    static const std::pair<const char*, const char*> kEncoded[] = {
        {"image/jpeg", "jpg"}, {"image/png", "png"}, {"image/webp", "webp"}};
    for (const auto& encoded : kEncoded)
        if (data->hasFormat(QLatin1String(encoded.first))) {
            bytes = data->data(QLatin1String(encoded.first));
            extension = QLatin1String(encoded.second);
            break;
        }
    if (bytes.isEmpty() && data->hasImage()) {
        const QImage image = qvariant_cast<QImage>(data->imageData());
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        if (image.isNull() || !QImageWriter(&buffer, "png").write(image)) bytes.clear();
        extension = QStringLiteral("png");
    }
    if (bytes.isEmpty()) return false;
    QTemporaryDir folder; // private (0700), removed with everything in it
    if (!folder.isValid()) return false;
    const QString path = folder.filePath(QStringLiteral("pasted.") + extension);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.flush()) return false;
    file.close();
    return addPhotosToCurrentItem(parent, session, {path});
}

} // namespace vitrinex
