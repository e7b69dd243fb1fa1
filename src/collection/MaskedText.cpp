#include "collection/MaskedText.h"

#include <algorithm>

namespace vitrinex {

MaskedText::MaskedText(const QString& pattern, Align align) : align_(align) {
    for (QChar c : pattern) {
        if (c == u'9')
            slots_.push_back({Slot::DigitOrBlank, QChar()});
        else if (c == u'c')
            slots_.push_back({Slot::AnyChar, QChar()});
        else if (c == u'#')
            slots_.push_back({Slot::SignOrDigit, QChar()});
        else
            slots_.push_back({Slot::Literal, c});
    }
    put(QString());
}

MaskedText MaskedText::forKind(MaskKind kind) {
    // Made once each: a copy shares the slots and the blank text until it is typed into.
    static const MaskedText quantity(QStringLiteral("999"), Align::Left);
    static const MaskedText year(QStringLiteral("9999"), Align::Left);
    static const MaskedText price(QStringLiteral("$ccccccc"), Align::Right);
    static const MaskedText netChange(QStringLiteral("$####"), Align::Right);
    static const MaskedText collectionYear(QStringLiteral("9999-9999"), Align::Left);
    switch (kind) {
    case MaskKind::Quantity:
        return quantity;
    case MaskKind::Year:
        return year;
    case MaskKind::Price:
        return price;
    case MaskKind::NetChange:
        return netChange;
    case MaskKind::CollectionYear:
        return collectionYear;
    }
    return MaskedText(QString(), Align::Left);
}

bool MaskedText::isLiteral(int pos) const {
    return pos >= 0 && pos < length() && slots_[pos].slot == Slot::Literal;
}

bool MaskedText::accepts(int pos, QChar ch) const {
    if (pos < 0 || pos >= length()) return false;
    const bool digitOrBlank = ch == u' ' || (ch >= u'0' && ch <= u'9');
    switch (slots_[pos].slot) {
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
        if (!isLiteral(i) && text_[i] != u' ') return false;
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

    if (align_ == Align::Left) {
        int j = 0;
        for (int i = 0; i < n; ++i) {
            if (isLiteral(i)) {
                // A literal already in the text at its place is taken as that literal.
                if (j < text.size() && text[j] == slots_[i].literal) ++j;
                out[i] = slots_[i].literal;
            } else if (j < text.size()) {
                place(i, text[j++]);
            }
        }
    } else {
        int first = 0;
        int j = 0;
        for (; first < n && isLiteral(first); ++first) {
            if (j < text.size() && text[j] == slots_[first].literal) ++j;
            out[first] = slots_[first].literal;
        }
        int inputs = 0;
        for (int i = first; i < n; ++i)
            inputs += isLiteral(i) ? 0 : 1;
        // Too long a text keeps its start, as a record field cut to its capacity does.
        const QString content = text.mid(j, inputs);
        int k = int(content.size()) - 1;
        for (int i = n - 1; i >= first; --i) {
            if (isLiteral(i)) {
                if (k >= 0 && content[k] == slots_[i].literal) --k;
                out[i] = slots_[i].literal;
            } else if (k >= 0) {
                place(i, content[k--]);
            }
        }
    }
    text_ = out;
}

bool MaskedText::type(int& cursor, QChar ch) {
    const int pos = nextInput(cursor);
    if (pos < 0 || !accepts(pos, ch)) return false;
    text_[pos] = ch;
    cursor = pos + 1;
    while (cursor < length() && isLiteral(cursor))
        ++cursor;
    return true;
}

bool MaskedText::typeFromStart(const QString& text) {
    erase(0, length());
    int cursor = 0;
    for (QChar ch : text) {
        if (isLiteral(cursor) && slots_[cursor].literal == ch) {
            ++cursor;
            continue;
        }
        if (!type(cursor, ch)) return false;
    }
    return true;
}

void MaskedText::erase(int from, int to) {
    for (int i = std::max(from, 0); i < std::min(to, length()); ++i)
        if (!isLiteral(i)) text_[i] = u' ';
}

int MaskedText::backspace(int cursor) {
    const int pos = previousInput(cursor);
    if (pos < 0) return std::clamp(cursor, 0, length());
    text_[pos] = u' ';
    return pos;
}

} // namespace vitrinex
