#include "forms/ProgressWindow.h"

#include "forms/ErrorReport.h"
#include "forms/MessageDialog.h"
#include "forms/SkinnedWindow.h"
#include "model/CollectionSession.h"

#include <QCoreApplication>
#include <QProgressDialog>

#include <exception>

namespace {
constexpr int kSteps = 1000;
// Events are handled between steps at most this often, so that the work is not slowed down.
constexpr int kEventsEveryMs = 30;
} // namespace

TProgressForm::TProgressForm(QWidget* parent, const QString& title, const QString& text,
                             const QString& objectName)
    : dialog_(std::make_unique<QProgressDialog>(text, QStringLiteral("cancel"), 0, kSteps, parent)) {
    dialog_->setObjectName(objectName);
    dialog_->setWindowTitle(title);
    // Nothing else may change the collection while the work runs.
    dialog_->setWindowModality(Qt::ApplicationModal);
    dialog_->setMinimumDuration(500);
    dialog_->setAutoReset(false);
    dialog_->setAutoClose(false);
    dialog_->setFont(vitrinex::skinFont(10));
    dialog_->setStyleSheet(QStringLiteral(
        "QProgressDialog { background: black; } QLabel { color: white; }"
        " QProgressBar { background: black; color: white; border: 1px solid #2b5c34; text-align: center; }"
        " QProgressBar::chunk { background: #39d353; }"
        " QPushButton { background: black; color: #39d353; border: 1px solid #2b5c34; padding: 2px 14px; }"
        " QPushButton:hover, QPushButton:focus { border-color: #39d353; }"));
    dialog_->setValue(0);
}

TProgressForm::~TProgressForm() = default;

vitrinex::Progress TProgressForm::callback() {
    return [this](std::int64_t done, std::int64_t total) { return advance(done, total); };
}

void TProgressForm::showAtOnce() {
    dialog_->setMinimumDuration(0);
}

void TProgressForm::stopOnChangeOf(vitrinex::CollectionSession& collection) {
    using vitrinex::CollectionSession;
    for (auto signal :
         {&CollectionSession::opened, &CollectionSession::closed, &CollectionSession::itemsChanged,
          &CollectionSession::infoChanged, &CollectionSession::updated, &CollectionSession::reloaded})
        // Only a change that comes in while events are let through is another's: what the work
        // itself announces, such as reading the file back after a cancel, is not.
        QObject::connect(&collection, signal, &guard_, [this] {
            if (inEvents_) stop(), changed_ = true;
        });
}

bool TProgressForm::advance(std::int64_t done, std::int64_t total) {
    if (!sinceEvents_.isValid() || sinceEvents_.elapsed() >= kEventsEveryMs || done >= total) {
        sinceEvents_.start();
        dialog_->setValue(
            total > 0 ? static_cast<int>(std::clamp<std::int64_t>(done, 0, total) * kSteps / total) : 0);
        // The windows under it are repainted (what a file dialog left there goes); once it shows,
        // it keeps the rest of the program waiting and a press of Cancel comes through.
        inEvents_ = true;
        QCoreApplication::processEvents(dialog_->isVisible() ? QEventLoop::AllEvents
                                                             : QEventLoop::ExcludeUserInputEvents);
        inEvents_ = false;
    }
    return !stopped_ && !dialog_->wasCanceled();
}

namespace vitrinex {

bool runWithProgress(QWidget* parent, const QString& command, const QString& text, bool large,
                     CollectionSession* watched, const std::function<void(const Progress&)>& work) {
    std::exception_ptr failure;
    bool cancelled = false, changed = false;
    {
        TProgressForm progress(parent, command, text, QStringLiteral("ProgressForm"));
        if (large) progress.showAtOnce();
        if (watched) progress.stopOnChangeOf(*watched);
        try {
            work(progress.callback());
        } catch (const ECancelled&) {
            cancelled = true;
        } catch (...) {
            failure = std::current_exception();
        }
        changed = cancelled && progress.changed();
    }
    if (changed)
        ShowMessageDialog(command + QStringLiteral(" stopped"),
                          QStringLiteral("the collection changed meanwhile. please try again."));
    return runGuarded(parent,
                      [&] {
                          if (failure) std::rethrow_exception(failure);
                      }) &&
           !cancelled;
}

} // namespace vitrinex
