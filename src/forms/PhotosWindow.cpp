#include "forms/PhotosWindow.h"

#include "collection/Win1252.h"
#include "forms/ErrorReport.h"
#include "forms/PhotoDrops.h"
#include "forms/SkinnedWindow.h"
#include "model/CollectionSession.h"
#include "photos/ThumbnailCache.h"
#include "platform/FileDialogs.h"
#include "sound/Sound.h"

#include <QAction>
#include <QDesktopServices>
#include <QFile>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

using namespace vitrinex;

namespace {

constexpr int kThumbEdge = 96;
constexpr QSize kDefaultSize{720, 600};

QString darkStyle() {
    return QStringLiteral("QWidget#PhotosForm { background: black; }"
                          "QListWidget { background: black; color: white; border: 1px solid %1; }"
                          "QListWidget::item:selected { background: #404040; }"
                          "QPushButton { background: black; color: white; border: 1px solid %1;"
                          " padding: 3px 12px; }"
                          "QPushButton:hover { background: #1d3a22; }"
                          "QPushButton:disabled { color: #555; border-color: #1d3a22; }"
                          "QScrollBar:horizontal { background: black; height: 12px; margin: 0; }"
                          "QScrollBar::handle { background: #1d3a22; border: 1px solid %1; min-width: 24px; }"
                          "QScrollBar::add-line, QScrollBar::sub-line { width: 0; height: 0; border: 0; }"
                          "QScrollBar::add-page, QScrollBar::sub-page { background: black; }")
        .arg(kSkinGreen.name());
}

QString sizeText(std::int64_t bytes) {
    return bytes >= (1 << 20) ? QStringLiteral("%1 MB").arg(double(bytes) / (1 << 20), 0, 'f', 1)
                              : QStringLiteral("%1 KB").arg((bytes + 1023) / 1024);
}

} // namespace

TPhotosForm::TPhotosForm(CollectionSession& session, ThumbnailCache& pictures, QWidget* parent)
    : QWidget(parent, Qt::Window), session_(session), pictures_(pictures) {
    setObjectName(QStringLiteral("PhotosForm"));
    setWindowTitle(QStringLiteral("photos"));
    setAttribute(Qt::WA_StyledBackground);
    setStyleSheet(darkStyle());
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, Qt::black);
    setPalette(palette);

    ItemLBL = addLabel(this, QStringLiteral("ItemLBL"), QString(), {}, {12, kSkinWhite, true});
    PhotoIMG = addLabel(this, QStringLiteral("PhotoIMG"), QString(), {}, {10, kSkinGreen});
    PhotoIMG->setAlignment(Qt::AlignCenter);
    PhotoIMG->setMinimumSize(320, 240);
    PhotoIMG->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    InfoLBL = addLabel(this, QStringLiteral("InfoLBL"), QString(), {}, {10, kSkinGreen});

    StripLST = new QListWidget(this);
    StripLST->setObjectName(QStringLiteral("StripLST"));
    StripLST->setViewMode(QListView::IconMode);
    StripLST->setFlow(QListView::LeftToRight);
    StripLST->setWrapping(false);
    StripLST->setMovement(QListView::Static);
    StripLST->setIconSize(QSize(kThumbEdge, kThumbEdge));
    StripLST->setGridSize(QSize(kThumbEdge + 12, kThumbEdge + 12));
    StripLST->setFixedHeight(kThumbEdge + 32);
    StripLST->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    StripLST->setToolTip(QStringLiteral("the first photo is the cover"));
    connect(StripLST, &QListWidget::currentRowChanged, this, [this] { showChosen(); });
    connect(StripLST, &QListWidget::itemDoubleClicked, this, [this] { OpenBTNClick(); });

    const auto button = [this](const char* name, const QString& caption, const QString& hint,
                               void (TPhotosForm::*action)()) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(QString::fromLatin1(name));
        b->setFont(skinFont(10));
        b->setToolTip(hint);
        connect(b, &QPushButton::clicked, this, action);
        return b;
    };
    AddBTN = button("AddBTN", QStringLiteral("add photos"), QStringLiteral("choose image files to add"),
                    &TPhotosForm::AddBTNClick);
    RemoveBTN = button("RemoveBTN", QStringLiteral("remove"), QStringLiteral("remove the chosen photo"),
                       &TPhotosForm::RemoveBTNClick);
    CoverBTN = button("CoverBTN", QStringLiteral("make cover"), QStringLiteral("show the chosen photo first"),
                      &TPhotosForm::CoverBTNClick);
    OpenBTN = button("OpenBTN", QStringLiteral("open in viewer"),
                     QStringLiteral("open the chosen photo in the desktop's image viewer"),
                     &TPhotosForm::OpenBTNClick);
    auto* hint = addLabel(this, QStringLiteral("HintLBL"),
                          QStringLiteral("drop image files here or paste one"), {}, {9, kSkinGreen});

    auto* buttons = new QHBoxLayout;
    for (QWidget* w : std::initializer_list<QWidget*>{AddBTN, RemoveBTN, CoverBTN, OpenBTN})
        buttons->addWidget(w);
    buttons->addStretch(1);
    buttons->addWidget(hint);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 10, 10, 10);
    layout->addWidget(ItemLBL);
    layout->addWidget(PhotoIMG, 1);
    layout->addWidget(InfoLBL);
    layout->addWidget(StripLST);
    layout->addLayout(buttons);

    auto* pasteAction = new QAction(this);
    pasteAction->setShortcut(QKeySequence::Paste);
    connect(pasteAction, &QAction::triggered, this, &TPhotosForm::paste);
    addAction(pasteAction);
    auto* drops = new ImageDrops(this, [](QPoint) { return true; });
    connect(drops, &ImageDrops::imagesDropped, this,
            [this](const QStringList& files) { addPhotosToCurrentItem(this, session_, files); });

    connect(&pictures_, &ThumbnailCache::ready, this, [this](const QString& path, int edge) {
        if (!isVisible()) return;
        if (edge == kThumbEdge) {
            for (int row = 0; row < StripLST->count(); ++row)
                if (QFile::decodeName(paths_[std::size_t(row)].c_str()) == path)
                    StripLST->item(row)->setIcon(
                        QPixmap::fromImage(pictures_.picture(paths_[std::size_t(row)], edge)));
        }
        const int chosen = StripLST->currentRow();
        if (chosen >= 0 && QFile::decodeName(paths_[std::size_t(chosen)].c_str()) == path) showChosen();
    });
    // A change made here selects its result; one made elsewhere keeps the chosen photo where it can.
    for (auto signal : {&CollectionSession::itemSelected, &CollectionSession::itemsChanged,
                        &CollectionSession::opened, &CollectionSession::reloaded, &CollectionSession::closed})
        connect(&session_, signal, this, [this] { reload(0); });
    connect(&session_, &CollectionSession::photosChanged, this, [this] { reload(StripLST->currentRow()); });
    connect(&session_, &CollectionSession::closed, this, &QWidget::hide);
    resize(kDefaultSize);
    reload(0);
}

