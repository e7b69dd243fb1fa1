// The text export: whole files for the collection's cases, its name rule, its message, and failures
// that leave the previous export as it was.
#include "CollectionFixtures.h"
#include "collection/InOutError.h"
#include "collection/SafeFile.h"
#include "reports/TextExport.h"

#include <QtTest>
#include <cerrno>

using namespace vitrinex;

class TextExportTest : public QObject {
    Q_OBJECT

    static void open(OpenCollection& c, const std::string& file = "heroes.fcd") {
        c.CreateCollection(file, "Heroes", "Kenner", "1985-1990");
    }
    static QByteArray exported(const std::string& file) { return fixtures::readBytes(file); }
    static constexpr char kHeader[] = "Vitrinex 1.4\r\n\r\nHeroes   Kenner   1985-1990\r\n\r\n";

private slots:
    void itemsInKeyOrderWithTheirLines() {
        OpenCollection c;
        open(c);
        c.InsertNewItem(fixtures::item("zeta", "$  12.50", "$  -3", 2));
        auto bare = fixtures::item("Alpha", "$1", "$0");
        bare.CatNum.clear();
        bare.Comments.clear();
        c.InsertNewItem(bare);
        auto commented = fixtures::item("mid");
        commented.Comments = std::string(19, 'a') + " " + std::string(31, 'b');
        commented.Series.clear();
        c.InsertNewItem(commented);
        c.InsertNewItem(fixtures::item("none", "$1", "$0", 0));
        c.InsertNewItem(fixtures::item("blanked"));
        c.BlankItem(c.FindItem("blanked"));
        fixtures::writeBytes("heroes.txt", "an older, longer export that must go entirely");

        QCOMPARE(writeTextExport(c), std::string("heroes.txt"));
        QCOMPARE(exported("heroes.txt"),
                 QByteArray(kHeader) +
                     "Alpha(1)\r\n     Price:  $1\r\n     Net Change:  $0\r\n     Year:  1985\r\n"
                     "     Series:  Series 1\r\n     Condition:  C-9\r\n\r\n"
                     "mid(1)\r\n     Price:  $12.50\r\n     Net Change:  $0\r\n     Year:  1985\r\n"
                     "     Condition:  C-9\r\n     Catalog #:  CAT-3\r\n"
                     "     Comments:  aaaaaaaaaaaaaaaaaaa \r\n                "
                     "bbbbbbbbbbbbbbbbbbbbbbbbbbbbbbb\r\n\r\n"
                     "zeta(2)\r\n     Price:  $12.50\r\n     Net Change:  $-3\r\n     Year:  1985\r\n"
                     "     Series:  Series 1\r\n     Condition:  C-9\r\n     Catalog #:  CAT-4\r\n"
                     "     Comments:  mint on card\r\nfrom the 1985 wave\r\n\r\n");
        const UserMessage m = textExportCompletedMessage(c, "/some/folder/heroes.txt");
        QCOMPARE(m.title, std::string("export as text completed"));
        QCOMPARE(m.text,
                 std::string("Heroes has been exported as a text file. the file is named heroes.txt."));
    }

    void noLiveItemsGivesTheHeaderLinesOnly() {
        OpenCollection c;
        open(c, QDir::current().absoluteFilePath("sub.fcd.d.fcd").toStdString());
        QCOMPARE(writeTextExport(c), QDir::current().absoluteFilePath("sub.fcd.d.txt").toStdString());
        QCOMPARE(exported("sub.fcd.d.txt"), QByteArray(kHeader));
    }

    void otherNamesExportBesideTheCollection() {
        QDir().mkdir("store");
        {
            OpenCollection c;
            open(c, "store/heroes.fcd");
        }
        QVERIFY(QFile::copy("store/heroes.fcd", "store/heroes.bak"));
        OpenCollection c;
        c.LoadCollection(QDir::current().absoluteFilePath("store/heroes.bak").toStdString());
        const std::string name = writeTextExport(c);
        QCOMPARE(name, QDir::current().absoluteFilePath("store/heroes.bak.txt").toStdString());
        QCOMPARE(exported("store/heroes.bak.txt"), QByteArray(kHeader));
        QVERIFY(textExportCompletedMessage(c, name).text.ends_with("the file is named heroes.bak.txt."));

        // A folder named like a collection file keeps the export in the collection's folder.
        QDir().mkdir("shelf.fcd");
        QVERIFY(QFile::copy("store/heroes.fcd", "shelf.fcd/heroes.fcd"));
        c.LoadCollection(QDir::current().absoluteFilePath("shelf.fcd/heroes.fcd").toStdString());
        QCOMPARE(writeTextExport(c), QDir::current().absoluteFilePath("shelf.fcd/heroes.txt").toStdString());
        QVERIFY(!QFile::exists("shelf.txt"));
    }

    void failuresKeepThePreviousExport() {
        OpenCollection c;
        open(c);
        c.InsertNewItem(fixtures::item("zeta"));
        fixtures::writeBytes("heroes.txt", "previous export");
        FileSystemCalls full;
        full.write = [](int, const void*, std::size_t) -> ssize_t {
            errno = ENOSPC;
            return -1;
        };
        setFileSystemCallsForTesting(&full);
        try {
            writeTextExport(c);
            QFAIL("a full disk must fail the export");
        } catch (const EInOutError& e) {
            QCOMPARE(QString(e.what()), QString("Disk full"));
        }
        setFileSystemCallsForTesting(nullptr);
        QCOMPARE(exported("heroes.txt"), QByteArray("previous export"));
        QCOMPARE(QDir().entryList({"*.tmp"}, QDir::Files | QDir::Hidden), QStringList());

        QDir().mkdir("folder.txt");
        c.saveAs("folder.fcd");
        QVERIFY_THROWS_EXCEPTION(EInOutError, writeTextExport(c));
    }
};

QTEST_GUILESS_MAIN(TextExportTest)
#include "test_textexport.moc"
