// The main window's table, CSV and restore commands, run from its menu as a user runs them.
#include "CollectionFixtures.h"
#include "MainWindowControls.h"
#include "forms/ErrorReport.h"
#include "forms/HistoryDialogs.h"
#include "forms/ImportDialog.h"
#include "forms/MessageDialog.h"
#include "forms/ProgressWindow.h"
#include "forms/RestoreDialog.h"
#include "forms/TableWindow.h"
#include "forms/ValueChart.h"
#include "model/CollectionSession.h"
#include "platform/FileDialogs.h"
#include "reports/BackupGenerations.h"

#include <QListWidget>
#include <QProgressDialog>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>

using namespace vitrinex;
using namespace windowtest;

class CollectionToolsTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        messages_.clear();
        setShownMessagesForTesting(
            {[this](const QString& title, const QString& text) { messages_ << title + ": " + text; }, {}});
        file_ = dir_.filePath("heroes.fcd");
        fixtures::writeCollection(file_, {fixtures::item("Batman")});
    }
    void cleanup() {
        setShownMessagesForTesting({});
        FileDialogs::setAnswerForTesting({});
    }

    void csvCommandsAndTheTableFollowTheCollection() {
        TMainForm main(nullptr, dir_.path());
        main.show();
        main.OpenCollectionFile(file_);
        QTRY_VERIFY(main.collection().isOpen());
        main.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&main));
        QTest::keyClick(&main, Qt::Key_T, Qt::ControlModifier);
        auto* table = topLevelControl<TTableForm>("TableForm");
        QVERIFY(table->isVisible());

        QString answer = dir_.filePath("out.csv");
        FileDialogs::setAnswerForTesting([&answer](const FileDialogRequest&) { return answer; });
        control<QAction>(&main, "exportcsv1")->trigger();
        QCOMPARE(messages_.takeFirst(),
                 QString("export as csv completed: 1 items have been exported. the file is named out.csv."));

        fixtures::writeBytes(dir_.filePath("in.csv").toStdString(), "name,quantity\nRobin,2\nbatman,x\n");
        answer = dir_.filePath("in.csv");
        const QByteArray before = readAll(file_);
        control<QAction>(&main, "importcsv1")->trigger();
        QCOMPARE(messages_.takeFirst(),
                 QString("import refused: nothing was imported:\nrow 3: quantity must be a whole number of "
                         "at least 1, not 'x'\nrow 3: batman already exists!"));
        QCOMPARE(readAll(file_), before);

        // Names the collection has, and nothing else wrong: the window asks; cancel imports nothing,
        // edit updates those items.
        fixtures::writeBytes(dir_.filePath("in.csv").toStdString(), "name,quantity\nbatman,7\n");
        auto* ask = control<TImportForm>(&main, "ImportForm");
        QVERIFY(throughModal(
            ask, [&] { control<QAction>(&main, "importcsv1")->trigger(); },
            [&] { click(control<TJPEGImage>(ask, "CancelJPG")); }));
        QVERIFY(messages_.isEmpty());
        QCOMPARE(readAll(file_), before);
        QVERIFY(throughModal(
            ask, [&] { control<QAction>(&main, "importcsv1")->trigger(); },
            [&] { click(control<TJPEGImage>(ask, "EditJPG")); }));
        QCOMPARE(messages_.takeFirst(),
                 QString("import complete: 0 items have been added to Heroes. 1 items were updated."));
        OpenCollection saved;
        saved.LoadCollection(QFile::encodeName(file_).toStdString());
        const TFigureNode* batman = saved.FindItem("batman");
        QCOMPARE(batman->Record.FigureName.str(), std::string("Batman"));
        QCOMPARE(batman->Record.Quantity, 7);

        fixtures::writeBytes(dir_.filePath("in.csv").toStdString(), "name,quantity\nRobin,2\n");
        control<QAction>(&main, "importcsv1")->trigger();
        QCOMPARE(messages_.takeFirst(), QString("import complete: 1 items have been added to Heroes."));
        QCOMPARE(control<TItemListBox>(&main, "ListBox2")->count(), 2);
        QCOMPARE(control<QTableView>(table, "TableGRD")->model()->rowCount(), 2);
    }

    // Cancel pressed in the progress window of an import: the collection file byte for byte, no file
    // left beside it, the window showing what it showed.
    void deletedItemsComeBackAndThePriceChartOpensFromTableAndPanel() {
        file_ = dir_.filePath("rebels.fcd"); // a history of its own
        fixtures::writeCollection(file_, {fixtures::item("Batman")});
        {
            CollectionSession earlier;
            earlier.open(file_);
            QVERIFY(!earlier.addItem(fixtures::item("Robin", "$7")));
            QVERIFY(earlier.deleteItem("Batman"));
        }
        TMainForm main(nullptr, dir_.path());
        main.show();
        main.OpenCollectionFile(file_);
        QTRY_VERIFY(main.collection().isOpen());
        auto* deleted = control<THistoryListForm>(&main, "DeletedForm");
        QVERIFY(throughModal(
            deleted, [&] { control<QAction>(&main, "deleteditems1")->trigger(); },
            [&] {
                QVERIFY(control<QListWidget>(deleted, "ListBox1")->item(0)->text().contains("Batman"));
                click(control<TJPEGImage>(deleted, "OKJPG"));
            }));
        QVERIFY(messages_.takeFirst().startsWith("item brought back: Batman"));
        QVERIFY(main.collection().itemList().indexOf("Batman") >= 0);
        QVERIFY(readAll(file_).contains("Batman"));

        // Robin's price as added, then now.
        main.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&main));
        QTest::keyClick(&main, Qt::Key_T, Qt::ControlModifier);
        auto* grid = control<QTableView>(topLevelControl<TTableForm>("TableForm"), "TableGRD");
        const int robin =
            grid->model()->match(grid->model()->index(0, 0), Qt::DisplayRole, "Robin").at(0).row();
        grid->setCurrentIndex(grid->model()->index(robin, 0));
        control<QAction>(grid, "pricechart1")->trigger();
        auto* chart = control<TValueChart>(&main, "PriceGraph");
        QTRY_VERIFY(chart->isVisible());
        QCOMPARE(chart->points().size(), std::size_t(2));
        QCOMPARE(chart->points().front().value, 7.0);
        chart->window()->close();
        main.SelectItem(main.collection().itemList().indexOf("Batman"));
        click(control<QLabel>(&main, "PriceLBL"));
        QTRY_VERIFY(chart->isVisible());
        QCOMPARE(chart->points().size(), std::size_t(1)); // Batman has no price kept but the one now
    }

    void cancelInTheProgressWindowImportsNothing() {
        // A collection large enough for the progress window to show at once, however fast the import;
        // its names in key order, as a save writes them.
        std::vector<vitrinex::TFigureRecord> records;
        char name[16];
        for (int i = 0; i <= vitrinex::kLargeCollectionItems; ++i) {
            std::snprintf(name, sizeof name, "Item %06d", i);
            records.push_back(fixtures::record(name));
        }
        fixtures::writeBytes(file_.toStdString(), fixtures::fileImage(fixtures::header(), records));
        TMainForm main(nullptr, dir_.path());
        main.show();
        main.OpenCollectionFile(file_);
        QTRY_VERIFY(main.collection().isOpen());
        QByteArray rows = "name\n";
        for (int i = 0; i < 2000; ++i)
            rows += "Row " + QByteArray::number(i) + "\n";
        fixtures::writeBytes(dir_.filePath("in.csv").toStdString(), rows);
        FileDialogs::setAnswerForTesting(
            [this](const FileDialogRequest&) { return dir_.filePath("in.csv"); });
        const QByteArray before = readAll(file_);
        const QStringList files = QDir(dir_.path()).entryList(QDir::Files | QDir::Hidden);
        bool pressed = false;
        QTimer presser;
        connect(&presser, &QTimer::timeout, [&] {
            auto* progress = main.findChild<QProgressDialog*>("ProgressForm");
            if (pressed || !progress || !progress->isVisible()) return;
            pressed = true;
            click(progress->findChild<QPushButton*>());
        });
        presser.start(5);
        control<QAction>(&main, "importcsv1")->trigger();
        QVERIFY(pressed);
        QCOMPARE(readAll(file_), before);
        QCOMPARE(QDir(dir_.path()).entryList(QDir::Files | QDir::Hidden), files);
        QCOMPARE(messages_.join("/"), QString());
        QCOMPARE(control<TItemListBox>(&main, "ListBox2")->count(), int(records.size()));
    }

    void restorePutsAChosenGenerationBack() {
        TMainForm main(nullptr, dir_.path());
        main.show();
        main.OpenCollectionFile(file_);
        QTRY_VERIFY(main.collection().isOpen());
        control<QAction>(&main, "createbackup1")->trigger();
        const QByteArray backedUp = readAll(file_);
        fixtures::writeBytes(dir_.filePath("in.csv").toStdString(), "name\nRobin\n");
        FileDialogs::setAnswerForTesting(
            [this](const FileDialogRequest&) { return dir_.filePath("in.csv"); });
        control<QAction>(&main, "importcsv1")->trigger();
        messages_.clear();

        auto* restore = control<TRestoreForm>(&main, "RestoreForm");
        QVERIFY(throughModal(
            restore, [&] { control<QAction>(&main, "restore1")->trigger(); },
            [&] {
                QCOMPARE(control<QListWidget>(restore, "ListBox1")->count(), 1);
                click(control<TJPEGImage>(restore, "OKJPG"));
            }));
        QCOMPARE(readAll(file_), backedUp);
        QCOMPARE(control<TItemListBox>(&main, "ListBox2")->count(), 1);
        QCOMPARE(messages_.size(), 1);
        QVERIFY2(messages_[0].startsWith("restore complete: the collection has been restored"),
                 qPrintable(messages_[0]));
        QCOMPARE(listGenerations(QFile::encodeName(file_).toStdString()).size(), std::size_t(2));
    }

private:
    QTemporaryDir dir_;
    QString file_;
    QStringList messages_;
};

QTEST_MAIN(CollectionToolsTest)
#include "test_collectiontools.moc"