TPhotosForm::~TPhotosForm() = default;

std::string TPhotosForm::currentName() const {
    const TFigureNode* item = session_.collection().isOpen() ? session_.collection().currentItem() : nullptr;
    return item ? std::string(item->Record.FigureName.view()) : std::string();
}

void TPhotosForm::reload(int chosen) {
    const std::string name = currentName();
    photos_.clear();
    paths_.clear();
    if (!name.empty()) {
        // An index that cannot be read shows no photos; the next change tells why.
        try {
            photos_ = session_.photos(name).value_or(std::vector<Photo>());
        } catch (const std::exception&) {
        }
    }
    ItemLBL->setText(name.empty() ? QStringLiteral("no item selected") : toQString(name));
    const QSignalBlocker quiet(StripLST);
    StripLST->clear();
    for (std::size_t i = 0; i < photos_.size(); ++i) {
        paths_.push_back(session_.photoPath(photos_[i]));
        auto* item = new QListWidgetItem(i == 0 ? QStringLiteral("cover") : QString::number(i + 1), StripLST);
        const QImage thumb = isVisible() ? pictures_.picture(paths_.back(), kThumbEdge) : QImage();
        // Until its thumbnail is made a photo holds its place with an empty one of the same size.
        QPixmap placeholder(kThumbEdge, kThumbEdge);
        placeholder.fill(Qt::transparent);
        item->setIcon(thumb.isNull() ? placeholder : QPixmap::fromImage(thumb));
        item->setToolTip(QStringLiteral("%1 x %2, %3")
                             .arg(photos_[i].width)
                             .arg(photos_[i].height)
                             .arg(sizeText(photos_[i].bytes)));
    }
    if (!photos_.empty()) StripLST->setCurrentRow(std::clamp(chosen, 0, int(photos_.size()) - 1));
    showChosen();
}

