#pragma once
// TPriceForm, an item's price over time: every price its history keeps and, last, the price it has
// now, in the value window's chart and colours, in a resizable dark window of its own, not modal.
// Opened from the detail panel's price and from the table; Escape closes it.

#include <QWidget>

#include <string>

class QLabel;
class TValueChart;

namespace vitrinex {
class CollectionSession;
}

class TPriceForm : public QWidget {
    Q_OBJECT
public:
    explicit TPriceForm(QWidget* parent = nullptr);

    // Shows the price over time of the item of that name (a held item becomes the current one), then
    // the window, raised. A history that cannot be read is told in the title, the chart showing the
    // price now.
    void showFor(vitrinex::CollectionSession& collection, const std::string& itemName);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QLabel* TitleLBL = nullptr;
    TValueChart* PriceGraph = nullptr;
    bool placed_ = false;
};
