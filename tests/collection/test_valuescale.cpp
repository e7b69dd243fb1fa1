// The value chart's rules without a window: the value axis starts at zero (a small rise stays small)
// and ends on a round step, and the open collection's value is the last point.

#include "collection/ValueScale.h"

#include <QDateTime>
#include <QTest>

using namespace vitrinex;

class TestValueScale : public QObject {
    Q_OBJECT
private slots:
    void axisFromZeroToARoundStepAboveTheHighest() {
        const struct {
            double lowest, highest;
        } cases[] = {{1000, 1020}, {1308.7, 1308.7}, {0, 0}, {0.5, 7}, {-3, 10}, {12e6, 12.5e6}};
        for (const auto& c : cases) {
            const ValueAxis a = valueAxis(c.lowest, c.highest);
            const QByteArray name = QByteArray::number(c.lowest) + ".." + QByteArray::number(c.highest);
            QVERIFY2(a.base == std::min(0.0, std::floor(c.lowest / a.step) * a.step), name);
            QVERIFY2(a.top >= c.highest && a.top > a.base &&
                         (c.highest <= a.base || a.top - a.step < c.highest),
                     name);
            const double mantissa = a.step / std::pow(10.0, std::floor(std::log10(a.step)));
            QVERIFY2(QList<double>({1, 2, 2.5, 5}).contains(mantissa), name);
            const std::vector<double> ticks = a.ticks();
            QVERIFY2(ticks.size() >= 2 && ticks.size() <= 6 && ticks.front() == a.base &&
                         qFuzzyCompare(ticks.back(), a.top),
                     name);
        }
        // A 2 % rise takes a small part of the height, not all of it.
        const ValueAxis rise = valueAxis(1000, 1020);
        QVERIFY((1020 - 1000) / (rise.top - rise.base) < 0.05);
    }

    void theCollectionsValueNowIsTheLastPoint() {
        const std::vector<ValuePoint> history = {{"2026-12-01T10:00:00Z", "$1000", 3, 0},
                                                 {"damaged", "$5", 1, 0},
                                                 {"2026-12-10T15:30:12Z", "$1020.5", 4, 1}};
        const qint64 first = QDateTime(QDate(2026, 12, 1), QTime(10, 0), Qt::UTC).toMSecsSinceEpoch();
        const qint64 second = QDateTime(QDate(2026, 12, 10), QTime(15, 30, 12), Qt::UTC).toMSecsSinceEpoch();
        const qint64 now = second + 86'400'000;
        std::vector<ChartPoint> points = valueChartPoints(history, 1308.7, now);
        QCOMPARE(points.size(), std::size_t(3));
        QCOMPARE(points[0].msecs, first);
        QCOMPARE(points[0].value, 1000.0);
        QCOMPARE(points[1].msecs, second);
        QCOMPARE(points[1].value, 1020.5);
        QCOMPARE(points[2].msecs, now);
        QCOMPARE(points[2].value, 1308.7);
        // A clock set back never draws today before the newest point; no history gives today alone.
        QCOMPARE(valueChartPoints(history, 7, first).back().msecs, second);
        points = valueChartPoints({}, 7, now);
        QCOMPARE(points.size(), std::size_t(1));
        QCOMPARE(points[0].value, 7.0);
    }
};

QTEST_GUILESS_MAIN(TestValueScale)
#include "test_valuescale.moc"
