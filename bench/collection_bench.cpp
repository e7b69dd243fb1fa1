// Load, save and reload of a large collection whose tree is one long chain (items inserted in
// ascending name order) against the same items inserted in random order, with the memory held.
//   collection_bench [ITEMS] [FOLDER]
#include "collection/OpenCollection.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <malloc.h>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

using namespace vitrinex;
using Clock = std::chrono::steady_clock;

namespace {

// Bytes the allocator has handed out and not taken back.
std::size_t heapInUse() {
    return mallinfo2().uordblks;
}

template <typename F> double seconds(F&& f) {
    const auto start = Clock::now();
    f();
    return std::chrono::duration<double>(Clock::now() - start).count();
}

struct Figures {
    double load = 0, save = 0, reload = 0;
    double bytesPerItem = 0;
};

Figures measure(const std::string& file, const std::vector<std::string>& names) {
    {
        OpenCollection c;
        c.CreateCollection(file, "Bench", "Kenner", "1985-1990");
        std::mt19937 random(7);
        for (const auto& n : names) {
            NewItemValues v;
            v.FigureName = n;
            v.Year = "1985";
            v.Series = "Series";
            char price[16], change[16];
            std::snprintf(price, sizeof price, "$%7.2f", 1 + (random() % 99999) / 100.0);
            std::snprintf(change, sizeof change, "$%4d", static_cast<int>(random() % 41) - 20);
            v.Price = price;
            v.NetChange = change;
            v.Condition = "C-9";
            v.CatNum = "123456";
            v.Comments = "a comment of a typical length for a figure";
            c.InsertNewItem(v);
        }
        c.SaveCollection();
    }
    Figures f;
    OpenCollection c;
    const std::size_t before = heapInUse();
    f.load = seconds([&] { c.LoadCollection(file); });
    f.bytesPerItem = static_cast<double>(heapInUse() - before) / static_cast<double>(names.size());
    f.save = seconds([&] { c.SaveCollection(); });
    f.reload = seconds([&] { c.ReloadCollection(); });
    return f;
}

} // namespace

int main(int argc, char** argv) {
    const int items = argc > 1 ? std::atoi(argv[1]) : 100000;
    const std::string folder = argc > 2 ? argv[2] : ".";
    std::vector<std::string> ascending;
    char name[32];
    for (int i = 0; i < items; ++i) {
        std::snprintf(name, sizeof name, "figure %07d", i);
        ascending.emplace_back(name);
    }
    std::vector<std::string> shuffled = ascending;
    std::shuffle(shuffled.begin(), shuffled.end(), std::mt19937(42));

    const Figures chain = measure(folder + "/bench-chain.fcd", ascending);
    const Figures random = measure(folder + "/bench-random.fcd", shuffled);
    std::printf("%d items (%d bytes a record)\n", items, 1324);
    std::printf("%-8s %10s %10s %10s %16s\n", "order", "load s", "save s", "reload s", "heap B per item");
    std::printf("%-8s %10.3f %10.3f %10.3f %16.0f\n", "chain", chain.load, chain.save, chain.reload,
                chain.bytesPerItem);
    std::printf("%-8s %10.3f %10.3f %10.3f %16.0f\n", "random", random.load, random.save, random.reload,
                random.bytesPerItem);
    std::printf("chain / random: load %.2f, save %.2f, reload %.2f\n", chain.load / random.load,
                chain.save / random.save, chain.reload / random.reload);
    std::remove((folder + "/bench-chain.fcd").c_str());
    std::remove((folder + "/bench-random.fcd").c_str());
    return 0;
}
