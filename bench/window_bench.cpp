// How long the main window takes to show a collection, and the memory it peaks at: a small collection
// and a large one opened in the real window (offscreen), the large one's time beyond the small one's.
//   window_bench ITEMS FOLDER [RUNS] [--keep] [--shape mixed|zero|zero-random]
// RUNS measures, each in a fresh process, over the same two files, and their median. --keep leaves the
// files in FOLDER and uses them again when they are there (a million items take minutes to write).
// The large collection's shape: see BenchCollections.h.
// Run it from a Release build with QT_QPA_PLATFORM=offscreen; see docs/performance.md.

#include "BenchCollections.h"
#include "collection/OpenCollection.h"
#include "forms/CollectionView.h"
#include "forms/MainWindow.h"
#include "forms/StatisticsWindow.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using namespace vitrinex;

namespace {

long peakResidentKiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
    return 0;
}

// Seconds from the open request until the list holds every item; with `statistics`, then the seconds
// the statistics window takes to show, and its hot list's drop-down to open and scroll to its end.
double secondsToShow(const std::string& path, int items, const QString& programFolder,
                     double* statistics = nullptr, double* scroll = nullptr) {
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
    TStatsForm* form = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* f = qobject_cast<TStatsForm*>(w)) form = f;
    if (statistics && form) {
        clock.restart();
        form->show();
        QApplication::processEvents();
        *statistics = static_cast<double>(clock.nsecsElapsed()) / 1e9;
        auto* hot = form->findChild<QComboBox*>(QStringLiteral("HotLBL"));
        clock.restart();
        hot->showPopup();
        QApplication::processEvents();
        hot->view()->scrollToBottom();
        QApplication::processEvents();
        *scroll = static_cast<double>(clock.nsecsElapsed()) / 1e9;
        hot->hidePopup();
        form->hide();
    }
    window.hide();
    return seconds;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s ITEMS FOLDER [RUNS] [--keep]\n", argv[0]);
        return 2;
    }
    const int items = std::atoi(argv[1]);
    const std::string folder = argv[2];
    int runs = 1;
    bool keep = false;
    std::string shape = "mixed";
    for (int i = 3; i < argc; ++i) {
        if (std::string(argv[i]) == "--keep")
            keep = true;
        else if (std::string(argv[i]) == "--shape" && i + 1 < argc)
            shape = argv[++i];
        else
            runs = std::max(1, std::atoi(argv[i]));
    }
    if (!bench::knownShape(shape)) {
        std::fprintf(stderr, "unknown shape %s\n", shape.c_str());
        return 2;
    }
    const std::string small = folder + "/window-bench-small.fcd";
    const std::string large =
        folder + (shape == "mixed" ? "/window-bench-large.fcd" : "/window-bench-" + shape + ".fcd");
    // Written once by a child process, so that no measure's peak includes the writing.
    if (const pid_t child = ::fork(); child == 0) {
        if (!keep || !bench::holdsItems(small, 10)) bench::writeMixedCollection(small, 10);
        if (!keep || !bench::holdsItems(large, items)) bench::writeShape(large, items, shape);
        ::_exit(0);
    } else {
        int status = 0;
        ::waitpid(child, &status, 0);
    }
    // Each measure in a fresh process of its own, as the program opens a collection after its start.
    std::vector<double> beyond;
    for (int run = 0; run < runs; ++run) {
        int result[2];
        if (::pipe(result) != 0) return 1;
        if (const pid_t child = ::fork(); child == 0) {
            ::close(result[0]);
            QApplication app(argc, argv);
            const QString programFolder = QFile::decodeName(folder.c_str());
            const long before = peakResidentKiB();
            const double smallSeconds = secondsToShow(small, 10, programFolder);
            double statistics = 0, scroll = 0;
            const double largeSeconds = secondsToShow(large, items, programFolder, &statistics, &scroll);
            std::printf(
                "%s, items %d: shown in %.3f s, %.3f s beyond a 10-item collection's %.3f s; peak %.0f MiB "
                "(%.0f MiB before the windows)\n",
                shape.c_str(), items, largeSeconds, largeSeconds - smallSeconds, smallSeconds,
                peakResidentKiB() / 1024.0, before / 1024.0);
            std::printf(
                "  statistics window shown in %.3f s; hot list dropped down and scrolled to its end in "
                "%.3f s; peak %.0f MiB\n",
                statistics, scroll, peakResidentKiB() / 1024.0);
            std::fflush(stdout);
            const double difference = largeSeconds - smallSeconds;
            const bool written = ::write(result[1], &difference, sizeof difference) == sizeof difference;
            ::_exit(written ? 0 : 1);
        } else {
            ::close(result[1]);
            double difference = 0;
            const bool read = ::read(result[0], &difference, sizeof difference) == sizeof difference;
            ::close(result[0]);
            int status = 0;
            ::waitpid(child, &status, 0);
            if (!read) return 1;
            beyond.push_back(difference);
        }
    }
    if (runs > 1) {
        std::sort(beyond.begin(), beyond.end());
        std::printf("median of %d runs: %.3f s beyond (%.3f to %.3f s)\n", runs, beyond[beyond.size() / 2],
                    beyond.front(), beyond.back());
    }
    if (!keep) {
        QFile::remove(QFile::decodeName(small.c_str()));
        QFile::remove(QFile::decodeName(large.c_str()));
    }
    return 0;
}
