#include "forms/TableWindow.h"

#include "collection/CollectionData.h"
#include "collection/SafeFile.h"
#include "forms/SkinnedWindow.h"
#include "model/CollectionSession.h"
#include "photos/PhotoStore.h"
#include "photos/ThumbnailCache.h"

#include <QAbstractTableModel>
#include <QAction>
#include <QFile>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QTableView>
#include <QVBoxLayout>

#include <cstdlib>
#include <sys/stat.h>
#include <unordered_map>

using namespace vitrinex;

namespace vitrinex {

// The table's rows as a Qt model over ItemTable, and after its columns the cover (shown first).
class ItemTableModel : public QAbstractTableModel {
public:
    static constexpr int kCoverColumn = ItemTable::ColumnCount;
    static constexpr int kCoverEdge = 32;

    ItemTableModel(ThumbnailCache& pictures, QObject* parent)
        : QAbstractTableModel(parent), pictures_(pictures) {}
    ItemTable table;
    // The cover's file of every item that has photos, by its name key.
    std::unordered_map<std::string, std::string> covers;
    int sortColumn = -1;
    Qt::SortOrder sortOrder = Qt::AscendingOrder;

    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : table.rowCount();
    }
    int columnCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : ItemTable::ColumnCount + 1;
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (index.column() == kCoverColumn)
            return role == Qt::DecorationRole ? cover(index.row()) : QVariant();
        if (role == Qt::DisplayRole || role == Qt::ToolTipRole)
            return table.text(index.row(), index.column());
        if (role == Qt::TextAlignmentRole &&
            (index.column() == ItemTable::Quantity || index.column() == ItemTable::Price ||
             index.column() == ItemTable::NetChange))
            return int(Qt::AlignRight | Qt::AlignVCenter);
        return {};
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
        if (section == kCoverColumn) return QStringLiteral("cover");
        // The sorted column's mark is part of its title: the skin's header draws no arrow of its own.
        if (section != sortColumn) return ItemTable::title(section);
        return ItemTable::title(section) +
               (sortOrder == Qt::AscendingOrder ? QStringLiteral(" \u25B2") : QStringLiteral(" \u25BC"));
    }
    void sort(int column, Qt::SortOrder order) override {
        if (column == kCoverColumn) return; // the covers have no order
        sortOrder = order;
        sortColumn = column;
        emit headerDataChanged(Qt::Horizontal, 0, ItemTable::ColumnCount - 1);
        emit layoutAboutToBeChanged();
        table.sort(column, order == Qt::DescendingOrder);
        emit layoutChanged();
    }
    // The cover when its thumbnail is made; until then nothing, and the thumbnail is asked for: a
    // scroll never waits for a decode.
    QVariant cover(int row) const {
        if (covers.empty()) return {};
        const auto it = covers.find(nameKey(table.storedName(row)));
        if (it == covers.end()) return {};
        const QImage image = pictures_.picture(it->second, kCoverEdge);
        return image.isNull() ? QVariant() : QVariant(image);
    }
    template <typename Change> void reset(Change change) {
        beginResetModel();
        change();
        endResetModel();
    }

private:
    ThumbnailCache& pictures_;
};

} // namespace vitrinex

namespace {

constexpr QSize kDefaultSize{900, 440};
// Column widths until the user sets them: room for the texts the add dialog takes.
constexpr int kDefaultWidths[ItemTable::ColumnCount] = {170, 50, 120, 72, 78, 60, 68, 100, 160};

QString darkStyle() {
    const QString green = kSkinGreen.name();
    return QStringLiteral(
               "QWidget#TableForm { background: black; }"
               "QTableView { background: black; color: white; gridline-color: #1d3a22;"
               " selection-background-color: #404040; selection-color: white; border: 1px solid %1; }"
               "QHeaderView::section { background: black; color: %1; border: 0; border-right: 1px solid "
               "#1d3a22;"
               " border-bottom: 1px solid %1; padding: 2px 4px; }"
               "QTableCornerButton::section { background: black; border: 0; }"
               "QScrollBar:vertical { background: black; width: 12px; margin: 0; }"
               "QScrollBar:horizontal { background: black; height: 12px; margin: 0; }"
               "QScrollBar::handle { background: #1d3a22; border: 1px solid %1; min-width: 24px; min-height: "
               "24px; }"
               "QScrollBar::add-line, QScrollBar::sub-line { width: 0; height: 0; border: 0; }"
               "QScrollBar::add-page, QScrollBar::sub-page { background: black; }")
        .arg(green);
}

} // namespace