void TPhotosForm::showChosen() {
    const int chosen = StripLST->currentRow();
    enableButtons();
    if (chosen < 0 || std::size_t(chosen) >= photos_.size()) {
        PhotoIMG->setPixmap(QPixmap());
        PhotoIMG->setText(
            currentName().empty()
                ? QString()
                : QStringLiteral("no photos yet: add some, drop image files here or paste one"));
        InfoLBL->clear();
        return;
    }
    const Photo& photo = photos_[std::size_t(chosen)];
    InfoLBL->setText(QStringLiteral("photo %1 of %2%3   %4 x %5   %6")
                         .arg(chosen + 1)
                         .arg(photos_.size())
                         .arg(chosen == 0 ? QStringLiteral(" (cover)") : QString())
                         .arg(photo.width)
                         .arg(photo.height)
                         .arg(sizeText(photo.bytes)));
    if (!isVisible()) return;
    // The large picture once it is made; the thumbnail, enlarged, until then.
    const std::string& path = paths_[std::size_t(chosen)];
    QImage picture = pictures_.picture(path, ThumbnailCache::kLargeEdge);
    if (picture.isNull()) picture = pictures_.picture(path, kThumbEdge);
    if (picture.isNull()) {
        PhotoIMG->setPixmap(QPixmap());
        PhotoIMG->setText(QStringLiteral("loading . . ."));
        return;
    }
    PhotoIMG->setPixmap(QPixmap::fromImage(picture.scaled(PhotoIMG->size().boundedTo(picture.size() * 2),
                                                          Qt::KeepAspectRatio, Qt::SmoothTransformation)));
}

void TPhotosForm::enableButtons() {
    const bool item = !currentName().empty();
    const int chosen = StripLST->currentRow();
    AddBTN->setEnabled(item);
    RemoveBTN->setEnabled(item && chosen >= 0);
    CoverBTN->setEnabled(item && chosen > 0);
    OpenBTN->setEnabled(item && chosen >= 0);
}

void TPhotosForm::AddBTNClick() {
    if (currentName().empty() || refusedAsReadOnly(session_.collection())) return;
    const QStringList files = FileDialogs::getOpenFileNames(
        this,
        QStringLiteral("photos (*.jpg;*.jpeg;*.png;*.webp)|*.jpg;*.jpeg;*.png;*.webp|All Files (*.*)|*.*"));
    const int before = int(photos_.size());
    if (addPhotosToCurrentItem(this, session_, files)) {
        Play(QString::fromLatin1(kSoundAdd));
        StripLST->setCurrentRow(std::min(before, StripLST->count() - 1));
    }
}

void TPhotosForm::RemoveBTNClick() {
    const int chosen = StripLST->currentRow();
    const std::string name = currentName();
    if (name.empty() || chosen < 0 || refusedAsReadOnly(session_.collection())) return;
    if (runGuarded(this, [&] { session_.removePhoto(name, std::size_t(chosen)); }))
        Play(QString::fromLatin1(kSoundDelete));
}

void TPhotosForm::CoverBTNClick() {
    const int chosen = StripLST->currentRow();
    const std::string name = currentName();
    if (name.empty() || chosen <= 0 || refusedAsReadOnly(session_.collection())) return;
    if (runGuarded(this, [&] { session_.makeCover(name, std::size_t(chosen)); })) {
        Play(QString::fromLatin1(kSoundClick));
        StripLST->setCurrentRow(0);
    }
}

void TPhotosForm::OpenBTNClick() {
    const int chosen = StripLST->currentRow();
    if (chosen < 0 || std::size_t(chosen) >= paths_.size()) return;
    const QUrl url = QUrl::fromLocalFile(QFile::decodeName(paths_[std::size_t(chosen)].c_str()));
    if (!(opener_ ? opener_(url) : QDesktopServices::openUrl(url)))
        reportError(this, QStringLiteral("no image viewer opened %1").arg(url.toLocalFile()));
}

void TPhotosForm::paste() {
    if (currentName().empty()) return;
    if (pasteImageToCurrentItem(this, session_)) {
        Play(QString::fromLatin1(kSoundAdd));
        StripLST->setCurrentRow(StripLST->count() - 1);
    }
}

void TPhotosForm::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    reload(StripLST->currentRow()); // the thumbnails are asked for only while the window shows
}

void TPhotosForm::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    showChosen();
}

void TPhotosForm::showBeside(const QWidget* owner) {
    if (!placed_ && owner) {
        placed_ = true;
        const QRect frame = owner->frameGeometry();
        const QScreen* screen = owner->screen() ? owner->screen() : QGuiApplication::primaryScreen();
        const QRect area = screen ? screen->availableGeometry() : frame;
        int x = frame.right() + 1;
        if (x + width() > area.right() + 1) x = std::max(area.left(), frame.left() - width());
        move(x, std::max(area.top(), frame.top()));
    }
    show();
    raise();
    activateWindow();
}

void TPhotosForm::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}
