#include "forms/StatisticsWindow.h"

#include "collection/OpenCollection.h"
#include "collection/Win1252.h"
#include "controls/PictureControl.h"
#include "forms/SkinnedWindow.h"
#include "forms/ValueChart.h"
#include "model/CollectionSession.h"
#include "sound/Sound.h"

#include <QAbstractItemView>
#include <QAbstractListModel>
#include <QComboBox>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QListView>
#include <QPalette>
#include <QPushButton>
#include <QShowEvent>

#include <algorithm>

using namespace vitrinex;

namespace {

constexpr QSize kClientSize{378, 337};
constexpr int kLineHeight = 18;
constexpr int kListLeft = 99;
constexpr int kListWidth = 240;
constexpr int kListHeight = 22;
constexpr int kGap = 2; // between a caption and its value
constexpr int kValueLeft = 141;

// An extreme list of the open collection as rows. It reads the list where the collection keeps it; a
// row beyond what the list holds now (it changed and the announcement is yet to come) shows nothing.
class EntryModel final : public QAbstractListModel {
public:
    using QAbstractListModel::QAbstractListModel;
    void show(const ExtremeList* entries) {
        beginResetModel();
        entries_ = entries;
        rows_ = entries ? static_cast<int>(entries->size()) : 0;
        endResetModel();
    }
    int rowCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : rows_; }
    QVariant data(const QModelIndex& index, int role) const override {
        if (role != Qt::DisplayRole || !entries_ || index.row() < 0 ||
            static_cast<std::size_t>(index.row()) >= entries_->size())
            return {};
        return toQString(entries_->text(static_cast<std::size_t>(index.row())));
    }

private:
    const ExtremeList* entries_ = nullptr;
    int rows_ = 0;
};

} // namespace

TStatsForm::TStatsForm(QWidget* parent) : QWidget(parent, Qt::Window), buttons_(this) {
    FormCreate();
}

TStatsForm::~TStatsForm() = default;

void TStatsForm::follow(const CollectionSession* collection) {
    ValueChart->follow(collection);
    connect(collection, &CollectionSession::opened, this,
            [this, collection] { showCollection(collection->collection()); });
    connect(collection, &CollectionSession::reloaded, this,
            [this, collection] { showCollection(collection->collection()); });
    connect(collection, &CollectionSession::infoChanged, this,
            [this, collection] { setTitleFrom(collection->collection()); });
    connect(collection, &CollectionSession::closed, this, &TStatsForm::clearLists);
    // Adding, saving and deleting items rebuild the totals and the four lists.
    connect(collection, &CollectionSession::itemsChanged, this, [this, collection] {
        setTitleFrom(collection->collection());
        fillListsFrom(collection->collection());
        setTotalsFrom(collection->collection());
    });
    connect(collection, &CollectionSession::itemSaved, this, &TStatsForm::hideUpdatedCount);
    connect(collection, &CollectionSession::updateConfirmed, this, &TStatsForm::clearLists);
    connect(collection, &CollectionSession::updated, this, [this, collection] {
        const OpenCollection& c = collection->collection();
        setTotalsFrom(c);
        fillListsFrom(c);
        showUpdatedCount(c);
    });
}

