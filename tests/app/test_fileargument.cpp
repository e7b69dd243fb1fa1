// A collection named on the command line: the first copy opens it once its window takes input; a
// later copy hands it to the running one, which closes its own collection and opens the new one.

#include "CollectionFixtures.h"
#include "MainWindowControls.h"
#include "forms/ErrorReport.h"
#include "platform/SingleInstance.h"

#include <QApplication>
#include <QDialog>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using windowtest::readAll;

namespace {

// Writes a collection with one item and answers the caption the main window shows for it.
QString makeCollection(const QString& path, const std::string& name) {
    vitrinex::OpenCollection c;
    c.CreateCollection(QFile::encodeName(path).toStdString(), name, "Kenner", "1985");
    c.InsertNewItem(fixtures::item("Batman"));
    c.SaveCollection();
    return QString::fromLatin1(c.captionWithValue().c_str());
}

struct Running {
    QProcess process;
    ~Running() {
        process.kill();
        process.waitForFinished(5000);
    }
};

} // namespace

class TestFileArgument : public QObject {
    Q_OBJECT

private slots:
    void init() {
        errors_.clear();
        vitrinex::setShownMessagesForTesting({{}, [this](const QString& e) { errors_ << e; }});
    }
    void cleanup() { vitrinex::setShownMessagesForTesting({}); }
    void opensOnceWindowTakesInputAndNoDialogIsOpen();
    void replacesOpenCollectionAfterSavingIt();
    void unreadableFileKeepsOpenCollection();
    void firstCopyOpensItsFileAndLaterCopyHandsItsFileOver();

private:
    QTemporaryDir dir_;
    QStringList errors_; // reported instead of shown
};

void TestFileArgument::opensOnceWindowTakesInputAndNoDialogIsOpen() {
    const QString a = dir_.filePath("a.fcd");
    const QString caption = makeCollection(a, "Alpha");
    TMainForm main(nullptr, dir_.path());
    main.setEnabled(false); // as during the splash
    main.show();
    main.OpenCollectionFile(a);
    QTest::qWait(300);
    QVERIFY(!main.collection().isOpen());

    // Enabled with a dialog open over it: still waiting until the dialog closes.
    QDialog busy(&main);
    QVERIFY(windowtest::runModal(busy, [&] {
        main.setEnabled(true);
        QTest::qWait(300);
        QVERIFY(!main.collection().isOpen());
        busy.accept();
    }));
    QTRY_VERIFY_WITH_TIMEOUT(main.collection().isOpen(), 3000);
    QCOMPARE(main.windowTitle(), caption);
}

void TestFileArgument::replacesOpenCollectionAfterSavingIt() {
    const QString a = dir_.filePath("a.fcd"), b = dir_.filePath("b.fcd");
    makeCollection(a, "Alpha");
    const QString captionB = makeCollection(b, "Beta");
    const QByteArray savedA = readAll(a);
    TMainForm main(nullptr, dir_.path());
    main.show();
    main.OpenCollectionFile(a);
    QTRY_VERIFY(main.collection().isOpen());
    const auto loaded = vitrinex::currentIdentity(QFile::encodeName(a).toStdString());

    main.setEnabled(false);
    main.OpenCollectionFile(dir_.filePath("missing.fcd"));
    main.OpenCollectionFile(b); // replaces the request still waiting
    main.setEnabled(true);
    QTRY_COMPARE(main.windowTitle(), captionB);
    // Closed with a save: the file was written anew, with what the window held.
    QVERIFY(vitrinex::currentIdentity(QFile::encodeName(a).toStdString()) != loaded);
    QCOMPARE(readAll(a), savedA);
    QVERIFY2(errors_.isEmpty(), qPrintable(errors_.join('\n')));
}

void TestFileArgument::unreadableFileKeepsOpenCollection() {
    const QString a = dir_.filePath("a.fcd"), bad = dir_.filePath("bad.fcd");
    const QString captionA = makeCollection(a, "Alpha");
    QFile f(bad);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("not a collection");
    f.close();
    TMainForm main(nullptr, dir_.path());
    main.show();
    main.OpenCollectionFile(bad);
    QTRY_COMPARE(errors_.size(), 1);
    QVERIFY(!main.collection().isOpen());
    main.OpenCollectionFile(a);
    QTRY_VERIFY(main.collection().isOpen());
    main.OpenCollectionFile(dir_.filePath("missing.fcd"));
    QTRY_COMPARE(errors_.size(), 2);
    QCOMPARE(main.windowTitle(), captionA);
}

// The real program, twice, under a name of its own so that parallel runs never meet.
void TestFileArgument::firstCopyOpensItsFileAndLaterCopyHandsItsFileOver() {
    QString name = QStringLiteral("vitrinex");
    for (int i = 0; i < 8; ++i)
        name += QChar(u'a' + QRandomGenerator::global()->bounded(26));
    const QString program = dir_.filePath(name);
    QVERIFY(QFile::copy(VITRINEX_EXE, program));
    QVERIFY(QFile::setPermissions(program, QFile::permissions(program) | QFile::ExeOwner));
    QVERIFY(QDir(dir_.path()).mkpath("second"));
    const QString a = dir_.filePath("first.fcd"), b = dir_.filePath("second/second.fcd");
    const QString captionA = makeCollection(a, "First"), captionB = makeCollection(b, "Second");

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    Running first;
    first.process.setProcessEnvironment(env);
    first.process.setWorkingDirectory(dir_.path());
    first.process.start(program, {"first.fcd"});

    // Asking the running copy for a window by its caption tells what it shows. The probe joins only
    // once the copy listens, or it would be taken for the running copy itself.
    const QString title = vitrinex::defaultApplicationTitle(program);
    const QString socket = qEnvironmentVariable("XDG_RUNTIME_DIR") + '/' + vitrinex::instanceGuardName(title);
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(socket), 15000);
    const TPreviousInstance probe(title);
    QVERIFY(probe.isPreviousInstance());
    QTRY_VERIFY_WITH_TIMEOUT(probe.askToShowWindow(captionA, 500), 15000);

    Running second;
    second.process.setProcessEnvironment(env);
    second.process.setWorkingDirectory(dir_.filePath("second")); // a relative name, from elsewhere
    second.process.start(program, {"second.fcd"});
    QVERIFY(second.process.waitForFinished(15000));
    QCOMPARE(second.process.exitCode(), 0);
    // Started from a terminal, it says in one line where its file went.
    const QStringList told = QString::fromLocal8Bit(second.process.readAllStandardError()).split('\n');
    QCOMPARE(told.filter(QRegularExpression("^vitrinex: .*running.*" + QRegularExpression::escape(b))).size(),
             1);
    QTRY_VERIFY_WITH_TIMEOUT(probe.askToShowWindow(captionB, 500), 5000);
    QVERIFY(!probe.askToShowWindow(captionA, 500));
    QCOMPARE(first.process.state(), QProcess::Running);
}

QTEST_MAIN(TestFileArgument)
#include "test_fileargument.moc"
