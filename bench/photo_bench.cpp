// Photos: adding many large photos from the command line against copying the same bytes with an
// fsync each, and the collection table scrolled and sorted with a cover on every item against none.
//   photo_bench add [COUNT] [MB] [FOLDER]      (1000 photos of 5 MB by default)
//   QT_QPA_PLATFORM=offscreen photo_bench table [ITEMS] [FOLDER]   (10,000 items by default)
#include "BenchCollections.h"
#include "collection/OpenCollection.h"
#include "forms/TableWindow.h"
#include "model/CollectionSession.h"
#include "photos/PhotoStore.h"

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QImage>
#include <QImageWriter>
#include <QProcess>
#include <QRandomGenerator>
#include <QScrollBar>
#include <QTableView>
#include <QThread>

#include <cstdio>
#include <fcntl.h>
#include <string>
#include <unistd.h>
#include <vector>

using namespace vitrinex;

namespace {

QByteArray jpegOf(const QImage& image, int quality) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setQuality(quality);
    writer.write(image);
    return bytes;
}

// A JPEG of about `megabytes`: noise compresses poorly. Each copy gets other bytes after its end
// marker, which readers pass over, so that every photo is stored on its own.
QByteArray largeJpeg(double megabytes) {
    int side = 1000;
    for (;;) {
        QImage image(side, side * 3 / 4, QImage::Format_RGB32);
        auto* random = QRandomGenerator::global();
        for (int y = 0; y < image.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < image.width(); ++x)
                line[x] = random->generate();
        }
        const QByteArray bytes = jpegOf(image, 95);
        if (bytes.size() >= megabytes * (1 << 20) * 0.95) return bytes;
        side = int(side * 1.3);
    }
}

void writeFile(const QString& path, const QByteArray& bytes, bool sync) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (fd < 0 || ::write(fd, bytes.constData(), std::size_t(bytes.size())) != bytes.size() ||
        (sync && ::fsync(fd) != 0))
        qFatal("cannot write %s", qPrintable(path));
    ::close(fd);
}

int benchAdd(int count, double megabytes, const QString& folder) {
    QDir(folder).mkpath("images");
    QDir(folder).mkpath("copies");
    const QByteArray base = largeJpeg(megabytes);
    QStringList images;
    for (int i = 0; i < count; ++i) {
        images << folder + QStringLiteral("/images/photo%1.jpg").arg(i);
        writeFile(images.back(), base + QByteArray::number(i), false);
    }
    std::printf("%d photos of %.2f MB\n", count, double(base.size()) / (1 << 20));
    ::sync();
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < count; ++i) {
        QFile in(images[i]);
        in.open(QIODevice::ReadOnly);
        writeFile(folder + QStringLiteral("/copies/%1.jpg").arg(i), in.readAll(), true);
    }
    const double copy = double(timer.nsecsElapsed()) / 1e9;
    std::printf("copy with fsync           %.2f s\n", copy);

    const QString collection = folder + "/photos.fcd";
    QFile::remove(collection);
    QDir(folder + "/photos.photos").removeRecursively();
    bench::writeShape(collection.toStdString(), 1, "mixed");
    OpenCollection c;
    c.LoadCollection(collection.toStdString());
    const QString item = QString::fromStdString(std::string(c.itemList().at(0)));
    ::sync();
    timer.restart();
    QProcess cli;
    cli.start(QStringLiteral(VITRINEX_CLI), QStringList{"photo-add", collection, item} + images);
    cli.waitForFinished(-1);
    const double add = double(timer.nsecsElapsed()) / 1e9;
    if (cli.exitCode() != 0) qFatal("photo-add failed: %s", cli.readAllStandardError().constData());
    std::printf("vitrinex-cli photo-add    %.2f s  (%.2f times the copy)\n", add, add / copy);
    return 0;
}

double timed(const std::function<void()>& step) {
    QElapsedTimer timer;
    timer.start();
    step();
    QApplication::processEvents();
    return double(timer.nsecsElapsed()) / 1e9;
}

// Page by page from the top to the bottom, each page painted.
double scrollThrough(QTableView* view) {
    return timed([view] {
        QScrollBar* bar = view->verticalScrollBar();
        for (int v = 0; v <= bar->maximum(); v += std::max(1, bar->pageStep())) {
            bar->setValue(v);
            view->viewport()->repaint();
        }
    });
}

int benchTable(int items, const QString& folder) {
    const QString file = folder + "/table.fcd";
    QFile::remove(file);
    QDir(folder + "/table.photos").removeRecursively();
    bench::writeShape(file.toStdString(), items, "mixed");
    for (const bool covers : {false, true}) {
        if (covers) {
            // Every item a photo of its own (small, so that making them does not dwarf the run).
            OpenCollection c;
            c.LoadCollection(file.toStdString());
            QDir(folder).mkpath("covers");
            std::vector<std::pair<std::string, std::vector<std::string>>> batch;
            for (int i = 0; i < c.itemList().size(); ++i) {
                QImage image(64, 48, QImage::Format_RGB32);
                image.fill(QColor::fromRgb(QRandomGenerator::global()->generate()));
                const QString path = folder + QStringLiteral("/covers/%1.jpg").arg(i);
                writeFile(path, jpegOf(image, 80), false);
                batch.push_back({std::string(c.itemList().at(i)), {path.toStdString()}});
            }
            PhotoStore(file.toStdString()).addToItems(batch);
        }
        CollectionSession session;
        TTableForm form;
        form.follow(&session);
        session.open(file);
        form.resize(900, 600);
        form.show();
        QApplication::processEvents();
        auto* view = form.findChild<QTableView*>("TableGRD");
        const double first = scrollThrough(view);
        QThread::msleep(covers ? 3000 : 0); // the thumbnails made meanwhile
        QApplication::processEvents();
        const double again = scrollThrough(view);
        const double sort = timed([view] { view->sortByColumn(3, Qt::DescendingOrder); });
        const double sortBack = timed([view] { view->sortByColumn(0, Qt::AscendingOrder); });
        std::printf("%-14s scroll through %.3f s (again %.3f s), sort by price %.3f s, by name %.3f s\n",
                    covers ? "with covers" : "without", first, again, sort, sortBack);
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    const QString mode = args.value(0);
    const QString folder = args.value(3, QDir::tempPath() + "/photo_bench");
    if (mode == "add") {
        QDir().mkpath(args.value(3, folder));
        return benchAdd(args.value(1, "1000").toInt(), args.value(2, "5").toDouble(), args.value(3, folder));
    }
    if (mode == "table") {
        const QString tableFolder = args.value(2, QDir::tempPath() + "/photo_bench");
        QDir().mkpath(tableFolder);
        return benchTable(args.value(1, "10000").toInt(), tableFolder);
    }
    std::fprintf(stderr, "usage: photo_bench add [COUNT] [MB] [FOLDER] | table [ITEMS] [FOLDER]\n");
    return 2;
}
