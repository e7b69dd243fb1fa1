#include "controls/MaskedEditField.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>

#include <algorithm>

using vitrinex::MaskedText;

TMaskEdit::TMaskEdit(vitrinex::MaskKind kind, QWidget* parent)
    : QLineEdit(parent), kind_(kind), mask_(MaskedText::forKind(kind)) {
    QLineEdit::setText(mask_.text());
    // Dropped text would bypass the positions; typing and pasting go through them.
    setAcceptDrops(false);
    // Anything that reaches QLineEdit's own text by another road (its slots called through a base
    // pointer) is put through the mask, so the text never loses its fixed form.
    connect(this, &QLineEdit::textChanged, this, &TMaskEdit::adoptForeignText);
}

void TMaskEdit::setMaskKind(vitrinex::MaskKind kind) {
    if (kind == kind_) return;
    const QString old = mask_.text();
    kind_ = kind;
    mask_ = MaskedText::forKind(kind);
    mask_.put(old);
    present(int(mask_.text().size()), false);
}

void TMaskEdit::setText(const QString& text) {
    mask_.put(text);
    present(int(mask_.text().size()), false);
}

void TMaskEdit::present(int cursor, bool edited) {
    const QString now = mask_.text();
    const bool changed = QLineEdit::text() != now;
    if (changed) QLineEdit::setText(now);
    setCursorPosition(cursor);
    if (edited && changed) emit textEdited(now);
}

void TMaskEdit::adoptForeignText(const QString& text) {
    if (text == mask_.text()) return;
    mask_.put(text);
    QLineEdit::setText(mask_.text());
}

void TMaskEdit::typeText(const QString& text) {
    const bool selected = hasSelectedText();
    const int selStart = selected ? selectionStart() : -1;
    const int selEnd = selected ? selectionEnd() : -1;
    int cursor = selected ? selStart : cursorPosition();
    bool changed = false;
    for (QChar ch : text) {
        const int target = mask_.nextInput(cursor);
        // A refused character does nothing at all: the selection stays as it was.
        if (target < 0 || !mask_.accepts(target, ch)) continue;
        if (selected && !changed) mask_.erase(selStart, selEnd);
        mask_.type(cursor, ch);
        changed = true;
    }
    if (changed) present(cursor, true);
}

void TMaskEdit::eraseSelection() {
    if (!hasSelectedText()) return;
    const int start = selectionStart();
    mask_.erase(start, selectionEnd());
    present(start, true);
}

void TMaskEdit::pasteText() {
    if (const QClipboard* clipboard = QGuiApplication::clipboard()) typeText(clipboard->text());
}

void TMaskEdit::cutText() {
    if (!hasSelectedText()) return;
    copy();
    eraseSelection();
}

void TMaskEdit::keyPressEvent(QKeyEvent* event) {
    if (isReadOnly()) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    // Undo and the word and line deletions would shift characters out of their positions.
    if (event->matches(QKeySequence::Undo) || event->matches(QKeySequence::Redo) ||
        event->matches(QKeySequence::DeleteStartOfWord) || event->matches(QKeySequence::DeleteEndOfWord) ||
        event->matches(QKeySequence::DeleteEndOfLine) || event->matches(QKeySequence::DeleteCompleteLine)) {
        event->accept();
        return;
    }
    if (event->matches(QKeySequence::Paste)) {
        pasteText();
        event->accept();
        return;
    }
    if (event->matches(QKeySequence::Cut)) {
        cutText();
        event->accept();
        return;
    }
    if (event->key() == Qt::Key_Backspace) {
        if (hasSelectedText())
            eraseSelection();
        else
            present(mask_.backspace(cursorPosition()), true);
        event->accept();
        return;
    }
    if (event->key() == Qt::Key_Delete) {
        if (hasSelectedText()) {
            eraseSelection();
        } else {
            const int pos = cursorPosition();
            mask_.erase(pos, pos + 1);
            present(pos, true);
        }
        event->accept();
        return;
    }
    const QString text = event->text();
    const Qt::KeyboardModifiers mods = event->modifiers();
    const bool shortcut = mods.testFlag(Qt::ControlModifier) && !mods.testFlag(Qt::AltModifier);
    if (!text.isEmpty() && !shortcut &&
        std::all_of(text.begin(), text.end(), [](QChar c) { return c.isPrint(); })) {
        typeText(text);
        event->accept();
        return;
    }
    // Cursor movement, selection, copy, Enter and the rest.
    QLineEdit::keyPressEvent(event);
}

void TMaskEdit::inputMethodEvent(QInputMethodEvent* event) {
    if (!isReadOnly() && !event->commitString().isEmpty()) typeText(event->commitString());
    event->accept();
}

void TMaskEdit::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    const bool editable = !isReadOnly();
    menu.addAction(tr("Cu&t"), this, &TMaskEdit::cutText)->setEnabled(editable && hasSelectedText());
    menu.addAction(tr("&Copy"), this, &QLineEdit::copy)->setEnabled(hasSelectedText());
    menu.addAction(tr("&Paste"), this, &TMaskEdit::pasteText)->setEnabled(editable);
    menu.addAction(tr("Delete"), this, &TMaskEdit::eraseSelection)->setEnabled(editable && hasSelectedText());
    menu.addSeparator();
    menu.addAction(tr("Select All"), this, &QLineEdit::selectAll);
    menu.exec(event->globalPos());
}
