#pragma once
// TMaskEdit, fixed-length edit fields: every position is either a literal ("$", "-") or takes a class of
// characters, an empty position reads as a blank, and the text read back always has the full length.
// vitrinex::MaskedText holds the rules; TMaskEdit is the line edit around it.

#include <QLineEdit>
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

    int length() const { return int(m_slots.size()); }
    Align align() const { return m_align; }
    // The full-length text, blanks included.
    QString text() const { return m_text; }
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
    // Blanks the input positions in [from, to).
    void erase(int from, int to);
    // Blanks the input position before cursor and returns the new cursor (unchanged when there is none).
    int backspace(int cursor);

private:
    struct Position {
        Slot slot;
        QChar literal;
    };
    QVector<Position> m_slots;
    Align m_align;
    QString m_text;
};

} // namespace vitrinex

class TMaskEdit : public QLineEdit {
    Q_OBJECT

public:
    explicit TMaskEdit(vitrinex::MaskKind kind, QWidget* parent = nullptr);

    vitrinex::MaskKind maskKind() const { return m_kind; }
    // Changes the mask; the current text is put again under the new one.
    void setMaskKind(vitrinex::MaskKind kind);
    const vitrinex::MaskedText& mask() const { return m_mask; }

    // The full-length text; the same as text().
    QString Text() const { return text(); }
    // The program puts a text: it is aligned by the mask (see MaskedText::put).
    void setText(const QString& text);
    // Every input position is blank.
    bool isMaskEmpty() const { return m_mask.isEmpty(); }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void typeText(const QString& text);
    void eraseSelection();
    void pasteText();
    void cutText();
    // Shows the mask's text with the cursor at cursor; edited tells a user's change from the program's.
    void present(int cursor, bool edited);
    void adoptForeignText(const QString& text);

    vitrinex::MaskKind m_kind;
    vitrinex::MaskedText m_mask;
};
