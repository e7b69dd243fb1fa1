// The program as a whole: the real executable started in folders of its own, and the start-up and
// end of the windows inside this process.

// Route simulated mouse events through the window, as real ones are.
#define QTEST_QPA_MOUSE_HANDLING

#include "app/Startup.h"

#include "CollectionFixtures.h"
#include "controls/PictureControl.h"
#include "forms/AboutDialog.h"
#include "forms/CollectionInfoDialog.h"
#include "forms/ExitDialog.h"
#include "forms/MainWindow.h"
#include "forms/MessageDialog.h"
#include "forms/SplashWindow.h"
#include "forms/StatisticsWindow.h"
#include "platform/FileDialogs.h"

#include "MainWindowControls.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <memory>

namespace {

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

// "vitrinex" and a random suffix: the single-instance guard is named after the program file, so
// parallel runs never meet.
QString uniqueProgramName() {
    static const char letters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    QString name = QStringLiteral("vitrinex");
    for (int i = 0; i < 8; ++i)
        name += QLatin1Char(letters[QRandomGenerator::global()->bounded(36)]);
    return name;
}

// A started copy of the program; killed when it is still running at the end.
struct Running {
    QProcess process;
    ~Running() {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished(5000);
        }
    }
    bool running() const { return process.state() == QProcess::Running; }
};

// The program's windows, made as at start-up with the settings file in `programFolder`, and destroyed
// again however the test ends.
struct TestWindows {
    explicit TestWindows(const QString& programFolder) {
        windows = std::make_unique<vitrinex::ProgramWindows>(programFolder);
    }
    ~TestWindows() {
        windows.reset(); // nothing left to do when the test destroyed them itself
    }
    TMainForm* main() { return &windows->mainWindow(); }
    std::unique_ptr<vitrinex::ProgramWindows> windows;
};

} // namespace

class TestStartup : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void startsAndCreatesSettingsBesideTheProgram();
    void secondCopyEndsWhileFirstRuns();
    void copyUnderAnotherNameRunsAlongside();
    void withoutDisplayExitsWithMessage();
    void windowsCreatedAndDestroyedInOrder();
    void confirmedExitSavesWritesSettingsAndEnds();
    void closeBoxEndsTheProgramWithOtherWindowsOpen();

private:
    // Copies the program into a new folder under the name given; returns its path.
    QString install(const QString& folderName, const QString& programName);
    std::unique_ptr<Running> start(const QString& program, const QProcessEnvironment& env);
    QProcessEnvironment withDisplay() const;

    QTemporaryDir root_;
    QString workDir_; // the current directory of every started copy: sounds, icon, help
};

void TestStartup::initTestCase() {
    QVERIFY(root_.isValid());
    QVERIFY2(QFileInfo(VITRINEX_EXE).isExecutable(), VITRINEX_EXE);
    QVERIFY(QDir(root_.path()).mkdir("work"));
    workDir_ = root_.filePath("work");
    for (const char* name :
         {"v10bp.qys", "v10op.qys", "v10cs.qys", "v10ad.qys", "v10dt.qys", "v10up.qys", "qy.qyi"})
        QVERIFY2(QFile::copy(QStringLiteral(VITRINEX_ASSETS_DIR "/") + name, QDir(workDir_).filePath(name)),
                 name);
    QVERIFY(QFile::copy(VITRINEX_HELP_FILE, QDir(workDir_).filePath("Help.hlp")));
}

QString TestStartup::install(const QString& folderName, const QString& programName) {
    QDir root(root_.path());
    if (!root.exists(folderName) && !root.mkdir(folderName)) return {};
    const QString path = QDir(root.filePath(folderName)).filePath(programName);
    if (!QFile::copy(VITRINEX_EXE, path)) return {};
    QFile::setPermissions(path, QFile::permissions(path) | QFile::ExeOwner);
    return path;
}

std::unique_ptr<Running> TestStartup::start(const QString& program, const QProcessEnvironment& env) {
    auto r = std::make_unique<Running>();
    r->process.setProcessEnvironment(env);
    r->process.setWorkingDirectory(workDir_);
    r->process.start(program, {});
    return r;
}

QProcessEnvironment TestStartup::withDisplay() const {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    return env;
}

