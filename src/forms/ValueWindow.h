#pragma once
// TValueForm, the value window: the open collection's value over time in a resizable dark window of its
// own, not modal, with dates along the bottom and amounts on the left; the point under the pointer is
// named with its date and value. Opened from the statistics window; Escape closes it.

#include <QWidget>

class QLabel;
class TValueChart;

namespace vitrinex {
class CollectionSession;
}

class TValueForm : public QWidget {
    Q_OBJECT
public:
    explicit TValueForm(QWidget* parent = nullptr);

    // From now on shows the value of what `collection` holds.
    void follow(const vitrinex::CollectionSession* collection);

    // Shown (or brought back from the task bar) and raised.
    void showWindow();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    QLabel* TitleLBL = nullptr;
    TValueChart* ValueGraph = nullptr;
    bool placed_ = false;
};
