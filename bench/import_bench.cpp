// The CSV import at scale: `vitrinex-cli import-csv` of ROWS rows in random order into an empty
// collection, beside `vitrinex-cli stats` on the collection it wrote, for two shapes of collection:
//   never updated: every net change $0, about 100 items to a price (from $1.00 on), no catalog number;
//   mixed: prices from $1.00 to $1000.98, net changes from $-3 to $+3, catalog numbers of 5 digits.
// Each measure is a whole process, in wall-clock seconds (the import's includes its save and flush);
// the medians of RUNS runs and every run are printed.
//
//   import_bench ROWS DIR [--runs N]

#include "ProcessTimes.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <random>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

struct Shape {
    const char* name;
    bool mixed;
};

// One CSV row per item, names unique and in random order.
std::string csvText(std::size_t rows, bool mixed, std::mt19937& random) {
    std::vector<std::uint32_t> numbers(rows);
    for (std::size_t i = 0; i < rows; ++i)
        numbers[i] = static_cast<std::uint32_t>(i);
    std::shuffle(numbers.begin(), numbers.end(), random);
    const std::size_t prices = std::max<std::size_t>(1, rows / 100);
    std::string out = "name,year,series,price,net_change,quantity,condition,catalog_number,comments\r\n";
    char row[256];
    for (const std::uint32_t n : numbers) {
        const unsigned series = random() % 40;
        if (mixed) {
            std::snprintf(row, sizeof row, "Figure %u,%u,Series %u,$%.2f,$%+d,%u,C-%u,%05u,\r\n", n,
                          1978 + static_cast<unsigned>(random() % 40), series,
                          1 + static_cast<double>(random() % 99999) / 100.0,
                          static_cast<int>(random() % 7) - 3, 1 + static_cast<unsigned>(random() % 3),
                          1 + static_cast<unsigned>(random() % 10), static_cast<unsigned>(random() % 100000));
        } else {
            const std::size_t cents = 100 + random() % prices;
            std::snprintf(row, sizeof row, "Figure %u,1985,Series %u,$%zu.%02zu,$0,1,C-10,,\r\n", n, series,
                          cents / 100, cents % 100);
        }
        out += row;
    }
    return out;
}

void writeFile(const std::string& path, const std::string& text) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f || std::fwrite(text.data(), 1, text.size(), f) != text.size() || std::fclose(f) != 0) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        std::exit(1);
    }
}

// Wall-clock seconds of a whole process running `argv`, its output thrown away; its processor
// seconds (user and system) in `cpu`.
double processSeconds(const std::vector<std::string>& argv, double& cpu) {
    const bench::ProcessTimes times = bench::runProcess(argv);
    cpu = times.processor;
    return times.wall;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s ROWS DIR [--runs N]\n", argv[0]);
        return 2;
    }
    const std::size_t rows = std::strtoul(argv[1], nullptr, 10);
    const std::string dir = argv[2];
    int runs = 3;
    if (argc >= 5 && std::string(argv[3]) == "--runs") runs = std::max(1, std::atoi(argv[4]));
    std::mt19937 random(20261210);
    std::printf("%zu rows in random order, %d runs; medians in wall-clock (processor) seconds\n", rows, runs);
    std::printf("%-14s %16s %16s %14s   every run: import/stats wall\n", "shape", "import", "stats",
                "import/stats");
    for (const Shape shape : {Shape{"never updated", false}, Shape{"mixed", true}}) {
        const std::string csv = dir + "/import_bench.csv";
        const std::string collection = dir + "/import_bench.fcd";
        writeFile(csv, csvText(rows, shape.mixed, random));
        std::vector<double> imports, stats, importCpu, statsCpu;
        std::string every;
        double cpu = 0;
        for (int r = 0; r < runs; ++r) {
            std::remove(collection.c_str());
            processSeconds(
                {VITRINEX_CLI, "new", collection, "--name", "Bench", "--brand", "Quillory", "--year", "2026"},
                cpu);
            imports.push_back(processSeconds({VITRINEX_CLI, "import-csv", collection, csv}, cpu));
            importCpu.push_back(cpu);
            stats.push_back(processSeconds({VITRINEX_CLI, "stats", collection}, cpu));
            statsCpu.push_back(cpu);
            char run[64];
            std::snprintf(run, sizeof run, " %.3f/%.3f", imports.back(), stats.back());
            every += run;
        }
        std::printf("%-14s %7.3f (%6.3f) %7.3f (%6.3f) %6.2f (%5.2f)  %s\n", shape.name, median(imports),
                    median(importCpu), median(stats), median(statsCpu), median(imports) / median(stats),
                    median(importCpu) / median(statsCpu), every.c_str());
        std::remove(collection.c_str());
        std::remove(csv.c_str());
    }
    return 0;
}
