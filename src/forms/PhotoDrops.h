#pragma once
// Photos brought to a window from outside: image files dropped on it, an image pasted, and the add of
// image files to the current item through the collection's session, its refusals told to the user.

#include <QObject>
#include <QPoint>
#include <QStringList>

#include <functional>

class QMimeData;
class QWidget;

namespace vitrinex {

class CollectionSession;

// The local files a drop or the clipboard carries that look like photos (".jpg", ".jpeg", ".png",
// ".webp"); the images themselves are checked when they are added.
QStringList imageFilesOf(const QMimeData* data);

// Takes drops of image files on `window` where `accepts(pos)` says so (the position in the window's
// coordinates); other drops go on to the window's other handlers. Install it after them: the last
// filter installed sees the events first.
class ImageDrops : public QObject {
    Q_OBJECT
public:
    ImageDrops(QWidget* window, std::function<bool(QPoint)> accepts);

signals:
    // After the drop has ended, so that the program the files came from is not kept waiting.
    void imagesDropped(const QStringList& files);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::function<bool(QPoint)> accepts_;
};

// Adds `files` to the current item's photos, all or none. A read-only collection, a refused image
// or a failed write is told over `parent`; true when they were added.
bool addPhotosToCurrentItem(QWidget* parent, CollectionSession& session, const QStringList& files);

// The image on the clipboard as the current item's photo: image files copied in a file manager are
// added as they are; a copied picture is added as the bytes it was copied in (PNG, JPEG or WebP),
// else written as PNG. False when the clipboard holds no image or the add failed (and said so).
bool pasteImageToCurrentItem(QWidget* parent, CollectionSession& session);

} // namespace vitrinex