void TStatsForm::FormCreate() {
    setUpSkinnedWindow(this, QStringLiteral("StatsForm"), QStringLiteral("collection stats"), kClientSize);
    // A title bar with minimize and close only: the window has a fixed size.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);

    JPEGImage1 = addBackground(this, QStringLiteral("JPEGImage1"), QStringLiteral("statsbg.jpg"));

    LabelStyle titleStyle;
    titleStyle.pointSize = 12;
    titleStyle.alignment = Qt::AlignHCenter | Qt::AlignTop;
    titleStyle.wordWrap = true;
    // Above the picture's first rule; the totals below it, one a line, each value in the whole width.
    TitleLBL = addLabel(this, QStringLiteral("TitleLBL"), QString(), QRect(32, 24, 314, 70), titleStyle);

    LabelStyle valueStyle; // white, 10
    valueStyle.alignment = Qt::AlignLeft | Qt::AlignVCenter;
    const int valueWidth = kClientSize.width() - kValueLeft - 4;
    const int lines[] = {100, 118, 136};
    CollValueLBL = addLabel(this, QStringLiteral("CollValueLBL"), QString(),
                            QRect(kValueLeft, lines[0], valueWidth, kLineHeight), valueStyle);
    NetChangeLBL = addLabel(this, QStringLiteral("NetChangeLBL"), QString(),
                            QRect(kValueLeft, lines[1], valueWidth, kLineHeight), valueStyle);
    UpdatedFigsLBL = addLabel(this, QStringLiteral("UpdatedFigsLBL"), QString(),
                              QRect(kValueLeft, lines[2], valueWidth, kLineHeight), valueStyle);

    Label1 = addCaption("Label1", QStringLiteral("collection value:"), kValueLeft - kGap, lines[0]);
    Label2 = addCaption("Label2", QStringLiteral("net change:"), kValueLeft - kGap, lines[1]);
    Label7 = addCaption("Label7", QStringLiteral("items updated:"), kValueLeft - kGap, lines[2]);

    const int tops[] = {160, 187, 214, 241};
    const int captionTop = (kListHeight - kLineHeight) / 2;
    Label3 = addCaption("Label3", QStringLiteral("high item:"), kListLeft - kGap - 1, tops[0] + captionTop);
    Label4 = addCaption("Label4", QStringLiteral("low item:"), kListLeft - kGap - 1, tops[1] + captionTop);
    Label5 = addCaption("Label5", QStringLiteral("hot item:"), kListLeft - kGap - 1, tops[2] + captionTop);
    Label6 = addCaption("Label6", QStringLiteral("cold item:"), kListLeft - kGap - 1, tops[3] + captionTop);
    HighFigLBL = addEntryList("HighFigLBL", kSkinWhite, tops[0]);
    LowFigLBL = addEntryList("LowFigLBL", kSkinWhite, tops[1]);
    HotLBL = addEntryList("HotLBL", kSkinRed, tops[2]);
    ColdLBL = addEntryList("ColdLBL", kSkinAqua, tops[3]);

    OKJPG =
        addPictureButton(this, buttons_, QStringLiteral("OKJPG"), QStringLiteral("okoff.jpg"),
                         SkinList::ImageList2, 10, QPoint(152, 282), QStringLiteral("click to close window"));
    buttons_.setAction(OKJPG, [this] { OKJPGMouseUp(); });
    ValueChart = new TValueChart(this);
    ValueChart->setGeometry(238, 277, 118, 46); // below the lists' rule, clear of the frame's corner
    connect(ValueChart, &TValueChart::clicked, this, &TStatsForm::valueWindowRequested);
    ValueBTN = new QPushButton(QStringLiteral("value over time"), this);
    ValueBTN->setObjectName(QStringLiteral("ValueBTN"));
    ValueBTN->setFont(skinFont(9));
    ValueBTN->setCursor(Qt::PointingHandCursor);
    ValueBTN->setFocusPolicy(Qt::NoFocus);
    ValueBTN->setToolTip(QStringLiteral("click to see the value over time in a window of its own"));
    ValueBTN->setStyleSheet(
        QStringLiteral("QPushButton { background: black; color: %1; border: 1px solid #2b5c34;"
                       " padding: 1px 6px; }"
                       " QPushButton:hover { color: white; border-color: %1; }"
                       " QPushButton:pressed { padding: 2px 5px 0px 7px; }")
            .arg(kSkinGreen.name()));
    ValueBTN->setGeometry(32, 289, 104, 22); // left of OK, as the chart is right of it
    connect(ValueBTN, &QPushButton::clicked, this, &TStatsForm::valueWindowRequested);

    buttons_.attachBackground(JPEGImage1);
    for (QWidget* w : std::initializer_list<QWidget*>{
             TitleLBL, Label1, Label2, Label3, Label4, Label5, Label6, Label7, CollValueLBL, NetChangeLBL,
             UpdatedFigsLBL, HighFigLBL, LowFigLBL, HotLBL, ColdLBL, ValueChart})
        buttons_.attachBackground(w);
}

QLabel* TStatsForm::addCaption(const char* objectName, const QString& text, int rightEdge, int top) {
    LabelStyle style;
    style.color = kSkinGreen;
    style.alignment = Qt::AlignRight | Qt::AlignVCenter;
    // Wide enough for the caption in whatever face the skin font resolves to.
    const int width = QFontMetrics(skinFont(style.pointSize)).horizontalAdvance(text) + 4;
    return addLabel(this, QString::fromLatin1(objectName), text,
                    QRect(rightEdge - width + 1, top, width, kLineHeight), style);
}

