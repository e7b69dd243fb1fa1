#pragma once
// The one rule by which every window's picture buttons change their look and decide they were clicked.
//
// Each window owns one PictureButtons. A button is a TJPEGImage placed over the window's background; its
// normal look is its own picture, its highlighted and pressed looks come from a skin image list and are
// painted over it. Every button has a highlight mark, false at first, that lives as long as the window.
// Looks are painted only when a mark changes (or on press and release), never on a plain move.

#include "controls/SkinImageLists.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <vector>

class QKeyEvent;
class QWidget;
class TJPEGImage;

namespace vitrinex {

class PictureButtons : public QObject {
    Q_OBJECT
public:
    // Watches `window` for activation; looks come from `lists`, which must outlive this object.
    explicit PictureButtons(QWidget* window, const SkinImageLists& lists = SkinImageLists::shared(),
                            QObject* parent = nullptr);
    ~PictureButtons() override;

    // Registers a button drawn from picture `normalIndex` (even) of `list`, highlighted from the next one.
    // Highlights exclude one another only within a group; dialogs keep every button in group 0.
    // Returns false (and registers nothing) for a null control, a control already registered or a
    // picture pair the list does not have.
    bool addButton(TJPEGImage* button, SkinList list, int normalIndex, int group = 0);
    // Run after the left button, pressed on the reacting button, is released.
    void setAction(TJPEGImage* button, std::function<void()> action);
    // The button highlights, presses and acts only while this holds; no condition means always.
    void setReactCondition(TJPEGImage* button, std::function<bool()> reacts);
    // The button acts on the release of any mouse button, not only the left one.
    void setActsOnAnyRelease(TJPEGImage* button, bool on);

    // Makes `widget` part of the window's background: the pointer moving over it restores every visible
    // highlighted button. TJPEGImage backgrounds are followed through their MouseMove signal, labels,
    // lists and other widgets through an event filter (mouse tracking is switched on for them).
    void attachBackground(QWidget* widget);

    // The pointer moved over the background: every visible highlighted button back to normal.
    void restoreHighlighted();
    // Every button repaints from its own picture; the marks stay. Runs by itself on window activation.
    void repaintButtons();

    // Enter as a click, for the windows' key handlers. enterPressed shows the pressed look of a reacting
    // button; enterReleased, after an enterPressed on the same button, shows its normal look and runs
    // `command` (the button's own action when empty) if the button still reacts. A release without a
    // matching press (the key went down in another window) does nothing. Both return whether they acted.
    bool enterPressed(TJPEGImage* button);
    bool enterReleased(TJPEGImage* button, const std::function<void()>& command = {});

    bool isHighlighted(const TJPEGImage* button) const;
    bool reacts(const TJPEGImage* button) const;
    bool contains(const TJPEGImage* button) const { return find(button) != nullptr; }
    int buttonCount() const { return static_cast<int>(buttons_.size()); }

    // A control's hint, shown as its tool tip and given to assistive tools as its description (and as
    // its name too when it has none, as a list or a background has no caption).
    static void setHint(QWidget* control, const QString& hint);

    // The order Tab follows through `window`'s controls that take the focus: as they are read, line by
    // line from the top, left to right within a line; the focus, when none is set, starts in the first
    // control that is no button, or on the window. Runs by itself when the window is first shown.
    static void orderTabsByPlace(QWidget* window);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Button {
        QPointer<TJPEGImage> control;
        const QObject* id = nullptr; // still comparable while the control is being destroyed
        SkinList list;
        int normalIndex;
        int group;
        std::function<bool()> reacts;
        std::function<void()> action;
        bool actsOnAnyRelease = false;
        bool highlighted = false;
        bool leftPressed = false;        // a left press landed while it reacted
        Qt::MouseButtons pressedButtons; // presses that landed on it and are not yet released
        bool keyPressed = false;         // an enterPressed waits for its enterReleased
    };

    // Space, Enter or Return on a button that has the focus presses it as the left button does.
    bool buttonKey(TJPEGImage* control, const QKeyEvent& key);
    void pressFromAssistiveTool(TJPEGImage* control);

    Button* find(const TJPEGImage* control);
    const Button* find(const TJPEGImage* control) const;
    bool reacts(const Button& b) const;
    void drawNormal(Button& b);
    void drawHighlighted(Button& b);
    void drawPressed(Button& b);
    void forget(QObject* control);

    void pointerOver(TJPEGImage* control);
    void pressed(TJPEGImage* control, Qt::MouseButton button);
    void released(TJPEGImage* control, Qt::MouseButton button);
    // Runs an action as the last thing a handler does: it may hide, close or even delete the window.
    static void run(std::function<void()> action);

    QPointer<QWidget> window_;
    const SkinImageLists& lists_;
    std::vector<Button> buttons_;
    std::vector<QPointer<QWidget>> backgrounds_;
    bool tabsOrdered_ = false;
};

} // namespace vitrinex
