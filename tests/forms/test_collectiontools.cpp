// The main window's table, CSV and restore commands, run from its menu as a user runs them.
#include "CollectionFixtures.h"
#include "MainWindowControls.h"
#include "forms/ErrorReport.h"
#include "forms/MessageDialog.h"
#include "forms/RestoreDialog.h"
#include "forms/TableWindow.h"
#include "platform/FileDialogs.h"
#include "reports/BackupGenerations.h"

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

        fixtures::writeBytes(dir_.filePath("in.csv").toStdString(), "name,quantity\nRobin,2\nbatman,1\n");
        answer = dir_.filePath("in.csv");
        const QByteArray before = readAll(file_);
        control<QAction>(&main, "importcsv1")->trigger();
        QCOMPARE(messages_.takeFirst(),
                 QString("import refused: nothing was imported:\nrow 3: batman already exists!"));
        QCOMPARE(readAll(file_), before);

        fixtures::writeBytes(dir_.filePath("in.csv").toStdString(), "name,quantity\nRobin,2\n");
        control<QAction>(&main, "importcsv1")->trigger();
        QCOMPARE(messages_.takeFirst(), QString("import complete: 1 items have been added to Heroes."));
        QCOMPARE(control<TItemListBox>(&main, "ListBox2")->count(), 2);
        QCOMPARE(control<QTableView>(table, "TableGRD")->model()->rowCount(), 2);
    }

    // Cancel pressed in the progress window of an import: the collection file byte for byte, no file
    // left beside it, the window showing what it showed.
    void cancelInTheProgressWindowImportsNothing() {
        TMainForm main(nullptr, dir_.path());
        main.show();
        main.OpenCollectionFile(file_);
        QTRY_VERIFY(main.collection().isOpen());
        QByteArray rows = "name\n";
        for (int i = 0; i < 20000; ++i)
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
        QCOMPARE(messages_, QStringList());
        QCOMPARE(control<TItemListBox>(&main, "ListBox2")->count(), 1);
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
