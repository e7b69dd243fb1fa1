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

    // Generations named by a clock that was ahead (or copied from another machine) sort first by
    // name, yet the one just made, and the state a restore replaces, are what must stay.
    void generationsDatedInTheFutureDoNotPushOutNewOnes() {
        OpenCollection c;
        const std::string path = openedCollection(c, "mine.fcd", 0600);
        WriteBackup(c);
        const QString folder = QFileInfo(QString::fromStdString(listGenerations(path).front().path)).path();
        for (int i = 0; i < 10; ++i)
            QVERIFY(QFile::copy(QString::fromStdString(listGenerations(path).back().path),
                                folder + QString("/209901%1T000000.000Z.fcd").arg(10 + i)));
        c.InsertNewItem(item("Gamma"));
        c.SaveCollection();
        const QByteArray withGamma = readBytes(path);
        WriteBackup(c);
        const auto holdsGamma = [&] {
            const std::vector<Generation> kept = listGenerations(path);
            return std::any_of(kept.begin(), kept.end(),
                               [&](const Generation& g) { return readBytes(g.path) == withGamma; });
        };
        QVERIFY(holdsGamma());
        for (const Generation& g : listGenerations(path))
            if (readBytes(g.path) == withGamma) QVERIFY(QFile::remove(QString::fromStdString(g.path)));
        const RestoreResult restored = restoreCollection(path, listGenerations(path).front().path);
        QCOMPARE(readBytes(restored.kept), withGamma);
        QVERIFY(holdsGamma());
    }

    // The history's place holds something that is no file: the error says so, naming it.
    void historyThatIsNoFileIsNamed() {
        OpenCollection c;
        const std::string path = openedCollection(c, "mine.fcd", 0600);
        WriteBackup(c);
        const std::string history = QFileInfo(QString::fromStdString(listGenerations(path).front().path))
                                        .dir()
                                        .absoluteFilePath("../history")
                                        .toStdString();
        QVERIFY(::unlink(history.c_str()) == 0 && ::mkfifo(history.c_str(), 0600) == 0);
        try {
            readValueHistory(path);
            QFAIL("a FIFO was read as the history");
        } catch (const std::exception& e) {
            QVERIFY2(QString(e.what()).contains("history is no regular file"), e.what());
        }
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
