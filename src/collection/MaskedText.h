#pragma once
// The text of a masked edit field (quantity, year, price, net change, collection year): every position
// is either a literal ("$", "-") or takes a class of characters, an empty position reads as a blank,
// and the text always has the full length. No widgets: the dialogs' rules and the command line share it.

#include <QString>
#include <QVector>

namespace vitrinex {

enum class MaskKind {
    Quantity,       // "999"
    Year,           // "9999"
    Price,          // "$" and seven positions taking any character
    NetChange,      // "$" and four positions taking a sign or a digit
    CollectionYear, // "9999-9999"
};

class MaskedText {
public:
    enum class Slot { Literal, DigitOrBlank, AnyChar, SignOrDigit };
    // How a text put by the program is placed: from the first input position on, or ending at the last.
    enum class Align { Left, Right };

    // Pattern letters: '9' a digit or blank, 'c' any character, '#' a sign ("+", "-"), digit or blank;
    // every other character is a literal.
    MaskedText(const QString& pattern, Align align);
    static MaskedText forKind(MaskKind kind);

    int length() const { return int(slots_.size()); }
    Align align() const { return align_; }
    // The full-length text, blanks included.
    QString text() const { return text_; }
    // Every input position is blank.
    bool isEmpty() const;

    bool isLiteral(int pos) const;
    bool accepts(int pos, QChar ch) const;
    // First input position at or after pos, or -1.
    int nextInput(int pos) const;
    // Last input position before pos, or -1.
    int previousInput(int pos) const;

    // The program puts a text: leading literals present in it are skipped, the rest is aligned, cut to
    // the input positions (keeping its start) and characters a position refuses become blanks.
    void put(const QString& text);

    // Typing: the character overwrites the next input position at or after cursor, which then moves past
    // it and past any literals. A refused character, or one with no position left, changes nothing.
    bool type(int& cursor, QChar ch);
    // A user types `text` into the field from its first position, the field blank before; a literal
    // typed where it stands is stepped over. False when a character is refused or finds no position.
    bool typeFromStart(const QString& text);
    // Blanks the input positions in [from, to).
    void erase(int from, int to);
    // Blanks the input position before cursor and returns the new cursor (unchanged when there is none).
    int backspace(int cursor);

private:
    struct Position {
        Slot slot;
        QChar literal;
    };
    QVector<Position> slots_;
    Align align_;
    QString text_;
};

} // namespace vitrinex
