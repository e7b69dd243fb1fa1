#include "forms/PhotoTools.h"

#include "forms/CollectionView.h"
#include "forms/PhotoDrops.h"
#include "forms/PhotosWindow.h"
#include "model/CollectionSession.h"
#include "photos/PhotoStore.h"
#include "photos/ThumbnailCache.h"
#include "sound/Sound.h"

#include <QAction>
#include <QEvent>
#include <QLabel>
#include <QMenu>
#include <QWidget>

#include <functional>

namespace vitrinex {
namespace {

// The detail panel on the main window's picture, its frame included.
constexpr QRect kDetailPanel{237, 176, 243, 202};
// The room the name keeps on the cover's left.
constexpr int kNameRoom = 8;

class ClickFilter : public QObject {
public:
    ClickFilter(QObject* parent, std::function<void()> clicked)
        : QObject(parent), clicked_(std::move(clicked)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::MouseButtonRelease) clicked_();
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> clicked_;
};

} // namespace

PhotoTools::PhotoTools(QWidget* window, CollectionSession& session, CollectionView& view, QMenu* menu)
    : window_(window), session_(session), view_(view), pictures_(std::make_unique<ThumbnailCache>()),
      PhotosForm(std::make_unique<TPhotosForm>(session, *pictures_)) {
    CoverIMG = new QLabel(window);
    CoverIMG->setObjectName(QStringLiteral("CoverIMG"));
    CoverIMG->setGeometry(kCoverArea);
    CoverIMG->setAlignment(Qt::AlignRight | Qt::AlignTop);
    CoverIMG->setCursor(Qt::PointingHandCursor);
    CoverIMG->setToolTip(QStringLiteral("click to see the item's photos"));
    CoverIMG->installEventFilter(new ClickFilter(this, [this] { photos1Click(); }));
    CoverIMG->hide();

    photos1 = new QAction(QStringLiteral("photos"), menu);
    photos1->setObjectName(QStringLiteral("photos1"));
    photos1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_I));
    photos1->setShortcutContext(Qt::WindowShortcut);
    photos1->setEnabled(false);
    connect(photos1, &QAction::triggered, this, &PhotoTools::photos1Click);
    window->addAction(photos1);
    menu->addAction(photos1);

    auto* drops = new ImageDrops(window, [this](QPoint pos) { return inDetailPanel(pos); });
    drops->setParent(this); // its filter goes with this
    connect(drops, &ImageDrops::imagesDropped, this, [this](const QStringList& files) {
        if (addPhotosToCurrentItem(window_, session_, files)) Play(QString::fromLatin1(kSoundAdd));
    });
    connect(pictures_.get(), &ThumbnailCache::ready, this, &PhotoTools::showCover);
    for (auto signal : {&CollectionSession::itemSelected, &CollectionSession::photosChanged,
                        &CollectionSession::itemsChanged, &CollectionSession::opened,
                        &CollectionSession::reloaded, &CollectionSession::closed})
        connect(&session_, signal, this, &PhotoTools::showCover);
}

PhotoTools::~PhotoTools() = default;

bool PhotoTools::inDetailPanel(QPoint windowPos) const {
    return session_.collection().isOpen() && session_.collection().currentItem() && view_.hasSelection() &&
           kDetailPanel.contains(windowPos);
}

void PhotoTools::photos1Click() {
    if (!photos1->isEnabled()) return;
    Play(QString::fromLatin1(kSoundClick));
    PhotosForm->showBeside(window_);
}

void PhotoTools::showCover() {
    const OpenCollection& c = session_.collection();
    const TFigureNode* item = c.isOpen() && view_.hasSelection() ? c.currentItem() : nullptr;
    photos1->setEnabled(item != nullptr);
    std::vector<Photo> photos;
    if (item) {
        try {
            photos = PhotoStore(c.fileName()).photos(item->Record.FigureName.view());
        } catch (const std::exception&) {
            // An index that cannot be read shows no cover; a change of the photos tells why.
        }
    }
    const QImage cover = photos.empty()
                             ? QImage()
                             : pictures_->picture(session_.photoPath(photos.front()), kCoverArea.height());
    CoverIMG->setVisible(!cover.isNull());
    if (!cover.isNull())
        CoverIMG->setPixmap(QPixmap::fromImage(
            cover.scaled(kCoverArea.size(), Qt::KeepAspectRatio, Qt::SmoothTransformation)));
    CoverIMG->raise();
    // A long name wraps before it reaches the cover.
    view_.setNameRightEdge(cover.isNull() ? -1 : kCoverArea.left() - kNameRoom);
}

} // namespace vitrinex
