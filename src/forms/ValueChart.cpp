#include "forms/ValueChart.h"

#include "forms/SkinnedWindow.h"
#include "model/CollectionSession.h"

#include <QDateTime>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

using namespace vitrinex;

namespace {

const QColor kGrid{0x1d, 0x3a, 0x22};
constexpr int kPointPickRange = 24; // pixels either side of a point that name it

QString amountText(double value, int decimals) {
    return QStringLiteral("$%L1").arg(value, 0, 'f', decimals);
}

QString timeText(qint64 msecs, TimeLabel label) {
    const QDateTime t = QDateTime::fromMSecsSinceEpoch(msecs).toLocalTime();
    switch (label) {
    case TimeLabel::Date:
        return t.toString(QStringLiteral("yyyy-MM-dd"));
    case TimeLabel::DateMinutes:
        return t.toString(QStringLiteral("MM-dd hh:mm"));
    case TimeLabel::Seconds:
        return t.toString(QStringLiteral("hh:mm:ss"));
    }
    return {};
}

ValueAxis axisFor(const std::vector<ChartPoint>& points, int mostSteps) {
    const auto [low, high] = std::minmax_element(
        points.begin(), points.end(), [](const auto& a, const auto& b) { return a.value < b.value; });
    return valueAxis(low->value, high->value, mostSteps);
}

} // namespace

TValueChart::TValueChart(QWidget* parent, Look look) : QWidget(parent), look_(look) {
    setObjectName(look == Look::Strip ? QStringLiteral("ValueChart") : QStringLiteral("ValueGraph"));
    if (look == Look::Strip) {
        setToolTip(QStringLiteral("the collection's value over time: click to enlarge"));
        setCursor(Qt::PointingHandCursor);
    } else {
        setMouseTracking(true);
        setMinimumSize(240, 160);
    }
}

void TValueChart::follow(const CollectionSession* collection) {
    collection_ = collection;
    for (auto signal : {&CollectionSession::opened, &CollectionSession::closed, &CollectionSession::updated,
                        &CollectionSession::reloaded, &CollectionSession::itemsChanged})
        connect(collection, signal, this, &TValueChart::readPoints);
}

void TValueChart::readPoints() {
    std::vector<ValuePoint> history;
    const bool open = collection_ && collection_->collection().isOpen();
    if (open) {
        // A history that cannot be read is shown as none; the chart is no place for an error.
        try {
            history = readValueHistory(collection_->collection().fileName());
        } catch (const std::exception&) {
        }
    }
    setPoints(open ? valueChartPoints(history,
                                      static_cast<double>(collection_->collection().totals().TotalValue),
                                      QDateTime::currentMSecsSinceEpoch())
                   : std::vector<ChartPoint>());
}

void TValueChart::setPoints(std::vector<ChartPoint> points) {
    points_ = std::move(points);
    hovered_ = -1;
    update();
}

void TValueChart::showEvent(QShowEvent* event) {
    if (collection_) readPoints(); // a backup or a change since the last showing; else points are set
    QWidget::showEvent(event);
}

void TValueChart::mouseReleaseEvent(QMouseEvent* event) {
    if (look_ == Look::Strip && event->button() == Qt::LeftButton &&
        rect().contains(event->position().toPoint()))
        emit clicked();
    QWidget::mouseReleaseEvent(event);
}

void TValueChart::mouseMoveEvent(QMouseEvent* event) {
    QWidget::mouseMoveEvent(event);
    if (look_ != Look::Axes || points_.empty()) return;
    const QRect area = plotArea();
    const ValueAxis axis = axisFor(points_, std::max(2, area.height() / 40));
    int nearest = -1;
    double best = kPointPickRange;
    for (std::size_t i = 0; i < points_.size(); ++i) {
        const double d = std::abs(place(points_[i], area, axis).x() - event->position().x());
        if (d <= best) { // the later of two points in one place: today's value over an older one
            best = d;
            nearest = static_cast<int>(i);
        }
    }
    if (nearest != hovered_) {
        hovered_ = nearest;
        update();
    }
}

void TValueChart::leaveEvent(QEvent* event) {
    hovered_ = -1;
    update();
    QWidget::leaveEvent(event);
}

QRect TValueChart::plotArea() const {
    if (look_ == Look::Strip) return rect().adjusted(4, 14, -4, -4);
    const QFontMetrics metrics(skinFont(9));
    const ValueAxis axis = points_.empty() ? ValueAxis{} : axisFor(points_, 5);
    const int labelWidth = metrics.horizontalAdvance(amountText(axis.top, axis.step < 1 ? 2 : 0));
    return rect().adjusted(labelWidth + 12, metrics.height() + 14,
                           -(metrics.horizontalAdvance("0000-00-00") / 2 + 6), -(metrics.height() + 10));
}

QPointF TValueChart::place(const ChartPoint& point, const QRect& area, const ValueAxis& axis) const {
    const qint64 first = points_.front().msecs, last = points_.back().msecs;
    const double x = last > first ? double(point.msecs - first) / double(last - first) : 1.0;
    const double y = (point.value - axis.base) / (axis.top - axis.base);
    return {area.left() + x * area.width(), area.bottom() - y * area.height()};
}

