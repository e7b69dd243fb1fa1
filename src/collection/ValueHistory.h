#pragma once
// The value of a collection over time: a point (time, the value as the statistics show it, items,
// updated count) for every price application and every backup, kept in the collection's folder of
// the user's data folder (CollectionData.h), oldest first.

#include "collection/OpenCollection.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vitrinex {

struct ValuePoint {
    std::string time;  // ISO 8601, UTC ("2026-12-10T15:30:12Z")
    std::string value; // the statistics' text, "$" and the amount ("$12.9900000000052")
    std::int32_t items = 0;
    std::int32_t updated = 0;
};

// The history keeps this many points, dropping the oldest.
inline constexpr std::size_t kValuePointsKept = 10000;

// The collection's points, oldest first; none when it has no history. A damaged line is passed over.
std::vector<ValuePoint> readValueHistory(const std::string& collectionPath);

// Adds the open collection's point now. Throws EInOutError; the history is then as it was.
void addValuePoint(const OpenCollection& collection);

// The amount of a point's value text as a number (0 when it holds none).
double valueAmount(const ValuePoint& point);

} // namespace vitrinex
