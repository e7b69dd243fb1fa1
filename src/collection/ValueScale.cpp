#include "collection/ValueScale.h"

#include <QDateTime>
#include <QString>

#include <algorithm>
#include <cmath>

namespace vitrinex {

std::vector<ChartPoint> valueChartPoints(const std::vector<ValuePoint>& history, double currentValue,
                                         std::int64_t nowMsecs) {
    std::vector<ChartPoint> points;
    points.reserve(history.size() + 1);
    for (const ValuePoint& p : history) {
        const QDateTime time = QDateTime::fromString(QString::fromStdString(p.time), Qt::ISODate);
        if (time.isValid()) points.push_back({time.toMSecsSinceEpoch(), valueAmount(p)});
    }
    const std::int64_t newest = points.empty() ? nowMsecs : points.back().msecs;
    points.push_back({std::max(nowMsecs, newest), currentValue});
    return points;
}

namespace {

// The smallest round step (1, 2, 2.5 or 5 times a power of ten) of at least `rough`.
double roundStep(double rough) {
    const double power = std::pow(10.0, std::floor(std::log10(rough)));
    for (double m : {1.0, 2.0, 2.5, 5.0})
        if (m * power >= rough * (1 - 1e-9)) return m * power;
    return 10 * power;
}

} // namespace

ValueAxis valueAxis(double lowest, double highest, int mostSteps) {
    mostSteps = std::max(1, mostSteps);
    const double low = std::min(lowest, 0.0);
    double high = std::max(highest, lowest);
    if (!(high > low)) high = low + 1; // one value, or only zeros
    ValueAxis axis;
    axis.step = roundStep((high - low) / mostSteps);
    axis.base = std::floor(low / axis.step) * axis.step;
    axis.top = std::ceil(high / axis.step - 1e-9) * axis.step;
    // A base rounded down can take one more step than asked for.
    if (std::lround((axis.top - axis.base) / axis.step) > mostSteps) {
        axis.step = roundStep(axis.step * 1.01);
        axis.base = std::floor(low / axis.step) * axis.step;
        axis.top = std::ceil(high / axis.step - 1e-9) * axis.step;
    }
    return axis;
}

std::vector<double> ValueAxis::ticks() const {
    std::vector<double> out;
    const long count = std::lround((top - base) / step);
    for (long i = 0; i <= count; ++i)
        out.push_back(base + static_cast<double>(i) * step);
    return out;
}

TimeLabel timeLabelFor(std::int64_t spanMsecs) {
    constexpr std::int64_t kMinute = 60'000, kDay = 24 * 60 * kMinute;
    if (spanMsecs >= 3 * kDay) return TimeLabel::Date;
    if (spanMsecs >= 5 * kMinute) return TimeLabel::DateMinutes;
    return TimeLabel::Seconds;
}

} // namespace vitrinex
