// The photos in the windows: image files dropped on the detail panel or the photos window, a pasted
// image, the cover shown and changed, and the thumbnails kept privately in the cache folder.
#include "../photos/PhotoFixtures.h"
#include "CollectionFixtures.h"
#include "MainWindowControls.h"
#include "forms/ErrorReport.h"
#include "forms/PhotosWindow.h"
#include "photos/PhotoStore.h"
#include "photos/ThumbnailCache.h"

#include <QClipboard>
#include <QMimeData>
#include <QPushButton>
#include <QTemporaryDir>

#include <sys/stat.h>

using namespace vitrinex;
using namespace windowtest;

namespace {

QString imageFile(const QString& folder, const char* name, QRgb colour) {
    const QString path = folder + '/' + name;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(imageBytes(colour)) <= 0)
        qFatal("cannot write %s", name);
    return path;
}

// Drags `files` onto `target` at `at` and drops them; true when the drop was taken.
bool drop(QWidget* target, QPoint at, const QStringList& files) {
    QMimeData data;
    QList<QUrl> urls;
    for (const QString& f : files)
        urls << QUrl::fromLocalFile(f);
    data.setUrls(urls);
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(target, &enter);
    if (!enter.isAccepted()) return false;
    QDropEvent dropped(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(target, &dropped);
    QCoreApplication::processEvents(); // the add follows the drop
    return dropped.isAccepted();
}

QRgb middleColour(const QLabel* label) {
    const QImage image = label->pixmap().toImage();
    return image.pixel(image.width() / 2, image.height() / 2) & 0xFFFFFF;
}

} // namespace

class PhotosWindowTest : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> dir_; // a new one for each test: a collection without photos
    QString file_;
    std::unique_ptr<TMainForm> main_;
    QStringList messages_;

    std::vector<Photo> photosOf(const char* name) {
        return PhotoStore(main_->collection().fileName()).photos(name);
    }
    TPhotosForm* openPhotosWindow() {
        main_->activateWindow();
        if (!QTest::qWaitForWindowActive(main_.get())) qFatal("the main window is not active");
        QTest::keyClick(main_.get(), Qt::Key_I, Qt::ControlModifier);
        auto* form = topLevelControl<TPhotosForm>("PhotosForm");
        form->activateWindow();
        if (!QTest::qWaitForWindowActive(form)) qFatal("the photos window is not active");
        return form;
    }

