#pragma once
// The main window's view of the open collection: the sorted item list (ListBox2) with its bitmap scroll
// bar, the total label, and the detail panel of the selected item with its wrapped comments. It follows
// the collection's announcements; the main window's commands act on what it has selected.

#include <QAbstractListModel>
#include <QListView>
#include <QStringList>
#include <QWidget>

class QLabel;
class QListWidget;
class TBMPScrollBar;

namespace vitrinex {
class CollectionSession;
class OpenCollection;
class PictureButtons;
} // namespace vitrinex

// Comment lines as the detail panel shows them: split at CR LF, each line cut into entries of at most
// 30 characters, after the last blank among positions 2 to 30 when there is one.
QStringList WrapComments(const QString& comments);

namespace vitrinex {

// The names of the open collection's items, in the list's order, read where they are kept: a million
// items cost no widget item each.
class ItemNameModel : public QAbstractListModel {
    Q_OBJECT
public:
    explicit ItemNameModel(const vitrinex::OpenCollection& collection, QObject* parent = nullptr);
    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    // The collection's list was replaced: every row is read anew.
    void reload();

private:
    const vitrinex::OpenCollection& collection_;
    int rows_ = 0;
};

} // namespace vitrinex

// ListBox2: a list view of one column whose lines all have the same height.
class TItemListBox : public QListView {
    Q_OBJECT
public:
    explicit TItemListBox(QWidget* parent = nullptr);
    int count() const;
    QString text(int row) const;
    QRect rowRect(int row) const;
    // The selected line, or -1.
    int selectedRow() const;
    // Selects `row` (-1: nothing) and makes it current.
    void selectRow(int row);
    // Puts `row` (clamped to the lines there are) at the top of the view.
    void setTopRow(int row);
    // The line at the top of the view; 0 when the list shows no line.
    int topRow() const;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void doItemsLayout() override;

private:
    // The list shows whole lines only: what is left below the last one is no part of the view.
    void fitWholeLines();
};

namespace vitrinex {

class CollectionView : public QWidget {
    Q_OBJECT
public:
    // Where the view lies on the main window's picture.
    static constexpr QRect kArea{28, 184, 447, 190};

    CollectionView(vitrinex::CollectionSession& collection, vitrinex::PictureButtons& buttons,
                   QWidget* parent);

    bool hasSelection() const { return ListBox2->selectedRow() >= 0; }
    // Selects a list line and shows its item, as a click on it does.
    void SelectItem(int row);
    // The find dialog's match: the line at the top of the list, selected and shown.
    void ShowFoundItem(int row);
    // The end of the add/edit dialog's Add/Save: the line named `nameToSelect` selected and shown, or
    // none.
    void AddSaveCompletion(const QString& nameToSelect);
    // The shown item's details again (after an update changed its price).
    void RefreshShownItem();
    // The item of the selected line looked up again and shown (after a command that may have moved it).
    void ShowSelectedItem();
    // Where on the main window's picture the item's name ends (something shown on its right, the
    // cover); -1 gives it the panel's whole width.
    void setNameRightEdge(int x);

signals:
    // A double click on a line: the edit command.
    void editRequested();
    // Enter went down or up in the list while a line is selected (it works the Edit button).
    void editKeyDown();
    void editKeyUp();
    // A click on the shown item's price: its price over time.
    void priceChartRequested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showCollection();
    void clear();
    void FillItemList();
    void ShowChangedItems();
    void ListBox2Click();
    void ShowCurrentItem();
    void ShowItemComments();
    void RefreshListScroll();
    void setDetailPanelVisible(bool visible);
    // The bar follows the list's top line after the list moved by itself (keys, wheel).
    void followList();
    void BMPScrollBar1Change();
    void BMPScrollBar2Change();
    void ListBox2MouseUp();
    const vitrinex::OpenCollection& collection() const;

    vitrinex::CollectionSession& collection_;
    ItemNameModel model_;
    TItemListBox* ListBox2;
    TBMPScrollBar* BMPScrollBar1;
    QLabel* TotalLBL;
    QLabel* FigureNameLBL;
    QLabel *Label3, *YearLBL, *Label4, *SeriesLBL, *Label5, *PriceLBL, *Label6, *QuantityLBL, *Label9,
        *NetChangeLBL, *Label7, *ConditionLBL, *Label14, *CatNumLBL, *Label1;
    QListWidget* CommentsLBL;
    TBMPScrollBar* BMPScrollBar2;
    bool settingBar_ = false;
};

} // namespace vitrinex

// The row of the line at the top of a list's view; 0 when the list shows no line.
int ListTopRow(const QAbstractItemView* list);
