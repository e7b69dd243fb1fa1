// A catalog update applied through the catalog-number index against the walk of the whole item tree
// once per update record, on the same collection and the same update file; both must write the same
// bytes.
//   price_bench [RECORDS] [ITEMS] [FOLDER]
#include "RandomItems.h"
#include "collection/OpenCollection.h"
#include "collection/PriceApplication.h"

#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

using namespace vitrinex;
using Clock = std::chrono::steady_clock;

namespace {

std::string catNum(int i) {
    char text[16];
    std::snprintf(text, sizeof text, i % 2 ? "k%06d" : "K%06d", i);
    return text;
}

std::string readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Opens a fresh copy of the collection and applies the update; returns the seconds ApplyUpdate took.
double applyOnce(const std::string& original, const std::string& copy, const std::string& update,
                 UpdateMatching matching, UpdateOutcome& outcome) {
    std::ofstream(copy, std::ios::binary) << readAll(original);
    OpenCollection c;
    c.LoadCollection(copy);
    const auto start = Clock::now();
    outcome = ApplyUpdate(c, c.openingId(), update, "", {}, matching);
    return std::chrono::duration<double>(Clock::now() - start).count();
}

} // namespace

int main(int argc, char** argv) {
    const int records = argc > 1 ? std::atoi(argv[1]) : 10000;
    const int items = argc > 2 ? std::atoi(argv[2]) : 100000;
    const std::string folder = argc > 3 ? argv[3] : ".";
    const std::string original = folder + "/bench-price.fcd", update = folder + "/bench-update.dat";
    std::mt19937 random(5);
    {
        // Every catalog number is held by two items; an item's number is in either letter case.
        OpenCollection c;
        c.CreateCollection(original, "Bench", "Kenner", "1985-1990");
        for (int i = 0; i < items; ++i) {
            NewItemValues v = randomPricedItem(random);
            v.NetChange = "$0";
            v.Quantity = 1 + static_cast<int>(random() % 3);
            v.CatNum = catNum(static_cast<int>(random() % (items / 2 + 1)));
            c.InsertNewItem(v);
        }
        c.SaveCollection();
    }
    {
        std::ofstream out(update, std::ios::binary);
        for (int i = 0; i < records; ++i) {
            TUpdateRecord r{};
            const std::string number = catNum(static_cast<int>(random() % (items / 2 + items / 10 + 1)));
            std::string upper = number;
            upper[0] = 'K';
            r.UpdateCatNum.assign(upper);
            char price[16];
            std::snprintf(price, sizeof price, "%.2f", 1 + (random() % 99999) / 100.0);
            r.UpdatePrice.assign(price);
            out.write(reinterpret_cast<const char*>(&r), sizeof r);
        }
    }
    UpdateOutcome indexed, walked;
    const double index =
        applyOnce(original, folder + "/bench-index.fcd", update, UpdateMatching::CatalogIndex, indexed);
    const double walk =
        applyOnce(original, folder + "/bench-walk.fcd", update, UpdateMatching::TreeWalk, walked);
    const bool same = readAll(folder + "/bench-index.fcd") == readAll(folder + "/bench-walk.fcd") &&
                      indexed.texts.statistics.value == walked.texts.statistics.value &&
                      indexed.texts.statistics.hot.texts() == walked.texts.statistics.hot.texts() &&
                      indexed.texts.statistics.cold.texts() == walked.texts.statistics.cold.texts() &&
                      indexed.texts.statistics.high.texts() == walked.texts.statistics.high.texts() &&
                      indexed.texts.statistics.low.texts() == walked.texts.statistics.low.texts();
    std::printf("%d update records over %d items, %s items updated\n", records, items,
                indexed.texts.statistics.updatedCount.c_str());
    std::printf("catalog index   %9.3f s\n", index);
    std::printf("tree walk       %9.3f s\n", walk);
    std::printf("walk / index    %9.1f\n", walk / index);
    std::printf("same file, texts and lists: %s\n", same ? "yes" : "NO");
    for (const char* name : {"/bench-price.fcd", "/bench-update.dat", "/bench-index.fcd", "/bench-walk.fcd"})
        std::remove((folder + name).c_str());
    return same ? 0 : 1;
}
