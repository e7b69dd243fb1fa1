#pragma once
// Small pictures of the photos for the windows, made on worker threads so that the user interface
// never waits for a decode. A photo's file is named by its content's hash, so a thumbnail made once
// is good for every collection: it is kept in the user's cache folder
// ($XDG_CACHE_HOME/vitrinex/thumbnails, ~/.cache/... by default; private, written by replacement) and
// in memory. Larger views (see kLargeEdge) are kept in memory only.

#include <QCache>
#include <QImage>
#include <QObject>
#include <QSet>
#include <QString>
#include <QThreadPool>

#include <string>

namespace vitrinex {

class ThumbnailCache : public QObject {
    Q_OBJECT
public:
    // Pictures up to this edge are kept on disk too.
    static constexpr int kDiskEdge = 256;
    // The edge of the large view of the photos window.
    static constexpr int kLargeEdge = 1280;

    explicit ThumbnailCache(QObject* parent = nullptr);
    ~ThumbnailCache() override; // waits for the pictures being made

    // The picture of the photo file at `photoPath` fitting a square of `edge`, when it is ready; else
    // a null image, and `ready` follows once it is made (or failed: then the image stays null).
    QImage picture(const std::string& photoPath, int edge);

    // The folder the thumbnails are kept in.
    static QString folder();

signals:
    void ready(const QString& photoPath, int edge);

private:
    void made(const QString& key, const QString& photoPath, int edge, const QImage& image);

    QThreadPool pool_;
    QCache<QString, QImage> memory_;
    QSet<QString> pending_;
    QSet<QString> failed_;
};

// Makes the picture of `photoPath` fitting a square of `edge` (Qt's readers, the orientation applied,
// the header's size checked before decoding); keeps it at `cachedFile` when that is not empty and
// reads it from there when it is already made. A null image when the photo does not read.
QImage makeThumbnail(const std::string& photoPath, int edge, const std::string& cachedFile);

} // namespace vitrinex
