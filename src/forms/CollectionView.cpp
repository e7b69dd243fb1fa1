#include "forms/CollectionView.h"

#include "collection/ItemEntry.h"
#include "collection/Win1252.h"
#include "controls/BitmapScrollBar.h"
#include "controls/PictureButtons.h"
#include "forms/SkinnedWindow.h"
#include "model/CollectionSession.h"

#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QScrollBar>

#include <algorithm>

using namespace vitrinex;

namespace {

constexpr int kLineLength = 30;
// The item's name on the main window's picture.
constexpr QRect kNameArea{249, 188, 202, 37};

QPixmap scrollBitmap(const QString& name) {
    return QPixmap::fromImage(skinPicture(name));
}

void setTopRow(QAbstractItemView* list, int row) {
    const int count = list->model() ? list->model()->rowCount() : 0;
    if (count == 0) return;
    row = std::clamp(row, 0, count - 1);
    list->scrollTo(list->model()->index(row, 0), QAbstractItemView::PositionAtTop);
}

// A list of the main window's look: white on black, no frame, no scroll bars of its own.
template <typename List> List* makeList(QWidget* parent, const QString& name, QRect geometry) {
    auto* list = new List(parent);
    list->setObjectName(name);
    list->setGeometry(geometry);
    list->setFont(skinFont(9));
    list->setFrameShape(QFrame::NoFrame);
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list->setUniformItemSizes(true);
    QPalette palette = list->palette();
    palette.setColor(QPalette::Base, Qt::black);
    palette.setColor(QPalette::Text, kSkinWhite);
    palette.setColor(QPalette::Highlight, kSkinGreen.darker(160));
    palette.setColor(QPalette::HighlightedText, kSkinWhite);
    list->setPalette(palette);
    list->hide();
    return list;
}

TBMPScrollBar* makeBar(QWidget* parent, const QString& name, const QString& prefix, QRect geometry) {
    auto* bar = new TBMPScrollBar(parent);
    bar->setObjectName(name);
    bar->setBMPTopLeft(scrollBitmap(prefix + QStringLiteral("-top.png")));
    bar->setBMPTrack(scrollBitmap(prefix + QStringLiteral("-track.png")));
    bar->setBMPBottomRight(scrollBitmap(prefix + QStringLiteral("-bottom.png")));
    bar->setBMPThumb(scrollBitmap(prefix + QStringLiteral("-thumb.png")));
    bar->setAutoSize(false);
    bar->setGeometry(geometry);
    bar->setMax(1);
    bar->setMin(1);
    bar->setPosition(1);
    bar->hide();
    return bar;
}

} // namespace

QStringList WrapComments(const QString& comments) {
    QStringList entries;
    QString rest = comments;
    while (!rest.isEmpty()) {
        QString line;
        const qsizetype lineEnd = rest.indexOf(QStringLiteral("\r\n"));
        if (lineEnd >= 0) {
            line = rest.left(lineEnd);
            rest = rest.mid(lineEnd + 2);
        } else {
            line = rest;
            rest.clear();
        }
        while (line.size() > kLineLength) {
            // The last blank among positions 2 to 30 (counting from 1) ends the entry.
            qsizetype cut = kLineLength;
            for (qsizetype i = kLineLength - 1; i >= 1; --i) {
                if (line.at(i) == QLatin1Char(' ')) {
                    cut = i + 1;
                    break;
                }
            }
            entries << line.left(cut);
            line = line.mid(cut);
        }
        entries << line;
    }
    return entries;
}

int ListTopRow(const QAbstractItemView* list) {
    const QModelIndex index = list->indexAt(QPoint(1, 1));
    return index.isValid() ? index.row() : 0;
}

// --- the model and the list -------------------------------------------------------------------------

ItemNameModel::ItemNameModel(const OpenCollection& collection, QObject* parent)
    : QAbstractListModel(parent), collection_(collection) {}

int ItemNameModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows_;
}

QVariant ItemNameModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= collection_.itemList().size())
        return {};
    return toQString(collection_.itemList().at(index.row()));
}

void ItemNameModel::reload() {
    beginResetModel();
    rows_ = collection_.itemList().size();
    endResetModel();
}

TItemListBox::TItemListBox(QWidget* parent) : QListView(parent) {}

int TItemListBox::count() const {
    return model() ? model()->rowCount() : 0;
}

QString TItemListBox::text(int row) const {
    return model()->index(row, 0).data().toString();
}

