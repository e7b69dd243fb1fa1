#include "forms/ValueChart.h"

#include "forms/SkinnedWindow.h"
#include "model/CollectionNotifier.h"

#include <QDateTime>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>

using namespace vitrinex;

TValueChart::TValueChart(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("ValueChart"));
    setToolTip(QStringLiteral("the collection's value at each backup and update"));
}

void TValueChart::follow(const CollectionNotifier* collection) {
    collection_ = collection;
    for (auto signal : {&CollectionNotifier::opened, &CollectionNotifier::closed,
                        &CollectionNotifier::updated, &CollectionNotifier::reloaded})
        connect(collection, signal, this, &TValueChart::readHistory);
}

void TValueChart::readHistory() {
    std::vector<ValuePoint> points;
    if (collection_ && collection_->collection().isOpen()) {
        // A history that cannot be read is shown as none; the chart is no place for an error.
        try {
            points = readValueHistory(collection_->collection().fileName());
        } catch (const std::exception&) {
        }
    }
    setPoints(std::move(points));
}

void TValueChart::setPoints(std::vector<ValuePoint> points) {
    points_ = std::move(points);
    update();
}

void TValueChart::showEvent(QShowEvent* event) {
    readHistory(); // a backup since the last showing added a point
    QWidget::showEvent(event);
}

void TValueChart::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), Qt::black);
    p.setPen(QColor(0x1d, 0x3a, 0x22));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
    p.setFont(skinFont(8));
    p.setPen(kSkinGreen);
    const QRect area = rect().adjusted(4, 14, -4, -4);
    p.drawText(rect().adjusted(4, 1, -4, 0), Qt::AlignLeft | Qt::AlignTop, QStringLiteral("value over time"));
    if (points_.empty()) {
        p.setPen(kSkinWhite);
        p.drawText(area, Qt::AlignCenter, QStringLiteral("no backups or updates yet"));
        return;
    }
    std::vector<double> values;
    std::vector<qint64> times;
    for (const ValuePoint& point : points_) {
        values.push_back(valueAmount(point));
        times.push_back(
            QDateTime::fromString(QString::fromStdString(point.time), Qt::ISODate).toMSecsSinceEpoch());
    }
    const auto range = std::minmax_element(values.begin(), values.end());
    const double low = *range.first, span = *range.second - low;
    const qint64 first = times.front(), last = times.back();
    const auto at = [&](std::size_t i) {
        const double x = last > first ? double(times[i] - first) / double(last - first) : 1.0;
        const double y = span > 0 ? (values[i] - low) / span : 0.5;
        return QPointF(area.left() + x * area.width(), area.bottom() - y * area.height());
    };
    p.setPen(kSkinWhite);
    p.drawText(rect().adjusted(4, 1, -4, 0), Qt::AlignRight | Qt::AlignTop,
               QStringLiteral("$%L1").arg(values.back(), 0, 'f', 2));
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath line(at(0));
    for (std::size_t i = 1; i < values.size(); ++i)
        line.lineTo(at(i));
    p.setPen(QPen(kSkinGreen, 1.5));
    p.drawPath(line);
    p.setBrush(kSkinAqua);
    p.setPen(Qt::NoPen);
    p.drawEllipse(at(values.size() - 1), 2.5, 2.5);
}
