#pragma once
// What the window tests share: a click as a user makes it, a file's bytes, and a modal window run
// with a time limit so that a broken test fails instead of hanging.

#include <QApplication>
#include <QByteArray>
#include <QDialog>
#include <QFile>
#include <QObject>
#include <QTimer>
#include <QWidget>
#include <QtTest>

#include <functional>

namespace vitrinex::windowtest {

// Moves onto `w` (its middle unless a point is given), presses and releases `button` there.
inline void click(QWidget* w, Qt::MouseButton button = Qt::LeftButton, QPoint p = QPoint(-1, -1)) {
    if (p == QPoint(-1, -1)) p = w->rect().center();
    QTest::mouseMove(w, p);
    QTest::mousePress(w, button, {}, p);
    QTest::mouseRelease(w, button, {}, p);
}

// The control named `name` inside `window` (a window's controls carry the system's names); a test
// that asks for a control that is not there stops at once.
template <typename T> T* control(const QObject* window, const char* name) {
    T* found = window->findChild<T*>(QString::fromLatin1(name));
    if (!found) qFatal("no control named %s", name);
    return found;
}

// The top-level window named `name`.
template <typename T> T* topLevelControl(const char* name) {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* found = qobject_cast<T*>(w); found && w->objectName() == QLatin1String(name)) return found;
    qFatal("no window named %s", name);
}

// A file's bytes, or "<missing>" when it cannot be read.
inline QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

// Shows `form` modally; `whileOpen` runs inside its loop. A window still open after five seconds is
// closed, and the call answers false.
inline bool runModal(QDialog& form, const std::function<void()>& whileOpen) {
    bool rescued = false;
    QObject guard; // no rescue after this call has returned
    QTimer::singleShot(0, &guard, whileOpen);
    QTimer::singleShot(5000, &guard, [&] {
        rescued = form.isVisible();
        form.reject();
    });
    form.exec();
    return !rescued;
}

// Runs `trigger`, which ends up in `dialog`'s modal loop; once the dialog is on screen, `whileOpen`
// runs inside that loop. A dialog still open three seconds later is rejected, so a broken test fails
// instead of hanging. Answers whether the dialog was seen open.
inline bool throughModal(QDialog* dialog, const std::function<void()>& trigger,
                         const std::function<void()>& whileOpen) {
    bool seen = false;
    QObject guard; // nothing fires after this call has returned
    std::function<void(int)> poll;
    poll = [&](int triesLeft) {
        if (dialog->isVisible()) {
            seen = true;
            whileOpen();
            QTimer::singleShot(3000, &guard, [dialog] {
                if (dialog->isVisible()) dialog->reject();
            });
        } else if (triesLeft > 0) {
            QTimer::singleShot(10, &guard, [&poll, triesLeft] { poll(triesLeft - 1); });
        }
    };
    QTimer::singleShot(0, &guard, [&poll] { poll(300); });
    trigger();
    return seen;
}

// While it lives, every dialog named in `names` that comes on screen is noted ("name/title") and
// cancelled at once, as a user who closes it would: a test sees which window a command opened, and
// after which sounds, without any hook in the program.
class DialogWatcher : public QObject {
public:
    DialogWatcher(QStringList names, std::function<void(const QString&)> seen)
        : names_(std::move(names)), seen_(std::move(seen)) {
        qApp->installEventFilter(this);
    }
    ~DialogWatcher() override { qApp->removeEventFilter(this); }

protected:
    bool eventFilter(QObject* o, QEvent* e) override {
        auto* dialog = qobject_cast<QDialog*>(o);
        if (e->type() == QEvent::Show && dialog && names_.contains(dialog->objectName())) {
            seen_(dialog->objectName() + QLatin1Char('/') + dialog->windowTitle());
            QTimer::singleShot(0, dialog, [dialog] {
                dialog->reject();
                // The window below takes the focus back, as a window manager gives it.
                if (QWidget* below = dialog->parentWidget()) below->window()->activateWindow();
            });
        }
        return false;
    }

private:
    QStringList names_;
    std::function<void(const QString&)> seen_;
};

} // namespace vitrinex::windowtest

namespace windowtest = vitrinex::windowtest;
