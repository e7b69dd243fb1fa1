#include "forms/CollectionTools.h"

#include "collection/Win1252.h"
#include "forms/ErrorReport.h"
#include "forms/HistoryDialogs.h"
#include "forms/ImportDialog.h"
#include "forms/MessageDialog.h"
#include "forms/PriceWindow.h"
#include "forms/ProgressWindow.h"
#include "forms/RestoreDialog.h"
#include "forms/TableWindow.h"
#include "model/CollectionSession.h"
#include "platform/FileDialogs.h"
#include "reports/BackupGenerations.h"
#include "reports/CsvFormat.h"
#include "sound/Sound.h"

#include <QAction>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QWidget>

namespace vitrinex {
namespace {

constexpr char kCsvFilter[] = "comma-separated values (*.csv)|*.csv|All Files (*.*)|*.*";
// A refused import lists this many reasons in the message dialog, then how many more there are.
constexpr std::size_t kReasonsShown = 8;

QString pathText(const std::string& path) {
    return QFile::decodeName(path.c_str());
}

bool large(const OpenCollection& c) {
    return c.totals().ItemCount > kLargeCollectionItems;
}

} // namespace

CollectionTools::CollectionTools(QWidget* parent, CollectionSession& collection, QMenu* menu)
    : parent_(parent), collection_(collection), TableForm(std::make_unique<TTableForm>()),
      RestoreForm(new TRestoreForm(parent)), ImportForm(new TImportForm(parent)),
      DeletedForm(
          new THistoryListForm(parent, QStringLiteral("DeletedForm"), QStringLiteral("deleted items"), true)),
      PriceForm(new TPriceForm(parent)) {
    const auto item = [&](const char* name, const QString& caption, const QKeySequence& shortcut,
                          void (CollectionTools::*run)()) {
        auto* action = new QAction(caption, menu);
        action->setObjectName(QString::fromLatin1(name));
        action->setShortcut(shortcut);
        action->setEnabled(false);
        connect(action, &QAction::triggered, this, run);
        parent->addAction(action); // shortcuts work while the menu is closed
        menu->addAction(action);
        return action;
    };
    table1 = item("table1", QStringLiteral("table"), QKeySequence(Qt::CTRL | Qt::Key_T),
                  &CollectionTools::table1Click);
    exportcsv1 = item("exportcsv1", QStringLiteral("export as csv"), {}, &CollectionTools::exportcsv1Click);
    importcsv1 = item("importcsv1", QStringLiteral("import csv"), {}, &CollectionTools::importcsv1Click);
    restore1 = item("restore1", QStringLiteral("restore"), {}, &CollectionTools::restore1Click);
    deleteditems1 =
        item("deleteditems1", QStringLiteral("deleted items"), {}, &CollectionTools::deleteditems1Click);

    TableForm->follow(&collection_);
    connect(TableForm.get(), &TTableForm::editRequested, this, &CollectionTools::editRequested);
    connect(TableForm.get(), &TTableForm::priceChartRequested, this, &CollectionTools::showPriceChart);
    connect(&collection_, &CollectionSession::closed, PriceForm, &QWidget::hide);
    for (auto signal : {&CollectionSession::opened, &CollectionSession::closed,
                        &CollectionSession::itemsChanged, &CollectionSession::reloaded})
        connect(&collection_, signal, this, &CollectionTools::enableCommands);
}

CollectionTools::~CollectionTools() = default;

void CollectionTools::enableCommands() {
    const bool open = collection_.collection().isOpen();
    for (QAction* a : {table1, importcsv1, restore1, deleteditems1})
        a->setEnabled(open);
    exportcsv1->setEnabled(open && collection_.collection().totals().ItemCount > 0);
}

void CollectionTools::table1Click() {
    if (!table1->isEnabled()) return;
    Play(QString::fromLatin1(kSoundClick));
    TableForm->showBeside(parent_);
}

void CollectionTools::exportcsv1Click() {
    if (!exportcsv1->isEnabled()) return;
    const OpenCollection& c = collection_.collection();
    const QString out =
        FileDialogs::getSaveFileName(parent_, QStringLiteral("csv"), QString::fromLatin1(kCsvFilter),
                                     pathText(csvExportFileName(c.fileName())));
    if (out.isEmpty()) return;
    std::size_t rows = 0;
    if (!runWithProgress(parent_, QStringLiteral("export as csv"), QStringLiteral("writing the rows . . ."),
                         large(c), &collection_, [&](const Progress& progress) {
                             rows = writeCsvExport(c, QFile::encodeName(out).toStdString(), progress);
                         }))
        return;
    Play(QString::fromLatin1(kSoundClick));
    ShowMessageDialog(QStringLiteral("export as csv completed"),
                      QStringLiteral("%1 items have been exported. the file is named %2.")
                          .arg(rows)
                          .arg(QFileInfo(out).fileName()));
}

void CollectionTools::importcsv1Click() {
    if (!importcsv1->isEnabled() || refusedAsReadOnly(collection_.collection())) return;
    const QString in =
        FileDialogs::getOpenFileName(parent_, QStringLiteral("csv"), QString::fromLatin1(kCsvFilter));
    if (!in.isEmpty()) importCsvFile(in);
}

void CollectionTools::offerCsvImport(const QString& fileName, QPoint at) {
    if (!importcsv1->isEnabled()) {
        ShowMessageDialog(QStringLiteral("import csv"),
                          QStringLiteral("open a collection first: a CSV file dropped on the window adds "
                                         "its rows to the open collection."));
        return;
    }
    if (refusedAsReadOnly(collection_.collection())) return;
    QMenu offer(parent_);
    offer.setObjectName(QStringLiteral("csvoffer1"));
    QAction* import = offer.addAction(
        QStringLiteral("import %1").arg(QFileInfo(fileName).fileName().replace('&', QStringLiteral("&&"))));
    offer.addAction(QStringLiteral("cancel"));
    if (offer.exec(at) == import) importCsvFile(fileName);
}

void CollectionTools::importCsvFile(const QString& in) {
    CsvImport imported;
    std::vector<std::string> refused;
    std::size_t heldNames = 0;
    const auto import = [&](ExistingRows existing) {
        refused.clear();
        return runWithProgress(
            parent_, QStringLiteral("import csv"), QStringLiteral("importing the rows . . ."),
            large(collection_.collection()), &collection_, [&](const Progress& progress) {
                try {
                    imported = collection_.importCsv(QFile::encodeName(in).toStdString(), existing, progress);
                } catch (const ECsvRefused& e) {
                    refused = e.reasons();
                    heldNames = e.heldNames();
                }
            });
    };
    if (!import(ExistingRows::Refuse)) return;
    // Refused only for names the collection has: the user says what becomes of those rows.
    if (!refused.empty() && heldNames == refused.size()) {
        Play(QString::fromLatin1(kSoundClick));
        const auto choice = ImportForm->Ask(QString::fromStdString(heldNamesQuestion(heldNames)));
        if (!choice || !import(*choice)) return;
    }
    if (!refused.empty()) {
        QString text = QStringLiteral("nothing was imported:");
        for (std::size_t i = 0; i < refused.size() && i < kReasonsShown; ++i)
            text += '\n' + QString::fromStdString(refused[i]);
        if (refused.size() > kReasonsShown)
            text += QStringLiteral("\nand %1 more.").arg(refused.size() - kReasonsShown);
        Play(QString::fromLatin1(kSoundDelete));
        ShowMessageDialog(QStringLiteral("import refused"), text);
        return;
    }
    Play(QString::fromLatin1(kSoundAdd));
    ShowMessageDialog(QStringLiteral("import complete"),
                      QStringLiteral("%1 items have been added to %2.")
                              .arg(imported.added)
                              .arg(toQString(collection_.collection().header().CollectionName)) +
                          QString::fromStdString(csvImportNotes(imported)));
}

void CollectionTools::restore1Click() {
    if (!restore1->isEnabled() || refusedAsReadOnly(collection_.collection())) return;
    const std::string path = collection_.collection().fileName();
    std::vector<Generation> generations;
    if (!runGuarded(parent_, [&] { generations = listGenerations(path); })) return;
    Play(QString::fromLatin1(kSoundClick));
    if (generations.empty()) {
        ShowMessageDialog(
            QStringLiteral("no backups"),
            QStringLiteral("this collection has no backups yet. every backup and every update keeps one."));
        return;
    }
    const Generation* chosen = RestoreForm->ShowFor(generations);
    if (!chosen) return;
    RestoreResult restored;
    const bool done = runWithProgress(
        parent_, QStringLiteral("restore"), QStringLiteral("restoring the collection . . ."),
        large(collection_.collection()) || chosen->items > kLargeCollectionItems, &collection_,
        [&](const Progress& progress) { restored = collection_.restore(path, chosen->path, progress); });
    if (!done) return;
    ShowMessageDialog(
        QStringLiteral("restore complete"),
        QStringLiteral("the collection has been restored from the backup of %1. it holds %2 items.")
            .arg(TRestoreForm::lineFor(*chosen).section(QStringLiteral("   "), 0, 0))
            .arg(restored.items));
}

void CollectionTools::deleteditems1Click() {
    if (!deleteditems1->isEnabled()) return;
    std::vector<DeletedItem> deleted;
    if (!runGuarded(parent_, [&] { deleted = collection_.deletedItems(); })) return;
    Play(QString::fromLatin1(kSoundClick));
    if (deleted.empty()) {
        ShowMessageDialog(QStringLiteral("no deleted items"),
                          QStringLiteral("no item deleted from this collection is kept."));
        return;
    }
    QStringList lines;
    for (const DeletedItem& d : deleted)
        lines << THistoryListForm::deletedLine(d);
    const int row = DeletedForm->ShowLines(QStringLiteral("choose the deleted item to bring back:"), lines,
                                           QStringLiteral("click to bring the chosen item back"));
    if (row < 0 || refusedAsReadOnly(collection_.collection())) return;
    const std::string name = deleted[static_cast<std::size_t>(row)].record.FigureName.str();
    CollectionSession::Undelete result = CollectionSession::Undelete::NotKept;
    if (!runGuarded(parent_, [&] { result = collection_.undelete(name); })) return;
    if (result == CollectionSession::Undelete::NameHeld)
        ShowMessageDialog(QStringLiteral("item exists"),
                          toQString(name) + QStringLiteral(" already exists! rename or delete it first."));
    else if (result == CollectionSession::Undelete::Restored)
        ShowMessageDialog(QStringLiteral("item brought back"),
                          toQString(name) + QStringLiteral(" is back in the collection, as it was deleted."));
}

void CollectionTools::showPriceChart(const QString& itemName) {
    if (!collection_.collection().isOpen() || itemName.isEmpty()) return;
    PriceForm->showFor(collection_, fromQString(itemName));
}

} // namespace vitrinex
