#pragma once
// What a chart of the collection's value over time is drawn from, without any window: the points (the
// history and, last, the value the open collection has now) and the value axis, which starts at zero
// so that a rise of 2 % looks like 2 % and not like the whole height.

#include "collection/ValueHistory.h"

#include <cstdint>
#include <vector>

namespace vitrinex {

struct ChartPoint {
    std::int64_t msecs = 0; // since the epoch, UTC
    double value = 0;
};

// The history's points oldest first, then the open collection's value at `nowMsecs` as the last point
// (never earlier than the newest history point). A point whose time cannot be read is passed over.
std::vector<ChartPoint> valueChartPoints(const std::vector<ValuePoint>& history, double currentValue,
                                         std::int64_t nowMsecs);

// The value axis: from `base` to `top` in equal steps of a round size (1, 2, 2.5 or 5 times a power
// of ten). The base is zero for values that are not negative, else a round step below the lowest;
// the top is the first step at or above the highest.
struct ValueAxis {
    double base = 0, top = 1, step = 1;
    std::vector<double> ticks() const; // base, base + step, ..., top
};
ValueAxis valueAxis(double lowest, double highest, int mostSteps = 5);

// The time axis's labels: dates for a span of days, dates and times for a shorter one.
enum class TimeLabel { Date, DateMinutes, Seconds };
TimeLabel timeLabelFor(std::int64_t spanMsecs);

} // namespace vitrinex