private slots:
    void initTestCase() {
        qputenv("XDG_CACHE_HOME", QDir::current().absoluteFilePath("cache").toLocal8Bit());
    }
    void init() {
        setShownMessagesForTesting(
            {[this](const QString& t, const QString& text) { messages_ << t + ": " + text; },
             [this](const QString& e) { messages_ << e; }});
        dir_ = std::make_unique<QTemporaryDir>(QDir::current().absoluteFilePath("test-XXXXXX"));
        file_ = dir_->filePath("heroes.fcd");
        fixtures::writeCollection(file_, {fixtures::item("Batman"), fixtures::item("Robin")});
        main_ = std::make_unique<TMainForm>(nullptr, dir_->path());
        main_->show();
        main_->OpenCollectionFile(file_);
        QTRY_VERIFY(main_->collection().isOpen());
        main_->SelectItem(0);
    }
    void cleanup() {
        main_.reset();
        setShownMessagesForTesting({});
        QVERIFY2(messages_.isEmpty(), qPrintable(messages_.join('\n')));
    }

    void dropsOnTheDetailPanelOrThePhotosWindowAddToTheSelectedItem() {
        const QString red = imageFile(dir_->path(), "red.png", 0xFF0000);
        QVERIFY(!drop(main_.get(), {100, 250}, {red})); // the item list is no place for photos
        QVERIFY(drop(main_.get(), {350, 260}, {red}));
        QCOMPARE(photosOf("Batman").size(), std::size_t(1));
        auto* cover = control<QLabel>(main_.get(), "CoverIMG");
        QTRY_VERIFY(cover->isVisible());
        QCOMPARE(middleColour(cover), QRgb(0xFF0000));
        // The thumbnail is kept where only this user reads it.
        const QDir kept(ThumbnailCache::folder());
        QTRY_COMPARE(kept.entryList(QDir::Files).size(), 1);
        struct stat st {};
        QCOMPARE(::stat(QFile::encodeName(kept.path()).constData(), &st), 0);
        QCOMPARE(st.st_mode & 0777, mode_t(0700));
        QCOMPARE(
            ::stat(QFile::encodeName(kept.filePath(kept.entryList(QDir::Files).first())).constData(), &st),
            0);
        QCOMPARE(st.st_mode & 0777, mode_t(0600));

        TPhotosForm* form = openPhotosWindow();
        QVERIFY(drop(
            form, {10, 10},
            {imageFile(dir_->path(), "green.png", 0x00FF00), imageFile(dir_->path(), "notes.txt", 0), red}));
        QCOMPARE(photosOf("Batman").size(), std::size_t(2)); // the red one is there already
        QCOMPARE(control<QListWidget>(form, "StripLST")->count(), 2);
        // The window follows the selection.
        main_->SelectItem(1);
        QCOMPARE(control<QLabel>(form, "ItemLBL")->text(), QString("Robin"));
        QCOMPARE(control<QListWidget>(form, "StripLST")->count(), 0);
        QVERIFY(!cover->isVisible());
    }

    void aPastedImageIsAddedAsTheBytesItCameIn() {
        TPhotosForm* form = openPhotosWindow();
        const QByteArray png = imageBytes(0x0000FF, "png");
        auto* data = new QMimeData;
        data->setData("image/png", png);
        QGuiApplication::clipboard()->setMimeData(data);
        QTest::keyClick(form, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(photosOf("Batman").size(), std::size_t(1));
        QCOMPARE(readAll(QFile::decodeName(
                     PhotoStore(main_->collection().fileName()).pathOf(photosOf("Batman").front()).c_str())),
                 png);
        QImage picture(8, 8, QImage::Format_RGB32); // a picture copied with no bytes of its own
        picture.fill(Qt::yellow);
        QGuiApplication::clipboard()->setImage(picture);
        QTest::keyClick(form, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(photosOf("Batman").size(), std::size_t(2));
        QCOMPARE(control<QListWidget>(form, "StripLST")->currentRow(), 1);
    }

    void theChosenPhotoBecomesTheCoverIsRemovedOrOpened() {
        QVERIFY(drop(main_.get(), {350, 260},
                     {imageFile(dir_->path(), "a.png", 0x112233), imageFile(dir_->path(), "b.png", 0x445566),
                      imageFile(dir_->path(), "c.png", 0x778899)}));
        const std::vector<Photo> added = photosOf("Batman");
        TPhotosForm* form = openPhotosWindow();
        QUrl opened;
        form->setFileOpener([&opened](const QUrl& url) {
            opened = url;
            return true;
        });
        auto* strip = control<QListWidget>(form, "StripLST");
        strip->setCurrentRow(2);
        click(control<QPushButton>(form, "CoverBTN"));
        QCOMPARE(photosOf("Batman"), (std::vector<Photo>{added[2], added[0], added[1]}));
        QCOMPARE(strip->currentRow(), 0);
        QTRY_COMPARE(middleColour(control<QLabel>(main_.get(), "CoverIMG")), QRgb(0x778899));
        QVERIFY(!control<QPushButton>(form, "CoverBTN")->isEnabled()); // the cover is already first

        strip->setCurrentRow(1);
        click(control<QPushButton>(form, "OpenBTN"));
        QCOMPARE(opened.toLocalFile().toStdString(),
                 PhotoStore(main_->collection().fileName()).pathOf(added[0]));
        click(control<QPushButton>(form, "RemoveBTN"));
        QCOMPARE(photosOf("Batman"), (std::vector<Photo>{added[2], added[1]}));
        QCOMPARE(strip->count(), 2);
    }
};

QTEST_MAIN(PhotosWindowTest)
#include "test_photoswindow.moc"
