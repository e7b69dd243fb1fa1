// Where the program reads and writes: beside itself in a build folder, the installed data folder and
// the user's XDG folders once installed.

#include "platform/FilePlaces.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

using vitrinex::FilePlaces;

class TestFilePlaces : public QObject {
    Q_OBJECT

private slots:
    void buildFolderKeepsFilesBesideProgramAndInCurrentDirectory();
    void installedReadsSharedDataAndWritesUserFolders();
    void installedWithoutHomeWritesToCurrentDirectory();
    void installedDataFolderFoundFromProgramFolder();
    void writableFoldersCreatedOnlyWhenInstalled();
};

void TestFilePlaces::buildFolderKeepsFilesBesideProgramAndInCurrentDirectory() {
    const FilePlaces p =
        vitrinex::filePlacesFor("/src/build/src/app", {}, "/home/u/.config", "/home/u/.local/share");
    QVERIFY(!p.installed);
    QCOMPARE(p.settingsFolder, QString("/src/build/src/app"));
    QCOMPARE(p.helpFolder, QString("/src/build/src/app"));
    // Bare names follow the current directory at the time of use.
    QTemporaryDir dir;
    const QString before = QDir::currentPath();
    QVERIFY(QDir::setCurrent(dir.path()));
    const QString here = QDir::currentPath();
    QCOMPARE(p.dataPath("v10bp.qys"), here + "/v10bp.qys");
    QCOMPARE(p.updateFilePath(), here + "/update.dat");
    QCOMPARE(FilePlaces::pathIn(p.exitSettingsFolder, "Vitrinex.ini"), here + "/Vitrinex.ini");
    QVERIFY(QDir::setCurrent(before));
}

void TestFilePlaces::installedReadsSharedDataAndWritesUserFolders() {
    const FilePlaces p =
        vitrinex::filePlacesFor("/usr/bin", "/usr/share/vitrinex", "/home/u/.config", "/home/u/.local/share");
    QVERIFY(p.installed);
    QCOMPARE(p.dataPath("qy.qyi"), QString("/usr/share/vitrinex/qy.qyi"));
    QCOMPARE(FilePlaces::pathIn(p.helpFolder, "Help.hlp"), QString("/usr/share/vitrinex/Help.hlp"));
    // One settings file whichever way the program ends, and nothing written beside the program.
    QCOMPARE(p.settingsFolder, QString("/home/u/.config/vitrinex"));
    QCOMPARE(p.exitSettingsFolder, p.settingsFolder);
    QCOMPARE(p.updateFilePath(), QString("/home/u/.local/share/vitrinex/update.dat"));
}

void TestFilePlaces::installedWithoutHomeWritesToCurrentDirectory() {
    const FilePlaces p = vitrinex::filePlacesFor("/usr/bin", "/usr/share/vitrinex", {}, {});
    QVERIFY(p.installed);
    QCOMPARE(p.updateFilePath(), QDir::current().absoluteFilePath("update.dat"));
    QCOMPARE(FilePlaces::pathIn(p.settingsFolder, "Vitrinex.ini"),
             QDir::current().absoluteFilePath("Vitrinex.ini"));
}

void TestFilePlaces::installedDataFolderFoundFromProgramFolder() {
    QTemporaryDir root;
    QVERIFY(QDir(root.path()).mkpath("usr/bin") && QDir(root.path()).mkpath("build/src/app"));
    auto isDir = [](const QString& f) { return QFileInfo(f).isDir(); };
    const QString bin = root.filePath("usr/bin");
    QCOMPARE(vitrinex::installedDataFolder(bin, "../share/vitrinex", isDir), QString());
    QVERIFY(QDir(root.path()).mkpath("usr/share/vitrinex"));
    QCOMPARE(vitrinex::installedDataFolder(bin, "../share/vitrinex", isDir),
             root.filePath("usr/share/vitrinex"));
    QCOMPARE(vitrinex::installedDataFolder(root.filePath("build/src/app"), "../share/vitrinex", isDir),
             QString());
}

void TestFilePlaces::writableFoldersCreatedOnlyWhenInstalled() {
    QTemporaryDir home;
    const QString config = home.filePath("config"), data = home.filePath("data");
    QVERIFY(vitrinex::createWritableFolders(vitrinex::filePlacesFor(home.path(), {}, config, data)));
    QVERIFY(!QFileInfo::exists(config) && !QFileInfo::exists(data));
    QVERIFY(vitrinex::createWritableFolders(vitrinex::filePlacesFor(home.path(), home.path(), config, data)));
    QVERIFY(QFileInfo(config + "/vitrinex").isDir() && QFileInfo(data + "/vitrinex").isDir());
    // A file where the folder should be: reported, not ignored.
    QTemporaryDir other;
    QFile blocker(other.filePath("config"));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    QVERIFY(!vitrinex::createWritableFolders(vitrinex::filePlacesFor(
        other.path(), other.path(), other.filePath("config"), other.filePath("data"))));
}

QTEST_GUILESS_MAIN(TestFilePlaces)
#include "test_fileplaces.moc"
