#pragma once
// The main window's commands for what lives beside the collection: the table window ("table",
// Ctrl+T), CSV export and import, the restore of a backup generation, the deleted items and an item's
// price over time. They join the tools menu
// and follow the open collection's state; the main window only carries out an edit request.

#include <QObject>
#include <QPoint>
#include <QString>

#include <memory>

class QAction;
class QMenu;
class QWidget;
class THistoryListForm;
class TImportForm;
class TPriceForm;
class TRestoreForm;
class TTableForm;

namespace vitrinex {

class CollectionSession;

class CollectionTools : public QObject {
    Q_OBJECT
public:
    // Adds the commands to `menu`; the windows are owned here, `parent` is their owner window.
    CollectionTools(QWidget* parent, CollectionSession& collection, QMenu* menu);
    ~CollectionTools() override;

    void table1Click();
    void exportcsv1Click();
    void importcsv1Click();
    // A CSV file dropped on the window at `at`: a small menu offers to import it into the open
    // collection, as import csv does with the file chosen.
    void offerCsvImport(const QString& fileName, QPoint at);
    void restore1Click();
    // The deleted items kept, with their dates; the chosen one is brought back.
    void deleteditems1Click();
    // The item's price over time, in its own window.
    void showPriceChart(const QString& itemName);

signals:
    // The table asked for the edit dialog on the item of that name.
    void editRequested(const QString& itemName);

private:
    void enableCommands();
    void importCsvFile(const QString& fileName);

    QWidget* parent_;
    CollectionSession& collection_;
    QAction *table1, *exportcsv1, *importcsv1, *restore1, *deleteditems1;
    std::unique_ptr<TTableForm> TableForm; // a top-level window of its own
    TRestoreForm* RestoreForm;             // child dialog
    TImportForm* ImportForm;               // child dialog
    THistoryListForm* DeletedForm;         // child dialog
    TPriceForm* PriceForm;                 // child window
};

} // namespace vitrinex
