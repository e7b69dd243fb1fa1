// The collection table on a large collection: opening the window, sorting by a column's title and
// one keystroke of the filter, each timed from the request until the window has painted.
//   QT_QPA_PLATFORM=offscreen table_bench [ITEMS] [FOLDER] [RUNS] [--keep] [--shape mixed|zero|zero-random]
// The shapes are those of BenchCollections.h; --keep leaves the file and uses it again.
#include "BenchCollections.h"
#include "collection/OpenCollection.h"
#include "forms/TableWindow.h"
#include "model/CollectionSession.h"

#include <QApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QTableView>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

using namespace vitrinex;
using Clock = std::chrono::steady_clock;

namespace {

template <typename Step> double timed(Step step) {
    const auto start = Clock::now();
    step();
    QApplication::processEvents(); // layout and paint of what is now shown
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

void report(const char* what, const std::vector<double>& runs) {
    std::printf("%-28s median %.3f s  (", what, median(runs));
    for (double r : runs)
        std::printf(" %.3f", r);
    std::printf(" )\n");
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    std::vector<std::string> positional;
    bool keep = false;
    std::string shape = "mixed";
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "--keep")
            keep = true;
        else if (std::string(argv[i]) == "--shape" && i + 1 < argc)
            shape = argv[++i];
        else
            positional.emplace_back(argv[i]);
    }
    if (!bench::knownShape(shape)) {
        std::fprintf(stderr, "unknown shape %s\n", shape.c_str());
        return 2;
    }
    const int items = positional.size() > 0 ? std::atoi(positional[0].c_str()) : 100000;
    const std::string folder = positional.size() > 1 ? positional[1] : ".";
    const int runs = positional.size() > 2 ? std::max(1, std::atoi(positional[2].c_str())) : 5;
    const std::string file = folder + "/bench-table-" + shape + ".fcd";
    if (!keep || !bench::holdsItems(file, items)) bench::writeShape(file, items, shape);
    CollectionSession collection;
    collection.open(QString::fromStdString(file));
    std::printf("%s, %d items\n", shape.c_str(), collection.collection().totals().ItemCount);

    std::vector<double> load, open, sortPrice, sortName, sortSeries, sortYear, key1, key2, key3, keyBack;
    for (int run = 0; run < runs; ++run) {
        ItemTable alone;
        load.push_back(timed([&] { alone.load(collection.collection()); }));
        TTableForm form;
        form.follow(&collection);
        form.resize(900, 600);
        open.push_back(timed([&] { form.show(); }));
        auto* table = form.findChild<QTableView*>("TableGRD");
        sortPrice.push_back(timed([&] { table->sortByColumn(ItemTable::Price, Qt::AscendingOrder); }));
        sortYear.push_back(timed([&] { table->sortByColumn(ItemTable::Year, Qt::DescendingOrder); }));
        sortSeries.push_back(timed([&] { table->sortByColumn(ItemTable::Series, Qt::AscendingOrder); }));
        sortName.push_back(timed([&] { table->sortByColumn(ItemTable::Name, Qt::DescendingOrder); }));
        auto* filter = form.findChild<QLineEdit*>("FilterEDT");
        key1.push_back(timed([&] { filter->insert("w"); }));
        key2.push_back(timed([&] { filter->insert("a"); }));
        key3.push_back(timed([&] { filter->insert("v"); }));
        keyBack.push_back(timed([&] { filter->backspace(); }));
        form.hide();
    }
    report("rows read (no window)", load);
    report("open (show and paint)", open);
    report("sort by price", sortPrice);
    report("sort by year, descending", sortYear);
    report("sort by series (texts)", sortSeries);
    report("sort by name, descending", sortName);
    report("filter: first keystroke", key1);
    report("filter: second keystroke", key2);
    report("filter: third keystroke", key3);
    report("filter: backspace", keyBack);
    if (!keep) std::remove(file.c_str());
    return 0;
}
