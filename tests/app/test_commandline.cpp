// The program's command line: what it reads from its arguments, and the answers it gives without a
// display (help, version, where it reads and writes).

#include "app/CommandLine.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using vitrinex::CommandLine;
using vitrinex::parseCommandLine;
using Action = CommandLine::Action;

namespace {

struct Result {
    int exitCode = -1;
    QString out, err;
};

// Runs the real program with no display at all, from `workDir`.
Result run(const QStringList& arguments, const QString& workDir) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(name);
    p.setProcessEnvironment(env);
    p.setWorkingDirectory(workDir);
    p.start(VITRINEX_EXE, arguments);
    if (!p.waitForFinished(20000) || p.exitStatus() != QProcess::NormalExit) return {};
    return {p.exitCode(), QString::fromLocal8Bit(p.readAllStandardOutput()),
            QString::fromLocal8Bit(p.readAllStandardError())};
}

} // namespace

class TestCommandLine : public QObject {
    Q_OBJECT

private slots:
    void optionsAndFile();
    void helpAndVersionWithoutDisplay();
    void wrongArgumentsRefused();
    void checkInstallInBuildFolder();
};

void TestCommandLine::optionsAndFile() {
    QCOMPARE(parseCommandLine({}).action, Action::Run);
    QCOMPARE(parseCommandLine({}).file, QString());
    const CommandLine open = parseCommandLine({"heroes.fcd"});
    QCOMPARE(open.action, Action::Run);
    QCOMPARE(open.file, QString("heroes.fcd"));
    // Qt's own options and their values are no file; after "--" a dash starts a file name.
    QCOMPARE(parseCommandLine({"-platform", "offscreen", "a.fcd", "-reverse"}).file, QString("a.fcd"));
    QCOMPARE(parseCommandLine({"--", "-odd.fcd"}).file, QString("-odd.fcd"));
    QCOMPARE(parseCommandLine({"--version"}).action, Action::Version);
    QCOMPARE(parseCommandLine({"--check-install"}).action, Action::CheckInstall);
    QCOMPARE(parseCommandLine({"--version", "--bogus", "-h"}).action, Action::Error);
    QCOMPARE(parseCommandLine({"a.fcd", "--help"}).action, Action::Help);
    QCOMPARE(parseCommandLine({"a.fcd", "b.fcd"}).action, Action::Error);
}

void TestCommandLine::helpAndVersionWithoutDisplay() {
    const Result help = run({"--help"}, QDir::currentPath());
    QCOMPARE(help.exitCode, 0);
    QVERIFY2(help.out.startsWith("Usage: vitrinex") && help.out.contains("--check-install"),
             qPrintable(help.out));
    QVERIFY2(help.err.isEmpty(), qPrintable(help.err));
    const Result version = run({"--version"}, QDir::currentPath());
    QCOMPARE(version.exitCode, 0);
    QVERIFY2(QRegularExpression("^Vitrinex \\d+\\.\\d+\\n$").match(version.out).hasMatch(),
             qPrintable(version.out));
}

void TestCommandLine::wrongArgumentsRefused() {
    const Result r = run({"--bogus"}, QDir::currentPath());
    QCOMPARE(r.exitCode, 2);
    QVERIFY(r.out.isEmpty());
    QVERIFY2(r.err.contains("unknown option --bogus"), qPrintable(r.err));
}

void TestCommandLine::checkInstallInBuildFolder() {
    const QString programFolder = QFileInfo(VITRINEX_EXE).absolutePath();
    // Started in its own folder, it finds everything there and would write its settings there.
    const Result home = run({"--check-install"}, programFolder);
    QCOMPARE(home.exitCode, 0);
    QVERIFY2(home.out.contains("layout: build folder\n"), qPrintable(home.out));
    QVERIFY2(home.out.contains("settings file: " + programFolder + "/Vitrinex.ini\n"), qPrintable(home.out));
    QVERIFY2(home.out.endsWith("all files found\n"), qPrintable(home.out));

    // Elsewhere, the sounds and icon are looked for in the current directory and are missing there.
    QTemporaryDir elsewhere;
    const QString here = QDir(elsewhere.path()).canonicalPath();
    const Result away = run({"--check-install"}, here);
    QCOMPARE(away.exitCode, 1);
    QVERIFY2(away.out.contains("missing: " + here + "/v10bp.qys\n"), qPrintable(away.out));
    QVERIFY2(!away.out.contains("missing: " + programFolder), qPrintable(away.out));
    QVERIFY2(away.out.contains("update file: " + here + "/update.dat\n"), qPrintable(away.out));
}

QTEST_GUILESS_MAIN(TestCommandLine)
#include "test_commandline.moc"
