#pragma once
// TValueChart, the statistics window's small chart of the collection's value over time (the points of
// its value history), drawn in the skin's colours on black.

#include "collection/ValueHistory.h"

#include <QWidget>

#include <vector>

namespace vitrinex {
class CollectionNotifier;
}

class TValueChart : public QWidget {
    Q_OBJECT
public:
    explicit TValueChart(QWidget* parent = nullptr);

    // Reads the open collection's history whenever the chart is shown and after each change.
    void follow(const vitrinex::CollectionNotifier* collection);
    void setPoints(std::vector<vitrinex::ValuePoint> points);
    const std::vector<vitrinex::ValuePoint>& points() const { return points_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void readHistory();

    const vitrinex::CollectionNotifier* collection_ = nullptr;
    std::vector<vitrinex::ValuePoint> points_;
};