QRect TItemListBox::rowRect(int row) const {
    return visualRect(model()->index(row, 0));
}

int TItemListBox::selectedRow() const {
    const QModelIndexList rows = selectionModel() ? selectionModel()->selectedRows() : QModelIndexList();
    return rows.isEmpty() ? -1 : rows.first().row();
}

void TItemListBox::selectRow(int row) {
    if (row < 0) {
        clearSelection();
        setCurrentIndex(QModelIndex());
        return;
    }
    selectionModel()->setCurrentIndex(model()->index(row, 0), QItemSelectionModel::ClearAndSelect);
}

void TItemListBox::setTopRow(int row) {
    ::setTopRow(this, row);
}

int TItemListBox::topRow() const {
    return ListTopRow(this);
}

void TItemListBox::resizeEvent(QResizeEvent* event) {
    QListView::resizeEvent(event);
    fitWholeLines();
}

void TItemListBox::doItemsLayout() {
    QListView::doItemsLayout();
    fitWholeLines();
}

void TItemListBox::fitWholeLines() {
    const int line = count() > 0 ? sizeHintForRow(0) : 0;
    const int room = height() - 2 * frameWidth();
    const int rest = line > 0 && room > line ? room % line : 0;
    if (viewportMargins().bottom() != rest) setViewportMargins(0, 0, 0, rest);
}

// --- the view -------------------------------------------------------------------------------------