TTableForm::TTableForm(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("TableForm"));
    setWindowTitle(QStringLiteral("collection table"));
    setAttribute(Qt::WA_StyledBackground);
    setStyleSheet(darkStyle());
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, Qt::black);
    setPalette(palette);

    pictures_ = std::make_unique<ThumbnailCache>();
    model_ = new ItemTableModel(*pictures_, this);
    connect(pictures_.get(), &ThumbnailCache::ready, this, [this] {
        if (model_->rowCount() > 0)
            emit model_->dataChanged(model_->index(0, ItemTableModel::kCoverColumn),
                                     model_->index(model_->rowCount() - 1, ItemTableModel::kCoverColumn),
                                     {Qt::DecorationRole});
    });
    LabelStyle captionStyle;
    captionStyle.color = kSkinGreen;
    Label1 = addLabel(this, QStringLiteral("Label1"), QStringLiteral("filter:"), {}, captionStyle);
    FilterEDT = new QLineEdit(this);
    FilterEDT->setObjectName(QStringLiteral("FilterEDT"));
    FilterEDT->setToolTip(QStringLiteral("type to show only the items holding the text"));
    styleInputField(FilterEDT);
    CountLBL = addLabel(this, QStringLiteral("CountLBL"), QString(), {}, LabelStyle{});
    TableGRD = new QTableView(this);
    TableGRD->setObjectName(QStringLiteral("TableGRD"));
    TableGRD->setModel(model_);
    TableGRD->setFont(skinFont(10));
    TableGRD->horizontalHeader()->setFont(skinFont(10));
    TableGRD->setSortingEnabled(true);
    TableGRD->sortByColumn(ItemTable::Name, Qt::AscendingOrder);
    TableGRD->setSelectionBehavior(QAbstractItemView::SelectRows);
    TableGRD->setSelectionMode(QAbstractItemView::SingleSelection);
    TableGRD->setEditTriggers(QAbstractItemView::NoEditTriggers);
    TableGRD->setWordWrap(false);
    TableGRD->verticalHeader()->hide();
    // Rows of one height let the view skip measuring 100,000 of them.
    TableGRD->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    TableGRD->verticalHeader()->setDefaultSectionSize(QFontMetrics(skinFont(10)).height() + 4);
    TableGRD->horizontalHeader()->setStretchLastSection(true);
    // The titles keep their face when a row is selected: a bold one would not fit its column.
    TableGRD->horizontalHeader()->setHighlightSections(false);
    TableGRD->horizontalHeader()->setSortIndicatorShown(true);
    TableGRD->horizontalHeader()->moveSection(ItemTableModel::kCoverColumn, 0);
    // A click on the cover's title leaves the sort as it was.
    connect(TableGRD->horizontalHeader(), &QHeaderView::sortIndicatorChanged, this, [this](int section) {
        if (section == ItemTableModel::kCoverColumn && model_->sortColumn >= 0)
            TableGRD->horizontalHeader()->setSortIndicator(model_->sortColumn, model_->sortOrder);
    });
    TableGRD->setIconSize(QSize(ItemTableModel::kCoverEdge, ItemTableModel::kCoverEdge));

    auto* top = new QHBoxLayout;
    top->addWidget(Label1);
    top->addWidget(FilterEDT, 1);
    top->addSpacing(12);
    top->addWidget(CountLBL);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->addLayout(top);
    layout->addWidget(TableGRD, 1);

    connect(FilterEDT, &QLineEdit::textChanged, this, [this](const QString& text) {
        model_->reset([&] { model_->table.setFilter(text); });
        showCount();
    });
    connect(TableGRD, &QTableView::doubleClicked, this,
            [this](const QModelIndex& index) { emit editRequested(model_->table.name(index.row())); });
    auto* priceChart = new QAction(QStringLiteral("price over time"), TableGRD);
    priceChart->setObjectName(QStringLiteral("pricechart1"));
    priceChart->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_H));
    priceChart->setShortcutContext(Qt::WindowShortcut);
    TableGRD->addAction(priceChart);
    TableGRD->setContextMenuPolicy(Qt::ActionsContextMenu);
    connect(priceChart, &QAction::triggered, this, [this] {
        const QModelIndex index = TableGRD->currentIndex();
        if (index.isValid()) emit priceChartRequested(model_->table.name(index.row()));
    });
    resize(kDefaultSize);
    // Each title whole, with room for the sort mark and the section's padding.
    const QFontMetrics titleFont(TableGRD->horizontalHeader()->font());
    for (int c = 0; c < ItemTable::ColumnCount; ++c)
        TableGRD->setColumnWidth(
            c, std::max(kDefaultWidths[c],
                        titleFont.horizontalAdvance(ItemTable::title(c) + QStringLiteral(" \u25BC")) + 14));
    readSettings();
}

