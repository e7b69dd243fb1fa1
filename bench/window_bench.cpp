// How long the main window takes to show a collection, and the memory it peaks at: a small collection
// and a large one opened in the real window (offscreen), the large one's time beyond the small one's.
//   window_bench ITEMS FOLDER [RUNS] [--keep] [--shape mixed|zero|zero-random]
// RUNS measures, each in a fresh process, over the same two files, and their median. --keep leaves the
// files in FOLDER and uses them again when they are there (a million items take minutes to write).
// The large collection's shape: mixed prices (every item a price of its own and a net change from -20
// to 20), or a collection never updated (every net change $0, about 100 items at each price, one
// catalog number), in pre-order as the program saves it or its records in random order.
// Run it from a Release build with QT_QPA_PLATFORM=offscreen; see docs/performance.md.

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

// A never-updated collection of `items` written straight as records in random order; unless
// `randomOrder`, opened and saved again by the program, which writes it in pre-order.
void writeNeverUpdated(const std::string& path, int items, bool randomOrder) {
    std::mt19937 random(7);
    const int prices = std::max(1, items / 100);
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        const TCollectionHeader header = blankCollectionHeader();
        out.write(reinterpret_cast<const char*>(&header), sizeof header);
        for (int i = 0; i < items; ++i) {
            TFigureRecord r = blankFigureRecord();
            r.FigureName.assign("Figure " + std::to_string(random()) + " " + std::to_string(i));
            r.Year.assign("1985");
            char price[16];
            std::snprintf(price, sizeof price, "$%.2f", 1 + static_cast<double>(random() % prices) / 4);
            r.Price.assign(price);
            r.NetChange.assign("$0");
            r.Quantity = 1;
            r.Condition.assign("C-9");
            r.CatNum.assign("123456");
            r.Comments.assign("a comment of a typical length for a figure");
            out.write(reinterpret_cast<const char*>(&r), sizeof r);
        }
    }
    if (randomOrder) return;
    OpenCollection c;
    c.LoadCollection(path);
    c.SaveCollection();
}

// A kept file is used again only when it holds that many items (the header and a record each).
bool holdsItems(const std::string& path, int items) {
    std::error_code error;
    return std::filesystem::file_size(path, error) ==
           (static_cast<std::uintmax_t>(items) + 1) * sizeof(TFigureRecord);
}

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
    if (shape != "mixed" && shape != "zero" && shape != "zero-random") {
        std::fprintf(stderr, "unknown shape %s\n", shape.c_str());
        return 2;
    }
    const std::string small = folder + "/window-bench-small.fcd";
    const std::string large =
        folder + (shape == "mixed" ? "/window-bench-large.fcd" : "/window-bench-" + shape + ".fcd");
    // Written once by a child process, so that no measure's peak includes the writing.
    if (const pid_t child = ::fork(); child == 0) {
        if (!keep || !holdsItems(small, 10)) writeCollection(small, 10);
        if (!keep || !holdsItems(large, items)) {
            if (shape == "mixed")
                writeCollection(large, items);
            else
                writeNeverUpdated(large, items, shape == "zero-random");
        }
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
