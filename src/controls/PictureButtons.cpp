#include "controls/PictureButtons.h"

#include "controls/PictureControl.h"

#include <QAbstractScrollArea>
#include <QEvent>
#include <QKeyEvent>
#include <QWidget>

#include <algorithm>
#include <utility>

namespace vitrinex {

PictureButtons::PictureButtons(QWidget* window, const SkinImageLists& lists, QObject* parent)
    : QObject(parent ? parent : window), window_(window), lists_(lists) {
    if (window) window->installEventFilter(this);
}

PictureButtons::~PictureButtons() = default;

bool PictureButtons::addButton(TJPEGImage* button, SkinList list, int normalIndex, int group) {
    if (!button || contains(button)) return false;
    if (normalIndex % 2 != 0 || !SkinImageLists::isValidIndex(list, normalIndex) ||
        !SkinImageLists::isValidIndex(list, normalIndex + 1))
        return false;

    Button b;
    b.control = button;
    b.id = button;
    b.list = list;
    b.normalIndex = normalIndex;
    b.group = group;
    buttons_.push_back(std::move(b));

    button->setActsAsButton(true);
    button->setAccessibleName(SkinImageLists::caption(list, normalIndex));
    button->installEventFilter(this);
    // Later, not inside the assistive tool's call: the action may open a modal dialog.
    connect(
        button, &TJPEGImage::pressRequested, this, [this, button] { pressFromAssistiveTool(button); },
        Qt::QueuedConnection);
    connect(button, &TJPEGImage::MouseMove, this,
            [this, button](Qt::MouseButtons, QPoint) { pointerOver(button); });
    connect(button, &TJPEGImage::MouseDown, this,
            [this, button](Qt::MouseButton which, QPoint) { pressed(button, which); });
    connect(button, &TJPEGImage::MouseUp, this,
            [this, button](Qt::MouseButton which, QPoint) { released(button, which); });
    connect(button, &QObject::destroyed, this, &PictureButtons::forget);
    return true;
}

void PictureButtons::setAction(TJPEGImage* button, std::function<void()> action) {
    if (Button* b = find(button)) b->action = std::move(action);
}

void PictureButtons::setReactCondition(TJPEGImage* button, std::function<bool()> reacts) {
    if (Button* b = find(button)) b->reacts = std::move(reacts);
}

void PictureButtons::setActsOnAnyRelease(TJPEGImage* button, bool on) {
    if (Button* b = find(button)) b->actsOnAnyRelease = on;
}

void PictureButtons::attachBackground(QWidget* widget) {
    if (!widget) return;
    if (auto* picture = qobject_cast<TJPEGImage*>(widget)) {
        connect(picture, &TJPEGImage::MouseMove, this,
                [this](Qt::MouseButtons, QPoint) { restoreHighlighted(); });
        return;
    }
    // Lists take their mouse events on their viewport.
    QWidget* target = widget;
    if (auto* area = qobject_cast<QAbstractScrollArea*>(widget)) target = area->viewport();
    target->setMouseTracking(true);
    target->installEventFilter(this);
    backgrounds_.emplace_back(target);
}

void PictureButtons::setHint(QWidget* control, const QString& hint) {
    if (!control) return;
    control->setToolTip(hint);
    control->setAccessibleDescription(hint);
    if (control->accessibleName().isEmpty()) control->setAccessibleName(hint);
}

void PictureButtons::orderTabsByPlace(QWidget* window) {
    if (!window) return;
    std::vector<std::pair<QRect, QWidget*>> controls;
    for (QWidget* w : window->findChildren<QWidget*>())
        if ((w->focusPolicy() & Qt::TabFocus) && w->window() == window && !w->focusProxy())
            controls.emplace_back(QRect(w->mapTo(window, QPoint(0, 0)), w->size()), w);
    std::stable_sort(controls.begin(), controls.end(), [](const auto& a, const auto& b) {
        return a.first.center().y() < b.first.center().y();
    });
    // A line holds the controls whose middles are level with its first control's band.
    for (std::size_t lineStart = 0; lineStart < controls.size();) {
        const QRect& first = controls[lineStart].first;
        std::size_t lineEnd = lineStart + 1;
        while (lineEnd < controls.size() && controls[lineEnd].first.center().y() <= first.bottom())
            ++lineEnd;
        std::stable_sort(controls.begin() + static_cast<std::ptrdiff_t>(lineStart),
                         controls.begin() + static_cast<std::ptrdiff_t>(lineEnd),
                         [](const auto& a, const auto& b) { return a.first.x() < b.first.x(); });
        lineStart = lineEnd;
    }
    for (std::size_t i = 1; i < controls.size(); ++i)
        QWidget::setTabOrder(controls[i - 1].second, controls[i].second);
    // The focus starts in the first field or list; with none, on the window, whose keys (Enter for
    // OK) then work as before: a button has the focus only when Tab brought it there.
    if (window->focusWidget()) return;
    const auto field = std::find_if(controls.begin(), controls.end(), [](const auto& c) {
        auto* picture = qobject_cast<TJPEGImage*>(c.second);
        return !picture || !picture->actsAsButton();
    });
    if (field != controls.end())
        field->second->setFocus();
    else
        window->setFocus();
}

PictureButtons::Button* PictureButtons::find(const TJPEGImage* control) {
    auto it = std::find_if(buttons_.begin(), buttons_.end(),
                           [control](const Button& b) { return b.control == control; });
    return it == buttons_.end() || !control ? nullptr : &*it;
}

const PictureButtons::Button* PictureButtons::find(const TJPEGImage* control) const {
    return const_cast<PictureButtons*>(this)->find(control);
}

void PictureButtons::forget(QObject* control) {
    // A widget announces its end before its guarded pointers are cleared, so compare the identity.
    buttons_.erase(std::remove_if(buttons_.begin(), buttons_.end(),
                                  [control](const Button& b) { return b.id == control || !b.control; }),
                   buttons_.end());
}

bool PictureButtons::reacts(const Button& b) const {
    return !b.reacts || b.reacts();
}

bool PictureButtons::reacts(const TJPEGImage* button) const {
    const Button* b = find(button);
    return b && reacts(*b);
}

bool PictureButtons::isHighlighted(const TJPEGImage* button) const {
    const Button* b = find(button);
    return b && b->highlighted;
}

void PictureButtons::drawNormal(Button& b) {
    if (b.control) b.control->clearLook();
}

void PictureButtons::drawHighlighted(Button& b) {
    if (b.control) b.control->setLook(lists_.picture(b.list, b.normalIndex + 1));
}

void PictureButtons::drawPressed(Button& b) {
    if (b.control) b.control->setLook(lists_.picture(b.list, b.normalIndex + 1), QPoint(1, 1));
}

void PictureButtons::pointerOver(TJPEGImage* control) {
    Button* over = find(control);
    if (!over) return;
    if (reacts(*over)) {
        if (!over->highlighted) {
            drawHighlighted(*over);
            over->highlighted = true;
        }
    } else if (over->highlighted) {
        drawNormal(*over);
        over->highlighted = false;
    }
    for (Button& b : buttons_) {
        if (&b != over && b.group == over->group && b.highlighted) {
            drawNormal(b);
            b.highlighted = false;
        }
    }
}

void PictureButtons::restoreHighlighted() {
    // Buttons of a hidden group keep their marks until the group is shown again.
    for (Button& b : buttons_) {
        if (!b.highlighted || !b.control) continue;
        const bool visible = window_ ? b.control->isVisibleTo(window_) : !b.control->isHidden();
        if (!visible) continue;
        drawNormal(b);
        b.highlighted = false;
    }
}

void PictureButtons::repaintButtons() {
    for (Button& b : buttons_)
        drawNormal(b);
}

void PictureButtons::pressed(TJPEGImage* control, Qt::MouseButton which) {
    Button* b = find(control);
    if (!b) return;
    b->pressedButtons |= which;
    if (which != Qt::LeftButton) return;
    b->leftPressed = reacts(*b);
    if (b->leftPressed) drawPressed(*b);
}

void PictureButtons::released(TJPEGImage* control, Qt::MouseButton which) {
    Button* b = find(control);
    if (!b || !(b->pressedButtons & which)) return;
    b->pressedButtons &= ~Qt::MouseButtons(which);

    if (which == Qt::LeftButton) {
        const bool wasPressed = b->leftPressed;
        b->leftPressed = false;
        if (!wasPressed) return;
        // The pressed look goes in any case; the command needs the button to react still.
        drawNormal(*b);
        if (reacts(*b)) run(b->action);
        return;
    }
    if (b->actsOnAnyRelease && reacts(*b)) {
        drawNormal(*b);
        run(b->action);
    }
}

bool PictureButtons::enterPressed(TJPEGImage* button) {
    Button* b = find(button);
    if (!b || !reacts(*b)) return false;
    b->keyPressed = true;
    drawPressed(*b);
    return true;
}

bool PictureButtons::enterReleased(TJPEGImage* button, const std::function<void()>& command) {
    Button* b = find(button);
    if (!b || !b->keyPressed) return false;
    b->keyPressed = false;
    drawNormal(*b);
    if (!reacts(*b)) return false;
    run(command ? command : b->action);
    return true;
}

bool PictureButtons::buttonKey(TJPEGImage* control, const QKeyEvent& key) {
    const bool pressKey =
        key.key() == Qt::Key_Space || key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter;
    if (!pressKey || !find(control)) return false;
    if (key.isAutoRepeat()) return true;
    if (key.type() == QEvent::KeyPress)
        enterPressed(control);
    else
        enterReleased(control);
    return true;
}

void PictureButtons::pressFromAssistiveTool(TJPEGImage* control) {
    Button* b = find(control);
    if (b && b->control && b->control->isVisible() && reacts(*b)) run(b->action);
}

// A copy of the action runs: an action may give its button another action, or add buttons, while it
// runs.
void PictureButtons::run(std::function<void()> action) { // NOLINT(performance-unnecessary-value-param)
    if (action) action();
}

bool PictureButtons::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::Show:
        if (watched == window_ && !std::exchange(tabsOrdered_, true)) orderTabsByPlace(window_);
        break;
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
        if (buttonKey(qobject_cast<TJPEGImage*>(watched), static_cast<const QKeyEvent&>(*event))) return true;
        break;
    case QEvent::WindowActivate:
        if (watched == window_) repaintButtons();
        break;
    case QEvent::Hide:
        // A hidden button shows its own picture when it comes back, as a repainted window would.
        if (Button* b = find(qobject_cast<TJPEGImage*>(watched))) {
            drawNormal(*b);
            b->leftPressed = false;
            b->pressedButtons = {};
            b->keyPressed = false;
        }
        break;
    case QEvent::MouseMove:
        if (std::any_of(backgrounds_.begin(), backgrounds_.end(),
                        [watched](const QPointer<QWidget>& w) { return w == watched; }))
            restoreHighlighted();
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace vitrinex
