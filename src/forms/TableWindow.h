#pragma once
// TTableForm, the collection table: every live item in a resizable dark window, one column per
// field, sorted by a click on a column's title, filtered as the user types; a double click asks for
// the edit dialog on that item. It follows the open collection's announcements, and keeps its size,
// column widths and place in the user's settings folder; until it has a place it opens beside the
// main window. Escape closes it. Its first column shows each item's cover, made off the user
// interface thread.

#include "collection/ItemTable.h"

#include <QString>
#include <QWidget>

#include <memory>

class QLabel;
class QLineEdit;
class QTableView;

namespace vitrinex {
class CollectionSession;
class ItemTableModel;
class ThumbnailCache;
} // namespace vitrinex

class TTableForm : public QWidget {
    Q_OBJECT
public:
    explicit TTableForm(QWidget* parent = nullptr);
    ~TTableForm() override;

    // From now on shows what `collection` holds, read again at each of its changes.
    void follow(const vitrinex::CollectionSession* collection);

    // Shown, raised and activated; the first time (no place kept) beside `owner`: on its right, or on its
    // left when the screen has no room on the right.
    void showBeside(const QWidget* owner);

    // The settings file: $XDG_CONFIG_HOME/vitrinex/table-window (~/.config/vitrinex/table-window).
    static QString settingsPath();

signals:
    // A row was double-clicked: the edit dialog on the item of that name.
    void editRequested(const QString& itemName);
    // "price over time" (Ctrl+H, or the right-click menu) on the selected row's item.
    void priceChartRequested(const QString& itemName);

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void reload();
    // The covers read again from the photo index (its photos changed).
    void reloadCovers();
    void showCount();
    void readSettings();
    void writeSettings() const;

    const vitrinex::CollectionSession* collection_ = nullptr;
    std::unique_ptr<vitrinex::ThumbnailCache> pictures_;
    vitrinex::ItemTableModel* model_ = nullptr;
    QLineEdit* FilterEDT = nullptr;
    QLabel* Label1 = nullptr; // "filter:"
    QLabel* CountLBL = nullptr;
    QTableView* TableGRD = nullptr;
    bool stale_ = true;   // the collection changed while the window was hidden
    bool placed_ = false; // it has a place: kept from an earlier showing, or shown
};