CollectionView::CollectionView(CollectionSession& collection, PictureButtons& buttons, QWidget* parent)
    : QWidget(parent), collection_(collection), model_(collection.collection(), this) {
    setObjectName(QStringLiteral("CollectionView"));
    setGeometry(kArea);
    const QPoint origin = kArea.topLeft();
    auto at = [origin](QRect onPicture) { return onPicture.translated(-origin); };

    ListBox2 = makeList<TItemListBox>(this, QStringLiteral("ListBox2"), at(QRect(34, 205, 178, 161)));
    ListBox2->setModel(&model_);
    PictureButtons::setHint(ListBox2, QStringLiteral("select item to display"));
    ListBox2->setSelectionMode(QAbstractItemView::SingleSelection);
    ListBox2->installEventFilter(this);
    ListBox2->viewport()->installEventFilter(this);
    connect(ListBox2->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { ListBox2Click(); });
    connect(ListBox2, &QListView::doubleClicked, this, &CollectionView::editRequested);
    // Keys and the wheel move the list by themselves: the bar's handle follows.
    connect(ListBox2->verticalScrollBar(), &QScrollBar::valueChanged, this, &CollectionView::followList);

    BMPScrollBar1 = makeBar(this, QStringLiteral("BMPScrollBar1"), QStringLiteral("listbar"),
                            at(QRect(194, 205, 18, 161)));
    connect(BMPScrollBar1, &TBMPScrollBar::OnChange, this, &CollectionView::BMPScrollBar1Change);

    TotalLBL = addLabel(this, QStringLiteral("TotalLBL"), QString(), at(QRect(28, 184, 153, 18)), {11});
    TotalLBL->hide();

    FigureNameLBL = addLabel(this, QStringLiteral("FigureNameLBL"), QString(), at(kNameArea),
                             {11, kSkinWhite, true, Qt::AlignLeft | Qt::AlignTop, true});
    auto pair = [&](QLabel*& caption, const char* captionName, const QString& text, QPoint captionAt,
                    QLabel*& value, const char* valueName, QPoint valueAt, int valueWidth) {
        caption = addLabel(this, QString::fromLatin1(captionName), text, at(QRect(captionAt, QSize())),
                           {10, kSkinGreen});
        value = addLabel(this, QString::fromLatin1(valueName), QString(),
                         at(QRect(valueAt, QSize(valueWidth, 18))), {10});
    };
    pair(Label3, "Label3", QStringLiteral("year:"), {255, 228}, YearLBL, "YearLBL", {291, 228}, 60);
    pair(Label4, "Label4", QStringLiteral("series:"), {258, 250}, SeriesLBL, "SeriesLBL", {303, 250}, 170);
    pair(Label5, "Label5", QStringLiteral("price:"), {254, 273}, PriceLBL, "PriceLBL", {293, 273}, 58);
    pair(Label6, "Label6", QStringLiteral("quantity:"), {352, 228}, QuantityLBL, "QuantityLBL", {405, 228},
         60);
    pair(Label9, "Label9", QStringLiteral("net change:"), {352, 273}, NetChangeLBL, "NetChangeLBL",
         {423, 273}, 50);
    pair(Label7, "Label7", QStringLiteral("condition:"), {254, 295}, ConditionLBL, "ConditionLBL", {313, 295},
         38);
    pair(Label14, "Label14", QStringLiteral("catalog #:"), {352, 295}, CatNumLBL, "CatNumLBL", {413, 295},
         70);
    // A click on the price shows the item's price over time.
    PriceLBL->setCursor(Qt::PointingHandCursor);
    PriceLBL->setToolTip(QStringLiteral("click for the price over time"));
    PriceLBL->installEventFilter(this);
    Label1 = addLabel(this, QStringLiteral("Label1"), QStringLiteral("comments:"), at(QRect(255, 314, 0, 0)),
                      {10, kSkinGreen});

    CommentsLBL = makeList<QListWidget>(this, QStringLiteral("CommentsLBL"), at(QRect(317, 312, 154, 61)));
    CommentsLBL->setSelectionMode(QAbstractItemView::NoSelection);
    CommentsLBL->setFocusPolicy(Qt::NoFocus); // the focus stays with the item list
    CommentsLBL->viewport()->installEventFilter(this);
    BMPScrollBar2 = makeBar(this, QStringLiteral("BMPScrollBar2"), QStringLiteral("commentbar"),
                            at(QRect(453, 312, 21, 61)));
    connect(BMPScrollBar2, &TBMPScrollBar::OnChange, this, &CollectionView::BMPScrollBar2Change);

    buttons.attachBackground(this);
    for (QWidget* w :
         std::initializer_list<QWidget*>{TotalLBL, FigureNameLBL, Label3, YearLBL, Label4, SeriesLBL, Label5,
                                         PriceLBL, Label6, QuantityLBL, Label9, NetChangeLBL, Label7,
                                         ConditionLBL, Label14, CatNumLBL, Label1, ListBox2, CommentsLBL})
        buttons.attachBackground(w);
    setDetailPanelVisible(false);
    // Between its controls the main window's picture takes the mouse, as if the view were not there.
    QRegion controls;
    for (const QWidget* w : findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        controls += w->geometry();
    setMask(controls);

    connect(&collection_, &CollectionSession::opened, this, &CollectionView::showCollection);
    connect(&collection_, &CollectionSession::reloaded, this, &CollectionView::showCollection);
    connect(&collection_, &CollectionSession::infoChanged, this, &CollectionView::showCollection);
    connect(&collection_, &CollectionSession::itemsChanged, this, &CollectionView::ShowChangedItems);
    connect(&collection_, &CollectionSession::closed, this, &CollectionView::clear);
}

const OpenCollection& CollectionView::collection() const {
    return collection_.collection();
}

void CollectionView::showCollection() {
    setDetailPanelVisible(false);
    FillItemList();
    TotalLBL->setText(toQString(collection().totalText()));
    TotalLBL->show();
    RefreshListScroll();
}

void CollectionView::clear() {
    BMPScrollBar1->setMax(1);
    setDetailPanelVisible(false);
    TotalLBL->hide();
    TotalLBL->clear();
    model_.reload();
    ListBox2->hide();
    BMPScrollBar1->hide();
}

void CollectionView::FillItemList() {
    model_.reload();
    ListBox2->selectRow(-1);
}

void CollectionView::ShowChangedItems() {
    setDetailPanelVisible(false);
    FillItemList();
    TotalLBL->setText(toQString(collection().totalText()));
    RefreshListScroll();
}

void CollectionView::RefreshListScroll() {
    if (!collection().isOpen()) return;
    ListBox2->show();
    BMPScrollBar1->show();
    BMPScrollBar1->setMax(ListBox2->count() - 10);
    if (CommentsLBL->isVisible()) BMPScrollBar2->setMax(CommentsLBL->count() - 3);
}

void CollectionView::setDetailPanelVisible(bool visible) {
    for (QWidget* w : std::initializer_list<QWidget*>{
             FigureNameLBL, Label3, YearLBL, Label4, SeriesLBL, Label5, PriceLBL, Label6, QuantityLBL, Label9,
             NetChangeLBL, Label7, ConditionLBL, Label14, CatNumLBL, Label1, CommentsLBL, BMPScrollBar2})
        w->setVisible(visible);
}

void CollectionView::SelectItem(int row) {
    if (row < 0 || row >= ListBox2->count()) return;
    ListBox2->selectRow(row);
    ListBox2Click(); // shown again even when the row was already current
}

void CollectionView::ListBox2Click() {
    const int row = ListBox2->selectedRow();
    if (row < 0) return;
    followList();
    setDetailPanelVisible(true);
    BMPScrollBar2->setPosition(ListTopRow(CommentsLBL) + 1);
    collection_.selectItem(ListBox2->text(row));
    ShowCurrentItem();
}

void CollectionView::AddSaveCompletion(const QString& nameToSelect) {
    const int row = ItemEntry::CompletionRow(collection().itemList(), nameToSelect);
    if (row >= 0) {
        SelectItem(row);
    } else {
        ListBox2->selectRow(-1);
        setDetailPanelVisible(false);
    }
    RefreshListScroll();
}

void CollectionView::ShowFoundItem(int row) {
    if (row < 0 || row >= ListBox2->count()) return;
    ListBox2->selectRow(row);
    ListBox2->setTopRow(row);
    ListBox2Click();
}

void CollectionView::RefreshShownItem() {
    if (FigureNameLBL->isVisible()) ShowCurrentItem();
}

void CollectionView::ShowSelectedItem() {
    if (hasSelection()) ListBox2Click();
}

void CollectionView::setNameRightEdge(int x) {
    const QRect whole = kNameArea.translated(-kArea.topLeft());
    FigureNameLBL->setGeometry(x < 0 ? whole : whole.adjusted(0, 0, x - kArea.left() - whole.right(), 0));
}

void CollectionView::ShowCurrentItem() {
    const TFigureNode* item = collection().currentItem();
    if (!item) return;
    const TFigureRecord& r = item->Record;
    FigureNameLBL->setText(toQString(r.FigureName.view()));
    YearLBL->setText(toQString(r.Year.view()));
    SeriesLBL->setText(toQString(r.Series.view()));
    PriceLBL->setText(toQString(r.Price.view()));
    NetChangeLBL->setText(toQString(r.NetChange.view()));
    CatNumLBL->setText(toQString(r.CatNum.view()));
    ConditionLBL->setText(toQString(r.Condition.view()));
    QuantityLBL->setText(QString::number(r.Quantity));
    ShowItemComments();
}

void CollectionView::ShowItemComments() {
    CommentsLBL->clear();
    if (collection().currentItem())
        CommentsLBL->addItems(WrapComments(toQString(collection().currentItem()->Record.Comments.view())));
    BMPScrollBar2->setMax(CommentsLBL->count() > 4 ? CommentsLBL->count() - 3 : 1);
}

void CollectionView::followList() {
    if (settingBar_) return;
    // The last line selected puts the handle at the bottom even when that line is only partly in view.
    const int count = ListBox2->count();
    if (count > 0 && ListBox2->selectedRow() == count - 1)
        BMPScrollBar1->setPosition(BMPScrollBar1->max());
    else
        BMPScrollBar1->setPosition(ListBox2->topRow() + 1);
}

void CollectionView::BMPScrollBar1Change() {
    // The list moves to the handle; its own move must not move the handle back.
    settingBar_ = true;
    if (BMPScrollBar1->position() != BMPScrollBar1->max())
        ListBox2->setTopRow(BMPScrollBar1->position() - 1);
    else
        ListBox2->setTopRow(ListBox2->count() - 9);
    settingBar_ = false;
}

void CollectionView::BMPScrollBar2Change() {
    setTopRow(CommentsLBL, BMPScrollBar2->position() - 1);
}

void CollectionView::ListBox2MouseUp() {
    followList();
}

bool CollectionView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ListBox2->viewport() && event->type() == QEvent::MouseButtonRelease) {
        ListBox2MouseUp();
    } else if (watched == PriceLBL && event->type() == QEvent::MouseButtonRelease) {
        if (hasSelection()) emit priceChartRequested();
    } else if (watched == CommentsLBL->viewport() && event->type() == QEvent::MouseButtonPress) {
        BMPScrollBar2->setPosition(ListTopRow(CommentsLBL) + 1);
    } else if (watched == ListBox2 &&
               (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease)) {
        auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && !key->isAutoRepeat()) {
            // Enter works the Edit button: pressed look while held, the edit command on release.
            if (event->type() == QEvent::KeyPress) {
                if (hasSelection()) emit editKeyDown();
            } else {
                emit editKeyUp();
            }
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
