#pragma once
// TJustOne32, the single-instance guard placed on the main window. In a copy started while another one runs,
// it asks that copy to bring its window forward and then ends this copy; in the first copy it names the
// window that stands for it.

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

private:
    bool terminating_ = false;
    bool shownPrevious_ = false;
};
