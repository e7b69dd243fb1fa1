// The collection table on a large collection: opening the window, sorting by a column's title and
// one keystroke of the filter, each timed from the request until the window has painted.
//   QT_QPA_PLATFORM=offscreen table_bench [ITEMS] [FOLDER] [RUNS]
#include "RandomItems.h"
#include "collection/OpenCollection.h"
#include "forms/TableWindow.h"
#include "model/CollectionNotifier.h"

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
    const int items = argc > 1 ? std::atoi(argv[1]) : 100000;
    const std::string folder = argc > 2 ? argv[2] : ".";
    const int runs = argc > 3 ? std::atoi(argv[3]) : 5;
    const std::string file = folder + "/bench-table.fcd";
    std::mt19937 random(7);
    {
        OpenCollection c;
        c.CreateCollection(file, "Bench", "Kenner", "1985-1990");
        const char* words[] = {"mint", "loose", "boxed", "card", "wave", "variant", "sealed", "worn"};
        for (int i = 0; i < items; ++i) {
            NewItemValues v = randomPricedItem(random);
            v.NetChange = "$" + std::to_string(int(random() % 21) - 10);
            v.Year = std::to_string(1978 + random() % 40);
            v.Series = std::string("series ") + words[random() % 8];
            v.Condition = "C-" + std::to_string(1 + random() % 10);
            v.CatNum = "K" + std::to_string(random() % 1000000);
            v.Comments = std::string(words[random() % 8]) + " " + words[random() % 8] + "\r\nfrom the " +
                         std::to_string(random() % 30) + " wave";
            v.Quantity = 1 + static_cast<int>(random() % 5);
            c.InsertNewItem(v);
        }
        c.SaveCollection();
    }
    CollectionNotifier collection;
    collection.open(QString::fromStdString(file));
    std::printf("%d items\n", collection.collection().totals().ItemCount);

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
    return 0;
}
