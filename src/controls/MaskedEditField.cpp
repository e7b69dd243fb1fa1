#include "controls/MaskedEditField.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>

#include <algorithm>

namespace vitrinex {

MaskedText::MaskedText(const QString& pattern, Align align) : m_align(align) {
    for (QChar c : pattern) {
        if (c == u'9')
            m_slots.push_back({Slot::DigitOrBlank, QChar()});
        else if (c == u'c')
            m_slots.push_back({Slot::AnyChar, QChar()});
        else if (c == u'#')
            m_slots.push_back({Slot::SignOrDigit, QChar()});
        else
            m_slots.push_back({Slot::Literal, c});
    }
    put(QString());
}

MaskedText MaskedText::forKind(MaskKind kind) {
    switch (kind) {
    case MaskKind::Quantity:
        return MaskedText(QStringLiteral("999"), Align::Left);
    case MaskKind::Year:
        return MaskedText(QStringLiteral("9999"), Align::Left);
    case MaskKind::Price:
        return MaskedText(QStringLiteral("$ccccccc"), Align::Right);
    case MaskKind::NetChange:
        return MaskedText(QStringLiteral("$####"), Align::Right);
    case MaskKind::CollectionYear:
        return MaskedText(QStringLiteral("9999-9999"), Align::Left);
    }
    return MaskedText(QString(), Align::Left);
}

bool MaskedText::isLiteral(int pos) const {
    return pos >= 0 && pos < length() && m_slots[pos].slot == Slot::Literal;
}

bool MaskedText::accepts(int pos, QChar ch) const {
    if (pos < 0 || pos >= length()) return false;
    const bool digitOrBlank = ch == u' ' || (ch >= u'0' && ch <= u'9');
    switch (m_slots[pos].slot) {
    case Slot::Literal:
        return false;
    case Slot::DigitOrBlank:
        return digitOrBlank;
    case Slot::SignOrDigit:
        return digitOrBlank || ch == u'+' || ch == u'-';
    case Slot::AnyChar:
        // Control characters (line breaks, tabs) and lone surrogate halves have no place in one position.
        return ch.isPrint();
    }
    return false;
}

bool MaskedText::isEmpty() const {
    for (int i = 0; i < length(); ++i)
        if (!isLiteral(i) && m_text[i] != u' ') return false;
    return true;
}

int MaskedText::nextInput(int pos) const {
    for (int i = std::max(pos, 0); i < length(); ++i)
        if (!isLiteral(i)) return i;
    return -1;
}

int MaskedText::previousInput(int pos) const {
    for (int i = std::min(pos, length()) - 1; i >= 0; --i)
        if (!isLiteral(i)) return i;
    return -1;
}

void MaskedText::put(const QString& text) {
    const int n = length();
    QString out(n, u' ');
    auto place = [&](int pos, QChar ch) { out[pos] = accepts(pos, ch) ? ch : QChar(u' '); };

    if (m_align == Align::Left) {
        int j = 0;
        for (int i = 0; i < n; ++i) {
            if (isLiteral(i)) {
                // A literal already in the text at its place is taken as that literal.
                if (j < text.size() && text[j] == m_slots[i].literal) ++j;
                out[i] = m_slots[i].literal;
            } else if (j < text.size()) {
                place(i, text[j++]);
            }
        }
    } else {
        int first = 0;
        int j = 0;
        for (; first < n && isLiteral(first); ++first) {
            if (j < text.size() && text[j] == m_slots[first].literal) ++j;
            out[first] = m_slots[first].literal;
        }
        int inputs = 0;
        for (int i = first; i < n; ++i)
            inputs += isLiteral(i) ? 0 : 1;
        // Too long a text keeps its start, as a record field cut to its capacity does.
        const QString content = text.mid(j, inputs);
        int k = int(content.size()) - 1;
        for (int i = n - 1; i >= first; --i) {
            if (isLiteral(i)) {
                if (k >= 0 && content[k] == m_slots[i].literal) --k;
                out[i] = m_slots[i].literal;
            } else if (k >= 0) {
                place(i, content[k--]);
            }
        }
    }
    m_text = out;
}

bool MaskedText::type(int& cursor, QChar ch) {
    const int pos = nextInput(cursor);
    if (pos < 0 || !accepts(pos, ch)) return false;
    m_text[pos] = ch;
    cursor = pos + 1;
    while (cursor < length() && isLiteral(cursor))
        ++cursor;
    return true;
}

void MaskedText::erase(int from, int to) {
    for (int i = std::max(from, 0); i < std::min(to, length()); ++i)
        if (!isLiteral(i)) m_text[i] = u' ';
}

int MaskedText::backspace(int cursor) {
    const int pos = previousInput(cursor);
    if (pos < 0) return std::clamp(cursor, 0, length());
    m_text[pos] = u' ';
    return pos;
}

} // namespace vitrinex

using vitrinex::MaskedText;

TMaskEdit::TMaskEdit(vitrinex::MaskKind kind, QWidget* parent)
    : QLineEdit(parent), m_kind(kind), m_mask(MaskedText::forKind(kind)) {
    QLineEdit::setText(m_mask.text());
    // Dropped text would bypass the positions; typing and pasting go through them.
    setAcceptDrops(false);
    // Anything that reaches QLineEdit's own text by another road (its slots called through a base
    // pointer) is put through the mask, so the text never loses its fixed form.
    connect(this, &QLineEdit::textChanged, this, &TMaskEdit::adoptForeignText);
}

void TMaskEdit::setMaskKind(vitrinex::MaskKind kind) {
    if (kind == m_kind) return;
    const QString old = m_mask.text();
    m_kind = kind;
    m_mask = MaskedText::forKind(kind);
    m_mask.put(old);
    present(int(m_mask.text().size()), false);
}

void TMaskEdit::setText(const QString& text) {
    m_mask.put(text);
    present(int(m_mask.text().size()), false);
}

void TMaskEdit::present(int cursor, bool edited) {
    const QString now = m_mask.text();
    const bool changed = QLineEdit::text() != now;
    if (changed) QLineEdit::setText(now);
    setCursorPosition(cursor);
    if (edited && changed) emit textEdited(now);
}

void TMaskEdit::adoptForeignText(const QString& text) {
    if (text == m_mask.text()) return;
    m_mask.put(text);
    QLineEdit::setText(m_mask.text());
}

void TMaskEdit::typeText(const QString& text) {
    const bool selected = hasSelectedText();
    const int selStart = selected ? selectionStart() : -1;
    const int selEnd = selected ? selectionEnd() : -1;
    int cursor = selected ? selStart : cursorPosition();
    bool changed = false;
    for (QChar ch : text) {
        const int target = m_mask.nextInput(cursor);
        // A refused character does nothing at all: the selection stays as it was.
        if (target < 0 || !m_mask.accepts(target, ch)) continue;
        if (selected && !changed) m_mask.erase(selStart, selEnd);
        m_mask.type(cursor, ch);
        changed = true;
    }
    if (changed) present(cursor, true);
}

void TMaskEdit::eraseSelection() {
    if (!hasSelectedText()) return;
    const int start = selectionStart();
    m_mask.erase(start, selectionEnd());
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
            present(m_mask.backspace(cursorPosition()), true);
        event->accept();
        return;
    }
    if (event->key() == Qt::Key_Delete) {
        if (hasSelectedText()) {
            eraseSelection();
        } else {
            const int pos = cursorPosition();
            m_mask.erase(pos, pos + 1);
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
