#pragma once
// The benchmarks' items: a random name and a price from $1.00 to $1000.98, drawn from `random`.

#include "collection/OpenCollection.h"

#include <cstdio>
#include <random>
#include <string>

inline vitrinex::NewItemValues randomPricedItem(std::mt19937& random) {
    vitrinex::NewItemValues v;
    v.FigureName = "figure " + std::to_string(random());
    char price[16];
    std::snprintf(price, sizeof price, "$%.2f", 1 + (random() % 99999) / 100.0);
    v.Price = price;
    return v;
}
