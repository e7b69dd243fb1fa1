// Backup generations and their restore, and the value history's points, in the user's data folder.
#include "CollectionFixtures.h"
#include "collection/CollectionLock.h"
#include "collection/PriceApplication.h"
#include "collection/ValueHistory.h"
#include "reports/Backup.h"
#include "reports/BackupGenerations.h"

#include <QtTest>

#include <sys/stat.h>

using namespace vitrinex;
using namespace fixtures;

namespace {

std::string openedCollection(OpenCollection& c, const char* name, mode_t mode) {
    const std::string path = QDir::current().absoluteFilePath(name).toStdString();
    c.CreateCollection(path, "Heroes", "Kenner", "1985-1990");
    ::chmod(path.c_str(), mode);
    return path;
}

mode_t modeOf(const std::string& path) {
    struct stat st {};
    ::lstat(path.c_str(), &st);
    return st.st_mode & 07777;
}

} // namespace

class BackupGenerationsTest : public QObject {
    Q_OBJECT

private slots:
    // Each case starts with an empty data folder.
    void init() {
        data_.emplace();
        qputenv("XDG_DATA_HOME", data_->path().toLocal8Bit());
    }

    void everyBackupKeepsAPrivateGenerationTheLastTen() {
        OpenCollection c;
        const std::string path = openedCollection(c, "mine.fcd", 0640);
        for (int i = 0; i < 12; ++i) {
            c.InsertNewItem(item("Item " + std::to_string(i)));
            c.SaveCollection();
            WriteBackup(c);
        }
        const std::vector<Generation> kept = listGenerations(path);
        QCOMPARE(kept.size(), kGenerationsKept);
        QCOMPARE(kept.front().items, 12); // newest first
        QCOMPARE(kept.back().items, 3);
        QVERIFY(kept.front().time > kept.back().time);
        QCOMPARE(readBytes(kept.front().path), readBytes(path));
        QCOMPARE(modeOf(kept.front().path), mode_t(0640));
        QCOMPARE(modeOf(QFileInfo(QString::fromStdString(kept.front().path)).path().toStdString()),
                 mode_t(0700));
        // Another path is another collection: a moved file starts afresh.
        QVERIFY(listGenerations(path + ".moved").empty());
    }

    void restoreKeepsThePresentStateThenReplacesTheCollection() {
        OpenCollection c;
        const std::string path = openedCollection(c, "mine.fcd", 0600);
        c.InsertNewItem(item("Luke"));
        c.SaveCollection();
        const std::string backup = WriteBackup(c);
        const QByteArray withLuke = readBytes(path);
        c.InsertNewItem(item("Han"));
        c.SaveCollection();
        const QByteArray withHan = readBytes(path);

        writeBytes("damaged.bak", readBytes(backup) + "torn");
        QVERIFY_THROWS_EXCEPTION(EBackupUnreadable, restoreCollection(path, "damaged.bak"));
        QCOMPARE(readBytes(path), withHan);
        QCOMPARE(listGenerations(path).size(), std::size_t(1));

        const RestoreResult restored = restoreCollection(path, listGenerations(path).front().path);
        QCOMPARE(restored.items, 1);
        QCOMPARE(readBytes(path), withLuke);
        QCOMPARE(readBytes(restored.kept), withHan);
        QCOMPARE(listGenerations(path).front().path, restored.kept);
    }

    void backupsAndPriceApplicationsAddValuePoints() {
        OpenCollection c;
        const std::string path = openedCollection(c, "mine.fcd", 0600);
        c.InsertNewItem(item("Luke", "$  10", "$0", 2));
        c.SaveCollection();
        c.LoadCollection(path);
        WriteBackup(c);
        TUpdateRecord record{};
        record.UpdateCatNum.assign("CAT-4");
        record.UpdatePrice.assign("12.5");
        writeBytes("update.dat", QByteArray(reinterpret_cast<const char*>(&record), sizeof record));
        QVERIFY(!ApplyUpdate(c, c.openingId(), "update.dat", "").historyFailure);

        const std::vector<ValuePoint> points = readValueHistory(path);
        QCOMPARE(points.size(), std::size_t(2));
        QCOMPARE(points[0].value, std::string("$20"));
        QCOMPARE(points[1].value, std::string("$25"));
        QCOMPARE(points[1].items, 1);
        QCOMPARE(points[1].updated, 1);
        QCOMPARE(valueAmount(points[1]), 25.0);
        QVERIFY(points[0].time <= points[1].time);
    }

private:
    std::optional<QTemporaryDir> data_;
};

QTEST_GUILESS_MAIN(BackupGenerationsTest)
#include "test_backupgenerations.moc"
