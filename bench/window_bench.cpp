// How long the main window takes to show a collection, and the memory it peaks at: a small collection
// and a large one opened in the real window (offscreen), the large one's time beyond the small one's.
//   window_bench ITEMS FOLDER
// Run it from a Release build with QT_QPA_PLATFORM=offscreen; see README.md.

#include "collection/OpenCollection.h"
#include "forms/CollectionView.h"
#include "forms/MainWindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>

#include <cstdio>
#include <fstream>
#include <random>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

using namespace vitrinex;

namespace {

// A collection saved by the program itself, its items added in random order.
void writeCollection(const std::string& path, int items) {
    OpenCollection c;
    c.CreateCollection(path, "Bench", "Kenner", "1985");
    std::vector<int> order(static_cast<std::size_t>(items));
    for (int i = 0; i < items; ++i)
        order[static_cast<std::size_t>(i)] = i;
    std::mt19937 random(7);
    std::shuffle(order.begin(), order.end(), random);
    for (int i : order) {
        // Prices of their own, as in a real collection: the extremes' lists hold a few ties, not all.
        char price[16], change[16];
        std::snprintf(price, sizeof price, "$%7.2f", 1 + static_cast<double>(random() % 99999) / 100.0);
        std::snprintf(change, sizeof change, "$%4d", static_cast<int>(random() % 41) - 20);
        NewItemValues v;
        v.FigureName = "Figure " + std::to_string(i);
        v.Year = "1985";
        v.Price = price;
        v.NetChange = change;
        v.Condition = "C-9";
        v.CatNum = "123456";
        v.Comments = "a comment of a typical length for a figure";
        c.InsertNewItem(v);
    }
    c.SaveCollection();
}

long peakResidentKiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
    return 0;
}

// Seconds from the open request until the list holds every item.
double secondsToShow(const std::string& path, int items, const QString& programFolder) {
    TMainForm window(nullptr, programFolder);
    window.show();
    QApplication::processEvents();
    auto* list = window.findChild<TItemListBox*>(QStringLiteral("ListBox2"));
    QElapsedTimer clock;
    clock.start();
    window.OpenCollectionFile(QFile::decodeName(path.c_str()));
    while (list->count() != items || !list->isVisible())
        QApplication::processEvents();
    const double seconds = static_cast<double>(clock.nsecsElapsed()) / 1e9;
    window.hide();
    return seconds;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s ITEMS FOLDER\n", argv[0]);
        return 2;
    }
    const int items = std::atoi(argv[1]);
    const std::string folder = argv[2];
    QApplication app(argc, argv);
    const QString programFolder = QFile::decodeName(folder.c_str());
    const std::string small = folder + "/window-bench-small.fcd", large = folder + "/window-bench-large.fcd";
    // Written by a child process, so that the peak measured is the window's alone.
    if (const pid_t child = ::fork(); child == 0) {
        writeCollection(small, 10);
        writeCollection(large, items);
        ::_exit(0);
    } else {
        int status = 0;
        ::waitpid(child, &status, 0);
    }
    const long before = peakResidentKiB();
    const double smallSeconds = secondsToShow(small, 10, programFolder);
    const double largeSeconds = secondsToShow(large, items, programFolder);
    std::printf("items %d: shown in %.3f s, %.3f s beyond a 10-item collection's %.3f s; peak %.0f MiB "
                "(%.0f MiB before the windows)\n",
                items, largeSeconds, largeSeconds - smallSeconds, smallSeconds, peakResidentKiB() / 1024.0,
                before / 1024.0);
    QFile::remove(QFile::decodeName(small.c_str()));
    QFile::remove(QFile::decodeName(large.c_str()));
    return 0;
}
