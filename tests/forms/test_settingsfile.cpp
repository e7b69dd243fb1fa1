// The settings file: reading its first line at start-up, recreating it, and
// replacing it at the end.

#include "OtherUser.h"
#include "collection/InOutError.h"
#include "forms/SettingsFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

using vitrinex::EInOutError;
using vitrinex::readSoundsSetting;
using vitrinex::settingsPathIn;
using vitrinex::writeSoundsSetting;

namespace {

QByteArray contents(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return "<unreadable>";
    return f.readAll();
}

void put(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), bytes.size());
}

// Everything the folder holds, hidden files too (a leftover temporary file
// would show here).
QStringList entries(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

// Limits the size of files this process writes, so a write fails as on a full
// disk.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &saved_);
        oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = saved_;
        limit.rlim_cur = bytes;
        ok_ = setrlimit(RLIMIT_FSIZE, &limit) == 0;
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, oldHandler_);
    }
    bool ok() const { return ok_; }

private:
    rlimit saved_{};
    void (*oldHandler_)(int) = nullptr;
    bool ok_ = false;
};

} // namespace

class TestSettings : public QObject {
    Q_OBJECT

private slots:
    void missingFileIsRecreatedWithSoundsOn() {
        QTemporaryDir dir;
        QVERIFY(readSoundsSetting(dir.path()));
        QCOMPARE(contents(dir.filePath("Vitrinex.ini")), QByteArray("1\r\n"));
        QCOMPARE(entries(dir.path()), QStringList{"Vitrinex.ini"});
    }

