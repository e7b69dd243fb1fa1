// Copies of a collection (backup, text export, update.dat) on a shared machine: a link at the copy's
// name is replaced, never written through, and one planted by another user is refused; a copy is no
// more readable than the collection; no copy replaces a collection.
#include "CollectionFixtures.h"
#include "OtherUser.h"
#include "collection/InOutError.h"
#include "collection/SafeFile.h"
#include "net/UpdateRecordFile.h"
#include "reports/Backup.h"
#include "reports/TextExport.h"

#include <QtTest>

#include <sys/stat.h>

using namespace vitrinex;
using namespace fixtures;

namespace {

std::string folderOfCollection(const OpenCollection& c) {
    return c.fileName().substr(0, c.fileName().rfind('/'));
}

// Each way the program writes a copy of the open collection; returns the copy's path.
const std::vector<std::pair<const char*, std::function<std::string(const OpenCollection&)>>> kWriters = {
    {"backup", [](const OpenCollection& c) { return WriteBackup(c); }},
    {"text export", [](const OpenCollection& c) { return writeTextExport(c); }},
    {"update.dat",
     [](const OpenCollection& c) {
         std::string path = folderOfCollection(c) + "/update.dat";
         net::UpdateRecordWriter writer;
         writer.create(path, copyRulesFor(c.fileName()).mode);
         writer.append(TUpdateRecord{});
         writer.close();
         return path;
     }},
};

mode_t modeOf(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 ? st.st_mode : 0;
}

std::string copyPath(const char* writer, const std::string& folder) {
    if (std::string_view(writer) == "backup") return folder + "/mine.bak";
    if (std::string_view(writer) == "text export") return folder + "/mine.txt";
    return folder + "/update.dat";
}

} // namespace

class CopiesTest : public QObject {
    Q_OBJECT

    static void open(OpenCollection& c, const std::string& folder, mode_t mode = 0600) {
        c.CreateCollection(folder + "/mine.fcd", "Heroes", "Kenner", "1985");
        c.InsertNewItem(item("Luke"));
        ::chmod(c.fileName().c_str(), mode);
    }

private slots:
    void initTestCase() { ::umask(022); }

    void linksAtACopysNameAreReplacedNotFollowed() {
        const std::string folder = QDir::currentPath().toStdString();
        writeBytes("victim", "the victim's own file");
        OpenCollection c;
        open(c, folder);
        for (const auto& [name, write] : kWriters) {
            const std::string copy = copyPath(name, folder);
            QVERIFY(::symlink((folder + "/victim").c_str(), copy.c_str()) == 0);
            QCOMPARE(write(c), copy);
            QVERIFY2(S_ISREG(modeOf(copy)), name);
            QCOMPARE(readBytes(folder + "/victim"), QByteArray("the victim's own file"));
        }

        // In a shared folder, a link another user put at the copy's name is refused.
        if (!otherUserAvailable()) QSKIP(otherUserUnavailable());
        const std::string shared = folder + "/shared";
        QVERIFY(::chmod(folder.c_str(), 0711) == 0); // the other user may pass through our test folder
        QVERIFY(::mkdir(shared.c_str(), 01777) == 0 && ::chmod(shared.c_str(), 01777) == 0);
        OpenCollection there;
        open(there, shared);
        for (const auto& [name, write] : kWriters) {
            const std::string copy = copyPath(name, shared);
            QVERIFY(asOtherUser([&] { return ::symlink((folder + "/victim").c_str(), copy.c_str()) == 0; }));
            QVERIFY_THROWS_EXCEPTION(EInOutError, write(there));
            QVERIFY2(S_ISLNK(modeOf(copy)), name);
            QCOMPARE(readBytes(folder + "/victim"), QByteArray("the victim's own file"));
        }
    }

    void copiesAreNoMoreReadableThanTheCollection() {
        const std::string folder = QDir::currentPath().toStdString();
        for (const mode_t collectionMode : {mode_t(0600), mode_t(0640)}) {
            OpenCollection c;
            open(c, folder, collectionMode);
            for (const auto& [name, write] : kWriters)
                QCOMPARE(modeOf(write(c)) & 0777, collectionMode);
        }
    }

    void noCopyReplacesACollection() {
        const std::string folder = QDir::currentPath().toStdString();
        // A collection named like a copy keeps its name; its copies get names of their own.
        OpenCollection named;
        named.CreateCollection(folder + "/txt", "Named", "Kenner", "1985");
        const QByteArray collection = readBytes(folder + "/txt");
        QCOMPARE(writeTextExport(named), folder + "/txt.txt");
        QCOMPARE(WriteBackup(named), folder + "/txt.bak");
        QCOMPARE(readBytes(folder + "/txt"), collection);

        // Neither the open collection nor any other collection is taken for an old copy.
        QVERIFY(QFile::remove("txt.txt") && QFile::copy("txt", "txt.txt"));
        QVERIFY_THROWS_EXCEPTION(EInOutError, writeTextExport(named));
        QVERIFY_THROWS_EXCEPTION(EInOutError, writeCopyFile(named.fileName(), copyRulesFor(named.fileName()),
                                                            [](const ByteSink& sink) { sink("%PDF", 4); }));
        QCOMPARE(readBytes(folder + "/txt"), collection);
        QCOMPARE(readBytes(folder + "/txt.txt"), collection);
    }
};

QTEST_GUILESS_MAIN(CopiesTest)
#include "test_copies.moc"