void TValueChart::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), Qt::black);
    if (look_ == Look::Strip)
        paintStrip(p);
    else
        paintAxes(p);
}

void TValueChart::paintStrip(QPainter& p) {
    p.setPen(kGrid);
    p.drawRect(rect().adjusted(0, 0, -1, -1));
    p.setFont(skinFont(8));
    p.setPen(kSkinGreen);
    const QRect area = plotArea();
    p.drawText(rect().adjusted(4, 1, -4, 0), Qt::AlignLeft | Qt::AlignTop, QStringLiteral("value over time"));
    if (points_.empty()) return;
    p.setPen(kSkinWhite);
    p.drawText(rect().adjusted(4, 1, -4, 0), Qt::AlignRight | Qt::AlignTop,
               amountText(points_.back().value, 2));
    const ValueAxis axis = axisFor(points_, 2);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath line(place(points_.front(), area, axis));
    for (const ChartPoint& point : points_)
        line.lineTo(place(point, area, axis));
    p.setPen(QPen(kSkinGreen, 1.5));
    p.drawPath(line);
    p.setBrush(kSkinAqua);
    p.setPen(Qt::NoPen);
    p.drawEllipse(place(points_.back(), area, axis), 2.5, 2.5);
}

void TValueChart::paintAxes(QPainter& p) {
    const QFont font = skinFont(9);
    const QFontMetrics metrics(font);
    p.setFont(font);
    if (points_.empty()) {
        p.setPen(kSkinWhite);
        p.drawText(rect(), Qt::AlignCenter, QStringLiteral("no collection is open"));
        return;
    }
    const QRect area = plotArea();
    const ValueAxis axis = axisFor(points_, std::max(2, area.height() / 40));
    const int decimals = axis.step < 1 ? 2 : 0;
    // The amounts along the left, each on its grid line.
    for (double tick : axis.ticks()) {
        const int y = qRound(place({points_.front().msecs, tick}, area, axis).y());
        p.setPen(tick == axis.base ? kSkinGreen : kGrid);
        p.drawLine(area.left(), y, area.right(), y);
        p.setPen(kSkinGreen);
        p.drawText(QRect(0, y - metrics.height() / 2, area.left() - 6, metrics.height()),
                   Qt::AlignRight | Qt::AlignVCenter, amountText(tick, decimals));
    }
    // The dates along the bottom, evenly spread over the time the points span.
    const qint64 first = points_.front().msecs, last = points_.back().msecs;
    const TimeLabel label = timeLabelFor(last - first);
    const int labels =
        last > first ? std::max(2, area.width() / (metrics.horizontalAdvance("0000-00-00") + 30)) : 1;
    p.setPen(kSkinGreen);
    p.drawLine(area.left(), area.top(), area.left(), area.bottom());
    for (int i = 0; i < labels; ++i) {
        const qint64 t = labels == 1 ? last : first + (last - first) * i / (labels - 1);
        const int x = qRound(place({t, axis.base}, area, axis).x());
        p.setPen(kGrid);
        p.drawLine(x, area.top(), x, area.bottom());
        p.setPen(kSkinGreen);
        p.drawLine(x, area.bottom(), x, area.bottom() + 3);
        const QString text = timeText(t, label);
        const int w = metrics.horizontalAdvance(text);
        p.drawText(QRect(std::clamp(x - w / 2, 0, width() - w), area.bottom() + 5, w, metrics.height()),
                   Qt::AlignCenter, text);
    }
    // The line, every point, and today's value marked.
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath line(place(points_.front(), area, axis));
    for (const ChartPoint& point : points_)
        line.lineTo(place(point, area, axis));
    p.setPen(QPen(kSkinGreen, 2));
    p.setBrush(Qt::NoBrush);
    p.drawPath(line);
    p.setPen(Qt::NoPen);
    p.setBrush(kSkinAqua);
    for (const ChartPoint& point : points_)
        p.drawEllipse(place(point, area, axis), 2.5, 2.5);
    p.drawEllipse(place(points_.back(), area, axis), 4, 4);
    // The point under the pointer, else today's value, named above the plot.
    const int shown = hovered_ >= 0 ? hovered_ : static_cast<int>(points_.size()) - 1;
    const ChartPoint& point = points_[static_cast<std::size_t>(shown)];
    if (hovered_ >= 0) {
        p.setPen(QPen(kSkinWhite, 1.5));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(place(point, area, axis), 6, 6);
    }
    QString when = QDateTime::fromMSecsSinceEpoch(point.msecs)
                       .toLocalTime()
                       .toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
    if (shown == static_cast<int>(points_.size()) - 1) when += QStringLiteral(" (now)");
    p.setPen(kSkinWhite);
    p.drawText(QRect(area.left(), 4, area.width(), metrics.height()), Qt::AlignRight | Qt::AlignVCenter,
               when + QStringLiteral(":  ") + amountText(point.value, 2));
}
