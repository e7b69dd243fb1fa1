// The price history under an update of many prices: each update's step written after the ones before
// (its cost must not grow with the history), a one-item edit after them, and the record of one item
// read back from the whole history.
//   price_history_bench [PRICES] [UPDATES] [FOLDER]
#include "history/PriceHistory.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

using namespace vitrinex;
using Clock = std::chrono::steady_clock;

namespace {

double seconds(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

} // namespace

int main(int argc, char** argv) {
    const int prices = argc > 1 ? std::atoi(argv[1]) : 1000000;
    const int updates = argc > 2 ? std::atoi(argv[2]) : 3;
    const std::string folder = argc > 3 ? argv[3] : ".";
    // The history lives in the data folder; the benchmark's own, removed afterwards.
    const std::string data = folder + "/bench-price-history";
    ::setenv("XDG_DATA_HOME", data.c_str(), 1);
    PriceHistory history(folder + "/bench-history.fcd");
    std::vector<PriceEntry> entries(static_cast<std::size_t>(prices));
    for (int u = 0; u < updates; ++u) {
        for (int i = 0; i < prices; ++i) {
            PriceEntry& e = entries[static_cast<std::size_t>(i)];
            e.name = "Item number " + std::to_string(i);
            e.price = "$" + std::to_string(10 + (i + u) % 990) + ".5";
            e.netChange = "$1";
        }
        const auto start = Clock::now();
        history.record(PriceSource::Update, entries);
        std::printf("update %d: %d prices   %8.3f s\n", u + 1, prices, seconds(start));
    }
    auto start = Clock::now();
    history.record(PriceSource::Edit, {{"Item number 7", "$3", "$-4"}});
    std::printf("one edit after them   %8.3f s\n", seconds(start));
    start = Clock::now();
    const std::size_t points = history.points("item number 7").size();
    std::printf("one item's %zu points  %8.3f s\n", points, seconds(start));
    const std::string remove = "rm -rf '" + data + "'";
    return std::system(remove.c_str()) == 0 && points == std::size_t(updates) + 1 ? 0 : 1;
}
