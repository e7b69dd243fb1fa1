// The photo store: each photo once as its bytes, the index keyed by name key, the order of writes, the
// collection of photo files no index names (the generations' included), and its folder's privacy.
#include "CollectionFixtures.h"
#include "PhotoFixtures.h"
#include "collection/InOutError.h"
#include "collection/SafeFile.h"
#include "photos/PhotoStore.h"
#include "reports/BackupGenerations.h"

#include <QtTest>

#include <sys/stat.h>

using namespace vitrinex;
using namespace fixtures;

namespace {

std::string imageFile(const char* name, QRgb colour) {
    writeBytes(here(name), imageBytes(colour));
    return here(name);
}

QStringList photoFiles(const PhotoStore& store) {
    return QDir(QString::fromStdString(store.folder())).entryList({"*.png"}, QDir::Files, QDir::Name);
}

mode_t modeOf(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

} // namespace

class PhotoStoreTest : public QObject {
    Q_OBJECT

private slots:
    void init() { writeCollection(QString::fromStdString(here("mine.fcd")), {item("Luke"), item("Han")}); }
    void cleanup() {
        setFileSystemCallsForTesting(nullptr);
        QDir("mine.photos").removeRecursively();
        QDir(qEnvironmentVariable("XDG_DATA_HOME")).removeRecursively();
    }

    void samePhotoIsKeptOnceAsItsOwnBytes() {
        PhotoStore store(here("mine.fcd"));
        QCOMPARE(store.folder(), here("mine.photos"));
        const std::string red = imageFile("red.png", qRgb(200, 0, 0)),
                          blue = imageFile("blue.png", qRgb(0, 0, 200));
        QCOMPARE(store.add("Luke", {red, blue, red}).size(), std::size_t(2));
        store.add("Han", {red});
        QCOMPARE(photoFiles(store).size(), 2);
        const std::vector<Photo> luke = store.photos("LUKE");
        QCOMPARE(readBytes(store.pathOf(luke[0])), readBytes(red));
        QCOMPARE(QSize(luke[0].width, luke[0].height), QSize(40, 20));
        QCOMPARE(luke[0].bytes, std::int64_t(readBytes(red).size()));
        QCOMPARE(store.photos("Han")[0].file, luke[0].file);
    }

    void renameKeepsPhotosAndDeleteDropsThem() {
        PhotoStore store(here("mine.fcd"));
        const std::string red = imageFile("red.png", qRgb(200, 0, 0)),
                          green = imageFile("g.png", qRgb(0, 200, 0));
        store.add("Luke", {red, green});
        store.add("Han", {red});
        store.renameItem("Luke", "Luke Skywalker");
        QVERIFY(store.photos("Luke").empty());
        QCOMPARE(store.photos("luke skywalker").size(), std::size_t(2));
        store.dropItem("Luke Skywalker");
        // Han's photo stays; the one no index names goes.
        QCOMPARE(photoFiles(store), QStringList{QString::fromStdString(store.photos("Han")[0].file)});
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, store.remove("Han", 1));
    }

    void photosAGenerationNamesStayAndComeBack() {
        PhotoStore store(here("mine.fcd"));
        store.add("Luke", {imageFile("red.png", qRgb(200, 0, 0))});
        const std::vector<Photo> before = store.photos("Luke");
        const std::string generation = keepGeneration(here("mine.fcd"), [](const ByteSink&) {});
        QVERIFY(QFile::exists(QString::fromStdString(generationPhotoIndex(generation))));
        store.dropItem("Luke");
        QCOMPARE(photoFiles(store).size(), 1); // the generation still names it
        store.restoreIndex(generationPhotoIndex(generation));
        QCOMPARE(store.photos("Luke"), before);
        store.dropItem("Luke");
        QFile::remove(QString::fromStdString(generation));
        store.collectGarbage(); // the index of a generation that is gone names nothing
        QVERIFY(photoFiles(store).isEmpty());
    }

    void failedIndexWriteLeavesNoEntryAndNoNewFile() {
        PhotoStore store(here("mine.fcd"));
        store.add("Luke", {imageFile("red.png", qRgb(200, 0, 0))});
        const QByteArray index = readBytes(store.folder() + "/index");
        // As a kill after the photo's file and before the index: the index's rename never happens.
        FileSystemCalls calls;
        calls.rename = [](const char* from, const char* to) {
            if (std::string_view(to).ends_with("/index")) return errno = EIO, -1;
            return ::rename(from, to);
        };
        setFileSystemCallsForTesting(&calls);
        QVERIFY_THROWS_EXCEPTION(EInOutError, store.add("Luke", {imageFile("blue.png", qRgb(0, 0, 200))}));
        setFileSystemCallsForTesting(nullptr);
        QCOMPARE(readBytes(store.folder() + "/index"), index);
        QCOMPARE(photoFiles(store).size(), 1);
    }

    void folderIsAsPrivateAsTheCollectionAndNoLink() {
        ::chmod(here("mine.fcd").c_str(), 0640);
        PhotoStore store(here("mine.fcd"));
        store.add("Luke", {imageFile("red.png", qRgb(200, 0, 0))});
        QCOMPARE(modeOf(store.folder()), mode_t(0750));
        QCOMPARE(modeOf(store.folder() + "/index"), mode_t(0640));
        QCOMPARE(modeOf(store.pathOf(store.photos("Luke")[0])), mode_t(0640));

        QDir("mine.photos").removeRecursively();
        QDir().mkdir("elsewhere");
        QVERIFY(QFile::link("elsewhere", "mine.photos"));
        QVERIFY_THROWS_EXCEPTION(EInOutError, store.add("Luke", {here("red.png")}));
        QVERIFY(QDir("elsewhere").isEmpty());
    }
};

QTEST_GUILESS_MAIN(PhotoStoreTest)
#include "test_photostore.moc"