    void onlyAnExactFirstLineOfOneTurnsSoundsOn_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<bool>("soundsOn");
        auto row = [](const char* name, const QByteArray& file, bool on) {
            QTest::newRow(name) << file << on;
        };
        row("1 CR LF", "1\r\n", true);
        row("1 without line end", "1", true);
        row("1 LF", "1\n", true);
        row("first line 1, second 0", "1\r\n0\r\n", true);
        row("0", "0\r\n", false);
        row("first line 0, second 1", "0\r\n1\r\n", false);
        row("trailing blank", "1 \r\n", false);
        row("yes", "yes\r\n", false);
        row("10 without line end", "10", false);
        row("empty first line", "\r\n1\r\n", false);
        row("empty file", "", false);
        row("long file", QByteArray("1\r\n") + QByteArray(1 << 20, 'x'), true);
    }
    void onlyAnExactFirstLineOfOneTurnsSoundsOn() {
        QFETCH(QByteArray, file);
        QFETCH(bool, soundsOn);
        QTemporaryDir dir;
        put(dir.filePath("Vitrinex.ini"), file);
        QCOMPARE(readSoundsSetting(dir.path()), soundsOn);
        // A file that could be read is left alone, whatever it says.
        QCOMPARE(contents(dir.filePath("Vitrinex.ini")), file);
    }

    // Something that cannot be read as the file, and cannot be replaced either,
    // still starts the program with sounds on, without an error.
    void unreadableSettingsStartWithSoundsOn() {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir("Vitrinex.ini"));
        QVERIFY(readSoundsSetting(dir.path()));
        QVERIFY(QFileInfo(dir.filePath("Vitrinex.ini")).isDir());

        // A FIFO is neither waited on, nor replaced, nor written to.
        QTemporaryDir fifoDir;
        const QString fifo = fifoDir.filePath("Vitrinex.ini");
        QCOMPARE(::mkfifo(qPrintable(fifo), 0600), 0);
        QVERIFY(readSoundsSetting(fifoDir.path()));
        QVERIFY_THROWS_EXCEPTION(EInOutError, writeSoundsSetting(fifo, false));
        QVERIFY(!QFileInfo(fifo).isFile() && QFileInfo::exists(fifo));

        const QString gone = dir.filePath("no/such/folder");
        QVERIFY(readSoundsSetting(gone));
        QVERIFY(!QFileInfo::exists(gone));

        // No room to recreate it: no half-written file and no temporary file are left behind.
        QTemporaryDir full;
        bool on = false;
        {
            FileSizeLimit noRoom(0);
            QVERIFY(noRoom.ok());
            on = readSoundsSetting(full.path());
        }
        QVERIFY(on);
        QVERIFY(entries(full.path()).isEmpty());
    }

    void writingGivesOneLine() {
        QTemporaryDir dir;
        const QString path = settingsPathIn(dir.path());
        QCOMPARE(path, dir.filePath("Vitrinex.ini"));
        put(path, "1\r\nsomething longer that must go\r\n");
        writeSoundsSetting(path, false);
        QCOMPARE(contents(path), QByteArray("0\r\n"));
        QVERIFY(!readSoundsSetting(dir.path()));
        writeSoundsSetting(path, true);
        QCOMPARE(contents(path), QByteArray("1\r\n"));
        QVERIFY(readSoundsSetting(dir.path()));
        // The same value again still rewrites the file.
        put(path, "1");
        writeSoundsSetting(path, true);
        QCOMPARE(contents(path), QByteArray("1\r\n"));
        QCOMPARE(entries(dir.path()), QStringList{"Vitrinex.ini"});
    }

    // The confirmed exit writes the bare name, which lands in the current
    // directory.
    void bareNameIsWrittenToTheCurrentDirectory() {
        QTemporaryDir dir;
        const QString before = QDir::currentPath();
        QVERIFY(QDir::setCurrent(dir.path()));
        writeSoundsSetting(QString::fromLatin1(vitrinex::kSettingsFileName), false);
        QDir::setCurrent(before);
        QCOMPARE(contents(dir.filePath("Vitrinex.ini")), QByteArray("0\r\n"));
    }

    void writeFailuresRaiseTheInputOutputError() {
        QTemporaryDir dir;
        try {
            writeSoundsSetting(dir.filePath("no/such/folder/Vitrinex.ini"), false);
            QFAIL("writing into a missing folder succeeded");
        } catch (const EInOutError& e) {
            QCOMPARE(e.code(), int(vitrinex::kFileNotFound));
            QCOMPARE(QString::fromStdString(e.what()), QString("File not found"));
        }

        QVERIFY(QDir(dir.path()).mkdir("Vitrinex.ini"));
        QVERIFY_THROWS_EXCEPTION(EInOutError, writeSoundsSetting(dir.filePath("Vitrinex.ini"), true));
        QVERIFY(QFileInfo(dir.filePath("Vitrinex.ini")).isDir());
    }

    // Another user's link at the settings' name in a shared program folder is never written
    // through: neither to the file it names nor, dangling, to create one where it points.
    void linkOfAnotherUserIsNotFollowed() {
        if (!fixtures::otherUserAvailable()) QSKIP(fixtures::otherUserUnavailable());
        QTemporaryDir dir;
        QVERIFY(::chmod(dir.path().toLocal8Bit(), 01777) == 0);
        const QString path = dir.filePath("Vitrinex.ini"), precious = dir.filePath("precious");
        put(precious, "PRECIOUS");
        for (const QString& target : {precious, dir.filePath("chosen")}) {
            QFile::remove(path);
            QVERIFY(fixtures::asOtherUser([&] { return QFile::link(target, path); }));
            QVERIFY_THROWS_EXCEPTION(EInOutError, writeSoundsSetting(path, true));
            QVERIFY(QFileInfo(path).isSymLink());
        }
        QCOMPARE(contents(precious), QByteArray("PRECIOUS"));
        QVERIFY(!QFile::exists(dir.filePath("chosen")));
    }

    // A write that runs out of room leaves the old file exactly as it was.
    void fullDiskKeepsTheOldFile() {
        QTemporaryDir dir;
        const QString path = dir.filePath("Vitrinex.ini");
        put(path, "1\r\n");
        for (rlim_t room : {rlim_t(0), rlim_t(1), rlim_t(2)}) {
            int code = 0;
            {
                FileSizeLimit limit(room);
                QVERIFY(limit.ok());
                try {
                    writeSoundsSetting(path, false);
                } catch (const EInOutError& e) {
                    code = e.code();
                }
            }
            QCOMPARE(code, int(vitrinex::kDiskFull));
            QCOMPARE(contents(path), QByteArray("1\r\n"));
            QCOMPARE(entries(dir.path()), QStringList{"Vitrinex.ini"});
        }
    }
};

QTEST_MAIN(TestSettings)
#include "test_settingsfile.moc"
