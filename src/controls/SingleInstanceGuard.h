#pragma once
// TJustOne32, the single-instance guard placed on the main window. In a copy started while another one runs,
// it asks that copy to bring its window forward and then ends this copy; in the first copy it names the
// window that stands for it. A running copy that does not answer is reported in a message box, and this
// copy ends with status 1.

#include <QObject>

class QWidget;

class TJustOne32 : public QObject {
    Q_OBJECT
public:
    // Create after the application's title is set; `mainWindow` owns the component.
    explicit TJustOne32(QWidget* mainWindow);

    // True when this copy found a running one and asked the application to end.
    bool terminating() const { return terminating_; }
    // True when the running copy answered that it brought a window forward (and took our file).
    bool shownPrevious() const { return shownPrevious_; }
    // True when the running copy did not answer in time: this copy said so and ends with status 1.
    bool unanswered() const { return unanswered_; }

private:
    bool terminating_ = false;
    bool shownPrevious_ = false;
    bool unanswered_ = false;
};
