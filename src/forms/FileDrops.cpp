#include "forms/FileDrops.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QUrl>
#include <QWidget>

namespace vitrinex {
namespace {

bool isCollection(const QString& fileName) {
    return QFileInfo(fileName).suffix().compare(QLatin1String("fcd"), Qt::CaseInsensitive) == 0;
}

bool isCsv(const QString& fileName) {
    return QFileInfo(fileName).suffix().compare(QLatin1String("csv"), Qt::CaseInsensitive) == 0;
}

} // namespace

QString droppedFileOf(const QMimeData* data) {
    if (!data || !data->hasUrls()) return {};
    for (const QUrl& url : data->urls()) {
        const QString fileName = url.toLocalFile();
        if (!fileName.isEmpty() && (isCollection(fileName) || isCsv(fileName))) return fileName;
    }
    return {};
}

FileDrops::FileDrops(QWidget* window) : QObject(window) {
    window->setAcceptDrops(true);
    window->installEventFilter(this);
}

bool FileDrops::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto* drag = static_cast<QDragMoveEvent*>(event);
        if (droppedFileOf(drag->mimeData()).isEmpty())
            drag->ignore();
        else
            drag->acceptProposedAction();
        return true;
    }
    case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        const QString fileName = droppedFileOf(drop->mimeData());
        if (fileName.isEmpty()) {
            drop->ignore();
            return true;
        }
        drop->acceptProposedAction();
        const QPoint at = static_cast<QWidget*>(watched)->mapToGlobal(drop->position().toPoint());
        QMetaObject::invokeMethod(
            this,
            [this, fileName, at] {
                if (isCollection(fileName))
                    emit collectionDropped(fileName);
                else
                    emit csvDropped(fileName, at);
            },
            Qt::QueuedConnection);
        return true;
    }
    default:
        return QObject::eventFilter(watched, event);
    }
}

} // namespace vitrinex