void TestStartup::startsAndCreatesSettingsBesideTheProgram() {
    const QString program = install("first", uniqueProgramName());
    QVERIFY(!program.isEmpty());
    const QString ini = QFileInfo(program).dir().filePath("Vitrinex.ini");
    QVERIFY(!QFile::exists(ini));

    const auto first = start(program, withDisplay());
    QVERIFY(first->process.waitForStarted(5000));
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(ini), 15000);
    QTRY_COMPARE_WITH_TIMEOUT(readAll(ini), QByteArray("1\r\n"), 5000);
    // Beside the program, not in the current directory.
    QVERIFY(!QFile::exists(QDir(workDir_).filePath("Vitrinex.ini")));
    // It keeps running until told otherwise.
    QTest::qWait(1000);
    QVERIFY2(first->running(), first->process.readAllStandardError().constData());
}

void TestStartup::secondCopyEndsWhileFirstRuns() {
    const QString name = uniqueProgramName();
    const QString firstProgram = install("a", name);
    const QString secondProgram = install("b", name);
    QVERIFY(!firstProgram.isEmpty() && !secondProgram.isEmpty());
    const QString firstIni = QFileInfo(firstProgram).dir().filePath("Vitrinex.ini");
    const QString secondIni = QFileInfo(secondProgram).dir().filePath("Vitrinex.ini");
    // The second copy reads its own settings (sounds off) and writes them back as it ends.
    QFile f(secondIni);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("yes\r\n");
    f.close();

    const auto first = start(firstProgram, withDisplay());
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(firstIni), 15000);
    QTest::qWait(300); // into its message loop

    const auto second = start(secondProgram, withDisplay());
    QVERIFY(second->process.waitForStarted(5000));
    QVERIFY2(second->process.waitForFinished(10000), "the second copy did not end by itself");
    QCOMPARE(second->process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(second->process.exitCode(), 0);
    QCOMPARE(readAll(secondIni), QByteArray("0\r\n"));

    QTest::qWait(500);
    QVERIFY(first->running());
    QCOMPARE(readAll(firstIni), QByteArray("1\r\n"));
}

void TestStartup::copyUnderAnotherNameRunsAlongside() {
    const QString firstProgram = install("c", uniqueProgramName());
    const QString otherProgram = install("d", uniqueProgramName());
    QVERIFY(!firstProgram.isEmpty() && !otherProgram.isEmpty());
    const auto first = start(firstProgram, withDisplay());
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(QFileInfo(firstProgram).dir().filePath("Vitrinex.ini")), 15000);
    const auto other = start(otherProgram, withDisplay());
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(QFileInfo(otherProgram).dir().filePath("Vitrinex.ini")), 15000);
    // Long enough for a second copy to have asked and ended.
    QTest::qWait(3000);
    QVERIFY(other->running());
    QVERIFY(first->running());
}

