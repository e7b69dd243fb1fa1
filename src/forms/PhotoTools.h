#pragma once
// The main window's photos: the selected item's cover beside its name in the detail panel (a click
// opens the photos window), image files dropped on the detail panel added to the item, and the
// "photos" command (Ctrl+I) that shows the photos window. The main window owns this and, through
// it, the photos window; every change goes through the collection's session.

#include <QObject>
#include <QRect>

#include <memory>

class QAction;
class QLabel;
class QMenu;
class QWidget;
class TPhotosForm;

namespace vitrinex {

class CollectionSession;
class CollectionView;
class ThumbnailCache;

class PhotoTools : public QObject {
    Q_OBJECT
public:
    // Where the cover shows on the main window's picture: at the top right of the detail panel.
    static constexpr QRect kCoverArea{420, 186, 50, 36};

    // Adds the command to `menu`. Install after the window's other drop handlers: the detail panel's
    // image drops are taken before them.
    PhotoTools(QWidget* window, CollectionSession& session, CollectionView& view, QMenu* menu);
    ~PhotoTools() override;

    void photos1Click();

private:
    void showCover();
    bool inDetailPanel(QPoint windowPos) const;

    QWidget* window_;
    CollectionSession& session_;
    CollectionView& view_;
    std::unique_ptr<ThumbnailCache> pictures_;
    std::unique_ptr<TPhotosForm> PhotosForm; // a top-level window of its own
    QLabel* CoverIMG;
    QAction* photos1;
};

} // namespace vitrinex
