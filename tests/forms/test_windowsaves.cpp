// A collection file changed by another program while the window holds it: every save the window makes
// finds out first, writes nothing, reads the file again and says so in the message dialog.

#include "CliRunner.h"
#include "CollectionFixtures.h"
#include "MainWindowControls.h"
#include "collection/SafeFile.h"
#include "forms/ErrorReport.h"
#include "forms/MessageDialog.h"
#include "model/CollectionSession.h"

#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <cerrno>
#include <memory>

using namespace vitrinex::testing;

using namespace vitrinex;

namespace {

// The command-line program, a real second process, adds an item to the file.
void addElsewhere(const QString& file, const QString& name) {
    QCOMPARE(runCli({"add", file, "--name", name, "--price", "$5", "--catnum", "K1"}).status, 0);
}

std::vector<std::string> namesIn(const QString& file) {
    OpenCollection c;
    c.LoadCollection(QFile::encodeName(file).toStdString());
    return c.itemList().names();
}

} // namespace

class TestWindowSaves : public QObject {
    Q_OBJECT

private slots:
    void init() {
        messages_.clear();
        setShownMessagesForTesting(
            {[this](const QString& title, const QString& text) { messages_ << title + ": " + text; },
             [this](const QString& e) { messages_ << "report: " + e; }});
        file_ = dir_.filePath("heroes.fcd");
        fixtures::writeCollection(file_, {fixtures::item("Batman")});
    }
    void cleanup() { setShownMessagesForTesting({}); }
    void closeWithNothingUnsavedKeepsTheOtherProgramsFile();
    void everySaveOfTheCollectionChecksFirst();
    void failedWritesAtTheEndAreToldOncePerFile();
    void editRefusedOnceSavesWhenMadeAgain();
    void ctrlZUndoesTheLastChangeNamedInTheEditMenu();

private:
    void expectOneMessage() {
        QCOMPARE(messages_.size(), 1);
        QVERIFY2(messages_[0].startsWith("file changed: '" + file_ + "' was changed by another program"),
                 qPrintable(messages_[0]));
        messages_.clear();
    }
    QTemporaryDir dir_;
    QString file_;
    QStringList messages_;
};

void TestWindowSaves::closeWithNothingUnsavedKeepsTheOtherProgramsFile() {
    TMainForm main(nullptr, dir_.path());
    main.show();
    main.OpenCollectionFile(file_);
    QTRY_VERIFY(main.collection().isOpen());
    addElsewhere(file_, "Robin");

    // With nothing unsaved here, there is nothing to save: the close closes and the file keeps the
    // other program's change.
    windowtest::control<QAction>(&main, "closecollection1")->trigger();
    QVERIFY(messages_.isEmpty());
    QVERIFY(!main.collection().isOpen());
    QCOMPARE(namesIn(file_), (std::vector<std::string>{"Batman", "Robin"}));
}

void TestWindowSaves::everySaveOfTheCollectionChecksFirst() {
    const QString updateFile = dir_.filePath("update.dat");
    TUpdateRecord record{};
    record.UpdateCatNum.assign("K1");
    record.UpdatePrice.assign("9");
    fixtures::writeBytes(updateFile.toStdString(),
                         QByteArray(reinterpret_cast<const char*>(&record), sizeof record));

    CollectionSession session;
    int reloads = 0;
    connect(&session, &CollectionSession::reloaded, [&] { ++reloads; });
    session.open(file_);
    ItemEntry edit;
    const std::vector<std::function<void()>> saves{
        [&] {
            session.selectItem("Batman");
            edit.FillForEdit(session.collection().currentItem()->Record);
            edit.Fields.Series = "Changed";
            session.addSave(edit);
        },
        [&] {
            session.selectItem("Batman");
            session.deleteCurrentItem();
        },
        [&] { session.changeInfo("Villains", "Kenner", "1985"); },
        [&] { session.applyUpdate(session.collection().openingId(), updateFile.toStdString(), "{}"); },
        [&] { session.save(); },
    };
    int added = 0;
    for (const auto& save : saves) {
        addElsewhere(file_, QStringLiteral("Joker %1").arg(++added));
        const QByteArray onDisk = windowtest::readAll(file_);
        QVERIFY(runGuarded(nullptr, save) == false);
        expectOneMessage();
        QCOMPARE(windowtest::readAll(file_), onDisk);
        QCOMPARE(reloads, added);
        QCOMPARE(session.collection().totals().ItemCount, added + 1);
        QCOMPARE(session.collection().header().CollectionName, std::string("Heroes"));
    }
    // Once read again, each of them saves.
    session.changeInfo("Villains", "Kenner", "1985");
    QCOMPARE(session.applyUpdate(session.collection().openingId(), updateFile.toStdString(), "{}")
                 .texts.statistics.updatedCount,
             std::string("5/6"));
    session.close();
    QCOMPARE(namesIn(file_).size(), std::size_t(6));
}