QComboBox* TStatsForm::addEntryList(const char* objectName, const QColor& textColor, int top) {
    auto* list = new QComboBox(this);
    list->setObjectName(QString::fromLatin1(objectName));
    list->setEditable(false);
    list->setFont(skinFont(9));
    QPalette palette = list->palette();
    for (auto role : {QPalette::Base, QPalette::Window, QPalette::Button})
        palette.setColor(role, Qt::black);
    for (auto role : {QPalette::Text, QPalette::WindowText, QPalette::ButtonText, QPalette::HighlightedText})
        palette.setColor(role, textColor);
    palette.setColor(QPalette::Highlight, QColor(0x40, 0x40, 0x40));
    list->setPalette(palette);
    list->view()->setPalette(palette);
    list->setGeometry(kListLeft, top, kListWidth, kListHeight);
    // Its size is its own: the combo box measures no entry, and the drop-down list takes every row
    // to be as tall as the first.
    list->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    list->setModel(new EntryModel(list));
    if (auto* view = qobject_cast<QListView*>(list->view())) view->setUniformItemSizes(true);
    return list;
}

void TStatsForm::setAmountText(QLabel* label, const QString& text) {
    // At the window's 10 pt, as every other value: the line has room for every digit of an amount.
    label->setText(text);
    label->setToolTip(text);
}

void TStatsForm::fill(QComboBox* list, const ExtremeList* entries) {
    static_cast<EntryModel*>(list->model())->show(entries);
    list->setCurrentIndex(entries && !entries->empty() ? 0 : -1);
}

void TStatsForm::showCollection(const OpenCollection& collection) {
    setTitleFrom(collection);
    fillListsFrom(collection);
    setTotalsFrom(collection);
    hideUpdatedCount();
}

void TStatsForm::setTitleFrom(const OpenCollection& collection) {
    TitleLBL->setText(toQString(collection.statsTitle()));
}

void TStatsForm::setTotalsFrom(const OpenCollection& collection) {
    setAmountText(CollValueLBL, toQString(collection.valueText()));
    setAmountText(NetChangeLBL, toQString(collection.netChangeText()));
}

void TStatsForm::fillListsFrom(const OpenCollection& collection) {
    // A hidden window lists nothing, so an open of a million ties costs nothing here; showing it
    // fills the lists from what the collection holds then.
    if (!isVisible()) {
        clearLists();
        listsToFill_ = &collection;
        return;
    }
    fillListsNow(collection);
}

void TStatsForm::fillListsNow(const OpenCollection& collection) {
    listsToFill_ = nullptr;
    fill(HighFigLBL, &collection.extremes().HighList);
    fill(LowFigLBL, &collection.extremes().LowList);
    fill(HotLBL, &collection.extremes().HotList);
    fill(ColdLBL, &collection.extremes().ColdList);
}

void TStatsForm::clearLists() {
    listsToFill_ = nullptr;
    for (QComboBox* list : {HighFigLBL, LowFigLBL, HotLBL, ColdLBL})
        fill(list, nullptr);
}

void TStatsForm::showUpdatedCount(const OpenCollection& collection) {
    UpdatedFigsLBL->setText(QString::number(collection.totals().UpdatedCount) + QLatin1Char('/') +
                            QString::number(collection.totals().ItemCount));
    UpdatedFigsLBL->setVisible(true);
    Label7->setVisible(true);
}

void TStatsForm::hideUpdatedCount() {
    UpdatedFigsLBL->setVisible(false);
    Label7->setVisible(false);
}

void TStatsForm::collectionstats1Click(const OpenCollection& collection) {
    setTotalsFrom(collection);
    hideUpdatedCount();
    // The lists mirror the collection's entry lists, which adding an item extends; they are filled
    // before the window shows, so it never appears with empty lists.
    fillListsNow(collection);
    Play(QString::fromLatin1(kSoundClick));
    if (isMinimized())
        showNormal();
    else
        show();
    raise();
    activateWindow();
}

void TStatsForm::OKJPGMouseUp() {
    UpdatedFigsLBL->setVisible(true);
    Label7->setVisible(true);
    if (OnClosedAfterUpdate) OnClosedAfterUpdate();
    close();
}

void TStatsForm::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        OKJPGMouseUp();
        return;
    }
    QWidget::keyPressEvent(event);
}

void TStatsForm::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (listsToFill_) fillListsFrom(*listsToFill_);
    if (!placed_ && !event->spontaneous()) {
        placed_ = true;
        centerOnScreen(this);
    }
}
