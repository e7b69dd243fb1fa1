#pragma once
// TProgressForm, the window shown while long work runs (the pages of a print job, an import, a
// restore, an export, a large open or save): how far the work has come, and a Cancel button that
// stops it at its next step. It keeps the whole program waiting meanwhile and shows itself only for
// work that takes a while; until then the windows under it are still repainted.

#include "collection/Progress.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class QProgressDialog;
class QWidget;
namespace vitrinex {
class CollectionSession;
}

class TProgressForm {
public:
    TProgressForm(QWidget* parent, const QString& title, const QString& text, const QString& objectName);
    ~TProgressForm();
    // The work's progress callback: moves the bar, repaints the windows, lets the user press
    // Cancel, and answers false once Cancel was pressed or stop() was called.
    vitrinex::Progress callback();
    // Makes the next call of the callback answer false.
    void stop() { stopped_ = true; }
    // Shows the window at the work's first step, for work known to be long.
    void showAtOnce();
    // Stops the work when `collection` changes meanwhile (a catalog update finishing); changed()
    // then tells so.
    void stopOnChangeOf(vitrinex::CollectionSession& collection);
    bool changed() const { return changed_; }

private:
    bool advance(std::int64_t done, std::int64_t total);
    std::unique_ptr<QProgressDialog> dialog_;
    QObject guard_;
    QElapsedTimer sinceEvents_;
    bool stopped_ = false, changed_ = false, inEvents_ = false;
};

namespace vitrinex {

// Collections above this many items take long enough to open or write that their progress window
// shows at once.
inline constexpr std::int64_t kLargeCollectionItems = 50000;

// Runs `work` under a progress window over `parent` that says `text`, titled `command`. An error
// is reported once the window has gone, as runGuarded does; a Cancel is not. When `watched` changed
// meanwhile the work was stopped, and the message dialog says so. Answers whether the work ran to
// its end.
bool runWithProgress(QWidget* parent, const QString& command, const QString& text, bool large,
                     CollectionSession* watched, const std::function<void(const Progress&)>& work);

} // namespace vitrinex
