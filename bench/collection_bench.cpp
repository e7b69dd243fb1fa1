// Load, save and reload of a large collection whose tree is one long chain (items inserted in
// ascending name order) against the same items inserted in random order, with the memory held.
//   collection_bench [ITEMS] [FOLDER]
#include "collection/OpenCollection.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

using namespace vitrinex;
using Clock = std::chrono::steady_clock;

namespace {

long residentKiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
    return 0;
}

template <typename F>
double seconds(F&& f) {
    const auto start = Clock::now();
    f();
    return std::chrono::duration<double>(Clock::now() - start).count();
}

struct Figures {
    double load = 0, save = 0, reload = 0;
    long kibPerThousand = 0;
};

Figures measure(const std::string& file, const std::vector<std::string>& names) {
    {
        OpenCollection c;
        c.CreateCollection(file, "Bench", "Kenner", "1985-1990");
        for (const auto& n : names) {
            NewItemValues v;
            v.FigureName = n;
            v.Year = "1985";
            v.Series = "Series";
            v.Price = "$  12.50";
            v.NetChange = "$  -1";
            v.Condition = "C-9";
            v.CatNum = "123456";
            v.Comments = "a comment of a typical length for a figure";
            c.InsertNewItem(v);
        }
        c.SaveCollection();
    }
    Figures f;
    OpenCollection c;
    const long before = residentKiB();
    f.load = seconds([&] { c.LoadCollection(file); });
    f.kibPerThousand = (residentKiB() - before) * 1000 / static_cast<long>(names.size());
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
    std::printf("%-8s %10s %10s %10s %16s\n", "order", "load s", "save s", "reload s", "KiB per 1000");
    std::printf("%-8s %10.3f %10.3f %10.3f %16ld\n", "chain", chain.load, chain.save, chain.reload, chain.kibPerThousand);
    std::printf("%-8s %10.3f %10.3f %10.3f %16ld\n", "random", random.load, random.save, random.reload, random.kibPerThousand);
    std::printf("chain / random: load %.2f, save %.2f, reload %.2f\n", chain.load / random.load,
                chain.save / random.save, chain.reload / random.reload);
    std::remove((folder + "/bench-chain.fcd").c_str());
    std::remove((folder + "/bench-random.fcd").c_str());
    return 0;
}
