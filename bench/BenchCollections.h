#pragma once
// The shapes the benchmarks measure, as collectors have them:
//   mixed        prices of their own (the extremes' lists hold a few ties), net changes from -10 to
//                10, catalog numbers of their own, written by the program (in pre-order);
//   zero         never updated: every net change $0, about 100 items at each price, one catalog
//                number for all, written by the program;
//   zero-random  the same, its records in random order as another program might write them.

#include "collection/OpenCollection.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace vitrinex::bench {

inline bool knownShape(const std::string& shape) {
    return shape == "mixed" || shape == "zero" || shape == "zero-random";
}

// The mixed shape, added in random order by one bulk add and saved.
inline void writeMixedCollection(const std::string& path, int items) {
    using namespace vitrinex;
    OpenCollection c;
    c.CreateCollection(path, "Bench", "Kenner", "1985-1990");
    std::mt19937 random(7);
    const char* words[] = {"mint", "loose", "boxed", "card", "wave", "variant", "sealed", "worn"};
    std::vector<NewItemValues> values(static_cast<std::size_t>(items));
    for (int i = 0; i < items; ++i) {
        NewItemValues& v = values[static_cast<std::size_t>(i)];
        v.FigureName = "figure " + std::to_string(random()) + " " + std::to_string(i);
        char price[16];
        std::snprintf(price, sizeof price, "$%.2f", 1 + static_cast<double>(random() % 99999) / 100.0);
        v.Price = price;
        v.NetChange = "$" + std::to_string(static_cast<int>(random() % 21) - 10);
        v.Year = std::to_string(1978 + random() % 40);
        v.Series = std::string("series ") + words[random() % 8];
        v.Condition = "C-" + std::to_string(1 + random() % 10);
        v.CatNum = "K" + std::to_string(random() % 1000000);
        v.Comments = std::string(words[random() % 8]) + " " + words[random() % 8] + "\r\nfrom the " +
                     std::to_string(random() % 30) + " wave";
        v.Quantity = 1 + static_cast<int>(random() % 5);
    }
    std::vector<const NewItemValues*> rows;
    rows.reserve(values.size());
    for (const NewItemValues& v : values)
        rows.push_back(&v);
    if (!c.InsertNewItems(rows).empty()) throw std::runtime_error("bench: a row was refused");
    c.SaveCollection();
}

// The never-updated shape, written straight as records in random order; unless `randomOrder`, opened
// and saved again by the program, which writes it in pre-order.
inline void writeNeverUpdated(const std::string& path, int items, bool randomOrder) {
    using namespace vitrinex;
    std::mt19937 random(7);
    const int prices = std::max(1, items / 100);
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        const TCollectionHeader header = blankCollectionHeader();
        out.write(reinterpret_cast<const char*>(&header), sizeof header);
        for (int i = 0; i < items; ++i) {
            TFigureRecord r = blankFigureRecord();
            const std::string name = "Figure " + std::to_string(random()) + " " + std::to_string(i);
            r.FigureName.assign(name);
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

inline void writeShape(const std::string& path, int items, const std::string& shape) {
    if (shape == "mixed")
        writeMixedCollection(path, items);
    else
        writeNeverUpdated(path, items, shape == "zero-random");
}

// A kept file is used again only when it holds that many items (the header and a record each).
inline bool holdsItems(const std::string& path, int items) {
    std::error_code error;
    return std::filesystem::file_size(path, error) ==
           (static_cast<std::uintmax_t>(items) + 1) * sizeof(vitrinex::TFigureRecord);
}

} // namespace vitrinex::bench

namespace bench = vitrinex::bench;