TTableForm::~TTableForm() = default;

void TTableForm::follow(const CollectionSession* collection) {
    collection_ = collection;
    const auto changed = [this] {
        stale_ = true;
        if (isVisible()) reload();
    };
    for (auto signal :
         {&CollectionSession::opened, &CollectionSession::closed, &CollectionSession::itemsChanged,
          &CollectionSession::updated, &CollectionSession::reloaded})
        connect(collection, signal, this, changed);
    connect(collection, &CollectionSession::closed, this, &QWidget::hide);
    connect(collection, &CollectionSession::photosChanged, this, [this] {
        if (isVisible())
            reloadCovers();
        else
            stale_ = true;
    });
}

void TTableForm::reloadCovers() {
    std::unordered_map<std::string, std::string> covers;
    if (collection_ && collection_->collection().isOpen()) {
        // An index that cannot be read shows no covers; a change of the photos tells why.
        try {
            const PhotoStore store(collection_->collection().fileName());
            for (const auto& item : store.index().items)
                if (!item.second.empty()) covers.emplace(item.first, store.pathOf(item.second.front()));
        } catch (const std::exception&) {
        }
    }
    model_->covers = std::move(covers);
    // Rows tall enough for a cover only where there are covers to show.
    const int textRow = QFontMetrics(skinFont(10)).height() + 4;
    TableGRD->verticalHeader()->setDefaultSectionSize(
        model_->covers.empty() ? textRow : ItemTableModel::kCoverEdge + 4);
    TableGRD->setColumnWidth(ItemTableModel::kCoverColumn,
                             model_->covers.empty() ? 44 : ItemTableModel::kCoverEdge + 12);
    if (model_->rowCount() > 0)
        emit model_->dataChanged(model_->index(0, ItemTableModel::kCoverColumn),
                                 model_->index(model_->rowCount() - 1, ItemTableModel::kCoverColumn));
}

void TTableForm::reload() {
    stale_ = false;
    if (!collection_) return;
    model_->reset([this] {
        if (collection_->collection().isOpen())
            model_->table.load(collection_->collection());
        else
            model_->table.load(OpenCollection());
    });
    reloadCovers();
    showCount();
}

void TTableForm::showCount() {
    const ItemTable& t = model_->table;
    CountLBL->setText(t.filter().isEmpty()
                          ? QStringLiteral("%1 items").arg(t.itemCount())
                          : QStringLiteral("%1 of %2 items").arg(t.rowCount()).arg(t.itemCount()));
    CountLBL->adjustSize();
}

