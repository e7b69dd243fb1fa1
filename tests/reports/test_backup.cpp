// The backup writer: its file name, its content (the collection as a save writes it) and its failures.
#include "CollectionFixtures.h"
#include "reports/Backup.h"

#include <QtTest>

using namespace vitrinex;
using namespace fixtures;

class BackupTest : public QObject {
    Q_OBJECT

private slots:
    void fileNameReplacesAFinalFcdOrIsAppended() {
        QCOMPARE(BackupFileName("/home/me/mine.fcd"), std::string("/home/me/mine.bak"));
        QCOMPARE(BackupFileName("/home/me/old.fcd.fcd"), std::string("/home/me/old.fcd.bak"));
        // Any other name keeps all of itself, so that no two collections share one backup.
        QCOMPARE(BackupFileName("/home/me/my.fcd.old"), std::string("/home/me/my.fcd.old.bak"));
        QCOMPARE(BackupFileName("/home/me/MINE.FCD"), std::string("/home/me/MINE.FCD.bak"));
        QCOMPARE(BackupFileName("bak"), std::string("bak.bak"));
        // A folder named like a collection file does not move the backup out of the file's folder.
        QCOMPARE(BackupFileName("/home/me/a.fcd/b.fcd"), std::string("/home/me/a.fcd/b.bak"));
    }

    void backupHoldsWhatASaveWritesAndIsOverwritten() {
        OpenCollection c;
        c.CreateCollection(QDir::current().absoluteFilePath("mine.fcd").toStdString(), "Heroes", "Kenner",
                           "1985-1990");
        QCOMPARE(readBytes(WriteBackup(c)).size(), 1324); // the header alone
        for (const char* name : {"Luke", "Han", "Yoda", "Boba"})
            c.InsertNewItem(item(name));
        c.BlankItem(c.FindItem("Yoda"));
        c.SaveCollection();
        int progress = 0;
        const std::string path = WriteBackup(c, [&progress](int step) { progress += step; });
        QCOMPARE(readBytes(path), readBytes(c.fileName()));
        QCOMPARE(progress, 3 * (500 / 4));
        QCOMPARE(backupCompleteMessage(c.header().CollectionName, path).text,
                 std::string("a backup file of Heroes has been created. the file is named mine.bak."));

        // Opened from its backup, the collection backs up beside it, never over itself.
        OpenCollection fromBackup;
        fromBackup.LoadCollection(path);
        QCOMPARE(WriteBackup(fromBackup), path + ".bak");
        QCOMPARE(readBytes(path + ".bak"), readBytes(path));
    }
};

QTEST_GUILESS_MAIN(BackupTest)
#include "test_backup.moc"
