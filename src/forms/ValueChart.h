#pragma once
// TValueChart, the collection's value over time: the points of its value history and, last, the value
// it has now, on a value axis that starts at zero (collection/ValueScale.h). Drawn in the skin's
// colours on black, either as the statistics window's small strip (a click on it asks for the value
// window) or with dated axes in the value window, where the point under the pointer is named.

#include "collection/ValueScale.h"

#include <QWidget>

#include <vector>

namespace vitrinex {
class CollectionSession;
}

class TValueChart : public QWidget {
    Q_OBJECT
public:
    enum class Look { Strip, Axes };
    explicit TValueChart(QWidget* parent = nullptr, Look look = Look::Strip);

    // Reads the open collection's history and value whenever the chart is shown and after each change.
    void follow(const vitrinex::CollectionSession* collection);
    void setPoints(std::vector<vitrinex::ChartPoint> points);
    const std::vector<vitrinex::ChartPoint>& points() const { return points_; }

signals:
    void clicked(); // the strip was clicked

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void readPoints();
    void paintStrip(class QPainter& p);
    void paintAxes(class QPainter& p);
    QRect plotArea() const;
    QPointF place(const vitrinex::ChartPoint& point, const QRect& area,
                  const vitrinex::ValueAxis& axis) const;

    Look look_;
    const vitrinex::CollectionSession* collection_ = nullptr;
    std::vector<vitrinex::ChartPoint> points_;
    int hovered_ = -1; // the point under the pointer
};