void TTableForm::showEvent(QShowEvent* event) {
    placed_ = true; // on screen: it has a place to keep
    if (stale_) reload();
    QWidget::showEvent(event);
}

void TTableForm::showBeside(const QWidget* owner) {
    if (!placed_ && owner) {
        const QRect frame = owner->frameGeometry();
        const QScreen* screen = owner->screen() ? owner->screen() : QGuiApplication::primaryScreen();
        const QRect area =
            screen ? screen->availableGeometry() : QRect(frame.topLeft(), frameGeometry().size());
        // The frame is known only once shown; until then the owner's border stands in for it.
        const QSize border = owner->frameGeometry().size() - owner->size();
        const QSize size = this->size() + border;
        int x = frame.right() + 1;
        if (x + size.width() > area.right() + 1 && frame.left() - size.width() >= area.left())
            x = frame.left() - size.width();
        x = std::clamp(x, area.left(), std::max(area.left(), area.right() + 1 - size.width()));
        const int y =
            std::clamp(frame.top(), area.top(), std::max(area.top(), area.bottom() + 1 - size.height()));
        move(x, y);
    }
    show();
    raise();
    activateWindow();
}

void TTableForm::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

void TTableForm::hideEvent(QHideEvent* event) {
    writeSettings();
    QWidget::hideEvent(event);
}

QString TTableForm::settingsPath() {
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    const QString base =
        xdg && xdg[0] == '/' ? QFile::decodeName(xdg) : QFile::decodeName(qgetenv("HOME")) + "/.config";
    return base + "/vitrinex/table-window";
}

// One line: width, height, each column's width, then the window's place (left and top of its frame;
// a line written before the place was kept ends after the widths).
void TTableForm::readSettings() {
    QFile file(settingsPath());
    if (!file.open(QIODevice::ReadOnly)) return;
    const QStringList numbers = QString::fromLatin1(file.read(4096)).simplified().split(u' ');
    constexpr int kSizes = 2 + ItemTable::ColumnCount;
    if (numbers.size() != kSizes && numbers.size() != kSizes + 2) return;
    std::vector<int> values;
    for (const QString& n : numbers) {
        bool ok = false;
        const int v = n.toInt(&ok);
        const int lowest = values.size() < kSizes ? 1 : -20000; // a place left of or above the first screen
        if (!ok || v < lowest || v > 20000) return;
        values.push_back(v);
    }
    resize(values[0], values[1]);
    for (int c = 0; c < ItemTable::ColumnCount; ++c)
        TableGRD->setColumnWidth(c, values[2 + static_cast<std::size_t>(c)]);
    if (values.size() == kSizes) return;
    // A place on no screen (one taken away since) is forgotten: the window opens beside the main one.
    const QPoint place(values[kSizes], values[kSizes + 1]);
    for (const QScreen* screen : QGuiApplication::screens())
        if (screen->availableGeometry().intersects(QRect(place, QSize(values[0], values[1])))) {
            move(place);
            placed_ = true;
            return;
        }
}

void TTableForm::writeSettings() const {
    QString line = QStringLiteral("%1 %2").arg(width()).arg(height());
    for (int c = 0; c < ItemTable::ColumnCount; ++c)
        line += QStringLiteral(" %1").arg(std::max(1, TableGRD->columnWidth(c)));
    if (placed_) line += QStringLiteral(" %1 %2").arg(frameGeometry().x()).arg(frameGeometry().y());
    line += '\n';
    const QByteArray bytes = line.toLatin1();
    const std::string path = QFile::encodeName(settingsPath()).toStdString();
    // A settings file that cannot be written costs only the next opening's size.
    try {
        const std::string folder = path.substr(0, path.rfind('/'));
        ::mkdir(folder.substr(0, folder.rfind('/')).c_str(), 0700); // ~/.config on a fresh account
        makePrivateFolder(folder);
        FileReplacement file(path, 0600);
        file.write(bytes.data(), static_cast<std::size_t>(bytes.size()));
        file.commit();
    } catch (const std::exception&) {
    }
}