void TestWindowSaves::failedWritesAtTheEndAreToldOncePerFile() {
    // The exit dialog and the window's end both write the settings file here, and neither can; the
    // collection's disk is full.
    QVERIFY(QDir().mkdir("Vitrinex.ini"));
    auto main = std::make_unique<TMainForm>(nullptr, QDir::currentPath());
    main->show();
    main->OpenCollectionFile(file_);
    QTRY_VERIFY(main->collection().isOpen());
    const FileSystemCalls full{[](int, const void*, std::size_t) -> ssize_t {
                                   errno = ENOSPC;
                                   return -1;
                               },
                               {},
                               {},
                               {}};
    setFileSystemCallsForTesting(&full);
    auto* exitForm = windowtest::control<TExitForm>(main.get(), "ExitForm");
    QTimer::singleShot(50, exitForm, [exitForm] {
        windowtest::click(windowtest::control<TJPEGImage>(exitForm, "ExitJPG"));
    });
    windowtest::control<QAction>(main.get(), "exitvitrinex1")->trigger();
    setFileSystemCallsForTesting(nullptr);
    main.reset();
    QVERIFY(QDir().rmdir("Vitrinex.ini"));

    QCOMPARE(messages_.size(), 2);
    QVERIFY2(messages_[0].startsWith("report: " + QDir::current().filePath("Vitrinex.ini") + ": "),
             qPrintable(messages_[0]));
    QCOMPARE(messages_[1], "report: " + file_ + ": Disk full");
}

void TestWindowSaves::editRefusedOnceSavesWhenMadeAgain() {
    CollectionSession session;
    session.open(file_);
    for (const QString& newName : {QStringLiteral("Batman"), QStringLiteral("Dark Knight")}) {
        const std::string oldName = session.collection().itemList().names().front();
        session.selectItem(QString::fromStdString(oldName));
        ItemEntry edit;
        edit.FillForEdit(session.collection().currentItem()->Record);
        edit.Fields.FigureName = newName;
        edit.Fields.Series = "Changed";
        addElsewhere(file_, "Joker " + newName);
        QVERIFY(runGuarded(nullptr, [&] { session.addSave(edit); }) == false);
        expectOneMessage();
        // The dialog, still open, saves again: the item read again takes the change, nothing is copied.
        QVERIFY(runGuarded(nullptr, [&] { session.addSave(edit); }));
        QVERIFY2(messages_.isEmpty(), qPrintable(messages_.join('\n')));
        const std::vector<std::string> names = namesIn(file_);
        QCOMPARE(std::count(names.begin(), names.end(), newName.toStdString()), 1);
        QCOMPARE(std::count(names.begin(), names.end(), oldName), oldName == newName.toStdString() ? 1 : 0);
    }
    QCOMPARE(namesIn(file_).size(), std::size_t(3));
}

// Ctrl+Z undoes a change the command line logged, Ctrl+Y does it again, and the edit menu names the
// step it would take.
void TestWindowSaves::ctrlZUndoesTheLastChangeNamedInTheEditMenu() {
    const QByteArray before = windowtest::readAll(file_);
    addElsewhere(file_, "Robin");
    const QByteArray after = windowtest::readAll(file_);
    TMainForm main(nullptr, dir_.path());
    main.show();
    main.OpenCollectionFile(file_);
    QTRY_VERIFY(main.collection().isOpen());
    QTest::keyClick(&main, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(windowtest::readAll(file_), before);
    QCOMPARE(main.collection().totals().ItemCount, 1);
    auto* edit = windowtest::control<QMenu>(&main, "edit1");
    emit edit->aboutToShow();
    QVERIFY(windowtest::control<QAction>(&main, "redo1")->text().contains("Robin"));
    QTest::keyClick(&main, Qt::Key_Y, Qt::ControlModifier);
    QCOMPARE(windowtest::readAll(file_), after);
    QVERIFY(messages_.isEmpty());
}

QTEST_MAIN(TestWindowSaves)
#include "test_windowsaves.moc"