void TestStartup::withoutDisplayExitsWithMessage() {
    const QString program = install("nodisplay", uniqueProgramName());
    QVERIFY(!program.isEmpty());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(name);
    const auto r = start(program, env);
    QVERIFY(r->process.waitForFinished(10000));
    QCOMPARE(r->process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(r->process.exitCode(), 1);
    const QByteArray err = r->process.readAllStandardError();
    QVERIFY2(err.contains("display"), err.constData());
    // One plain line of its own, not Qt's platform plugin failure.
    QVERIFY2(!err.contains("qt.qpa") && !err.contains("plugin"), err.constData());
    QCOMPARE(err.count('\n'), 1);
    // Nothing was started: no settings file.
    QVERIFY(!QFile::exists(QFileInfo(program).dir().filePath("Vitrinex.ini")));
}

void TestStartup::windowsCreatedAndDestroyedInOrder() {
    QTemporaryDir programDir;
    TestWindows windows(programDir.path());
    QPointer<TSplashForm> splash = &windows.windows->splashWindow();
    QVERIFY(splash->isVisible());
    TMainForm* main = windows.main();
    QVERIFY(!main->isEnabled()); // until the splash timer
    windowtest::MainControls ui;
    ui.find(main);
    QCOMPARE(ui.AboutForm->parentWidget(), main);
    QCOMPARE(readAll(programDir.filePath("Vitrinex.ini")), QByteArray("1\r\n"));

    windows.windows->showMainWindow();
    QVERIFY(main->isVisible());
    QVERIFY(!splash->isVisible());
    QTRY_VERIFY_WITH_TIMEOUT(main->isEnabled(), 5000);

    ui.sounds1->setChecked(false);
    const QList<QPointer<QWidget>> windowsMade{splash.data(), main,        ui.AboutForm,
                                               ui.ExitForm,   ui.NewUForm, ui.StatsForm};
    windows.windows.reset();
    for (const QPointer<QWidget>& w : windowsMade)
        QVERIFY(w.isNull());
    QCOMPARE(readAll(programDir.filePath("Vitrinex.ini")), QByteArray("0\r\n"));
}

// Runs the application's own event loop to its end, as the program does.
void TestStartup::confirmedExitSavesWritesSettingsAndEnds() {
    QTemporaryDir programDir;
    QTemporaryDir dataDir;
    const QString path = dataDir.filePath("heroes.fcd");
    {
        vitrinex::OpenCollection c;
        c.CreateCollection(QFile::encodeName(path).toStdString(), "Heroes", "Kenner", "1985-1990");
        QVERIFY(!c.InsertNewItem(fixtures::item("Batman")).has_value());
        c.SaveCollection();
    }
    const QByteArray original = readAll(path);
    vitrinex::FileDialogs::setAnswerForTesting([path](const vitrinex::FileDialogRequest&) { return path; });

    TestWindows windows(programDir.path());
    windows.windows->showMainWindow();
    TMainForm* main = windows.main();
    windowtest::MainControls ui;
    ui.find(main);
    QTRY_VERIFY_WITH_TIMEOUT(main->isEnabled(), 5000);
    auto click = [](QWidget* w) {
        const QPoint p = w->rect().center();
        QTest::mouseMove(w, p);
        QTest::mousePress(w, Qt::LeftButton, {}, p);
        QTest::mouseRelease(w, Qt::LeftButton, {}, p);
    };
    click(ui.OpenJPG);
    QVERIFY(main->collection().isOpen());
    ui.sounds1->trigger(); // sounds off
    const auto loaded = vitrinex::currentIdentity(QFile::encodeName(path).toStdString());

    bool stillRunning = false;
    bool dialogSeen = false;
    QObject guard; // no timer of this test fires after it has returned
    QTimer::singleShot(0, &guard, [&] {
        QTimer::singleShot(50, &guard, [&] {
            dialogSeen = ui.ExitForm->isVisible();
            click(windowtest::control<TJPEGImage>(ui.ExitForm, "ExitJPG"));
        });
        click(ui.ExitJPG); // returns when the exit dialog has closed
    });
    QTimer::singleShot(5000, &guard, [&] {
        stillRunning = true;
        if (ui.ExitForm->isVisible()) ui.ExitForm->reject();
        QCoreApplication::exit(1);
    });
    const int status = QApplication::exec();
    QVERIFY(dialogSeen);
    QVERIFY2(!stillRunning, "the program went on after the exit was confirmed");
    QCOMPARE(status, 0);
    // The collection was written after the dialog, and the setting in the current directory.
    QVERIFY(vitrinex::currentIdentity(QFile::encodeName(path).toStdString()) != loaded);
    QCOMPARE(readAll(path), original);
    QCOMPARE(readAll(QDir::current().filePath("Vitrinex.ini")), QByteArray("0\r\n"));
    QCOMPARE(readAll(programDir.filePath("Vitrinex.ini")), QByteArray("1\r\n"));
    windows.windows.reset();
    QCOMPARE(readAll(programDir.filePath("Vitrinex.ini")), QByteArray("0\r\n"));
    vitrinex::FileDialogs::setAnswerForTesting({});
    QFile::remove(QDir::current().filePath("Vitrinex.ini"));
}

// Runs the application's own event loop to its end.
void TestStartup::closeBoxEndsTheProgramWithOtherWindowsOpen() {
    QTemporaryDir programDir;
    TestWindows windows(programDir.path());
    windows.windows->showMainWindow();
    TMainForm* main = windows.main();
    QTRY_VERIFY_WITH_TIMEOUT(main->isEnabled(), 5000);

    bool stillRunning = false;
    QObject guard; // no timer of this test fires after it has returned
    QTimer::singleShot(0, &guard, [main] {
        windowtest::topLevelControl<TStatsForm>("StatsForm")->show(); // the statistics window is not modal
        main->close();                                                // the close box
    });
    QTimer::singleShot(3000, &guard, [&stillRunning] {
        stillRunning = true;
        QCoreApplication::exit(1);
    });
    const int status = QApplication::exec();
    QVERIFY2(!stillRunning, "the program went on after its main window was closed");
    QCOMPARE(status, 0);
    windows.windows.reset();
    QCOMPARE(readAll(programDir.filePath("Vitrinex.ini")), QByteArray("1\r\n"));
}

QTEST_MAIN(TestStartup)
#include "test_startup.moc"
