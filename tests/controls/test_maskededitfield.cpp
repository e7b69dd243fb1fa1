#include "controls/MaskedEditField.h"

#include <QApplication>
#include <QClipboard>
#include <QSignalSpy>
#include <QtTest>

using vitrinex::MaskedText;
using vitrinex::MaskKind;

namespace {

// A shown, focused field with its cursor at pos and nothing selected.
void placeCursor(TMaskEdit& edit, int pos) {
    edit.show();
    edit.setFocus();
    edit.deselect();
    edit.setCursorPosition(pos);
}

// A key press carrying text that QTest's Latin-1 key helpers cannot express.
void typeRaw(QWidget& w, const QString& text) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, text);
    QApplication::sendEvent(&w, &press);
}

} // namespace

class TestMaskEdit : public QObject {
    Q_OBJECT

private slots:
    void putTextsAreAlignedToFullLength();
    void typingOverwritesInPlaceAndSkipsLiterals();
    void refusedCharactersDoNothing();
    void deletingLeavesBlanksInPlace();
    void pasteCutAndUndo();
    void signalsTellUserFromProgram();
    void textSetThroughTheBaseClassKeepsTheForm();
};

void TestMaskEdit::putTextsAreAlignedToFullLength() {
    const struct {
        MaskKind kind;
        const char* input;
        const char* expected;
    } cases[] = {
        {MaskKind::Price, "$12.50", "$  12.50"},
        {MaskKind::Price, "$     0 ", "$     0 "}, // reset text
        {MaskKind::Price, "$0", "$      0"},
        {MaskKind::Price, "$12.50  ", "$12.50  "},
        {MaskKind::Price, "12.50", "$  12.50"},
        {MaskKind::Price, "$123456789", "$1234567"},
        {MaskKind::Price, "", "$       "},
        {MaskKind::Price, "$1,2a", "$   1,2a"},
        {MaskKind::Price, "$1\n2", "$    1 2"},
        {MaskKind::NetChange, "$0", "$   0"}, // reset text
        {MaskKind::NetChange, "$-5", "$  -5"},
        {MaskKind::NetChange, "$5-", "$  5-"},
        {MaskKind::NetChange, "$x5", "$   5"},
        {MaskKind::NetChange, "", "$    "},
        {MaskKind::Year, "85", "85  "},
        {MaskKind::Year, "19a5", "19 5"},
        {MaskKind::Year, "198577", "1985"},
        {MaskKind::Year, "", "    "},
        {MaskKind::Quantity, "7", "7  "},
        {MaskKind::Quantity, "-7", " 7 "},
        {MaskKind::CollectionYear, "", "    -    "},
        {MaskKind::CollectionYear, "1990-1999", "1990-1999"},
        {MaskKind::CollectionYear, "19901999", "1990-1999"},
        {MaskKind::CollectionYear, "1990", "1990-    "},
    };
    for (const auto& c : cases) {
        const QString input = QString::fromLatin1(c.input);
        MaskedText mask = MaskedText::forKind(c.kind);
        mask.put(input);
        QCOMPARE(mask.text(), QString::fromLatin1(c.expected));
        TMaskEdit edit(c.kind);
        edit.setText(input);
        QCOMPARE(edit.Text(), QString::fromLatin1(c.expected));
        QCOMPARE(edit.text(), edit.Text());
    }
    // Blanks only is empty; the price's reset text is not.
    MaskedText price = MaskedText::forKind(MaskKind::Price);
    QVERIFY(price.isEmpty());
    price.put(QStringLiteral("$     0 "));
    QVERIFY(!price.isEmpty());
    // A changed mask takes the old text as put text.
    TMaskEdit edit(MaskKind::Year);
    edit.setText(QStringLiteral("1985"));
    edit.setMaskKind(MaskKind::Quantity);
    QCOMPARE(edit.text(), QStringLiteral("198"));
    edit.setMaskKind(MaskKind::CollectionYear);
    QCOMPARE(edit.text(), QStringLiteral("198 -    "));
}

void TestMaskEdit::typingOverwritesInPlaceAndSkipsLiterals() {
    TMaskEdit price(MaskKind::Price);
    price.setText(QStringLiteral("$     0 "));
    placeCursor(price, 1);
    QTest::keyClicks(&price, QStringLiteral("12.5"));
    QCOMPARE(price.text(), QStringLiteral("$12.5 0 ")); // overwritten, not inserted: the 0 stays
    QCOMPARE(price.cursorPosition(), 5);
    placeCursor(price, 0); // on the "$": goes to the first position after it
    QTest::keyClicks(&price, QStringLiteral("a$"));
    QCOMPARE(price.text(), QStringLiteral("$a$.5 0 "));

    TMaskEdit year(MaskKind::Year);
    placeCursor(year, 0);
    QTest::keyClicks(&year, QStringLiteral("85"));
    QCOMPARE(year.text(), QStringLiteral("85  "));
    placeCursor(year, 3);
    QTest::keyClicks(&year, QStringLiteral("91")); // the 1 finds no position left
    QCOMPARE(year.text(), QStringLiteral("85 9"));

    TMaskEdit years(MaskKind::CollectionYear);
    placeCursor(years, 0);
    QTest::keyClicks(&years, QStringLiteral("19901999"));
    QCOMPARE(years.text(), QStringLiteral("1990-1999"));

    TMaskEdit net(MaskKind::NetChange);
    net.setText(QStringLiteral("$0"));
    placeCursor(net, 1);
    QTest::keyClicks(&net, QStringLiteral("-5+"));
    QCOMPARE(net.text(), QStringLiteral("$-5+0")); // a sign is taken in any position

    // Typing over a selection blanks it first.
    years.selectAll();
    QTest::keyClick(&years, Qt::Key_2);
    QCOMPARE(years.text(), QStringLiteral("2   -    "));
}

void TestMaskEdit::refusedCharactersDoNothing() {
    TMaskEdit year(MaskKind::Year);
    year.setText(QStringLiteral("19"));
    placeCursor(year, 2);
    QTest::keyClicks(&year, QStringLiteral("x-+."));
    typeRaw(year, QString(QChar(0x00e9))); // accented letter
    typeRaw(year, QString(QChar(0x0663))); // a digit, but not an ASCII one
    QCOMPARE(year.text(), QStringLiteral("19  "));
    QCOMPARE(year.cursorPosition(), 2);
    typeRaw(year, QStringLiteral("7"));
    QCOMPARE(year.text(), QStringLiteral("197 "));

    TMaskEdit net(MaskKind::NetChange);
    placeCursor(net, 1);
    QTest::keyClicks(&net, QStringLiteral("a. "));
    QCOMPARE(net.text(), QStringLiteral("$    "));
    QCOMPARE(net.cursorPosition(), 2); // only the blank was taken

    // The hyphen of the year range is no input position, and the next one takes digits only.
    TMaskEdit years(MaskKind::CollectionYear);
    years.setText(QStringLiteral("1990-1999"));
    placeCursor(years, 4);
    QTest::keyClick(&years, Qt::Key_Minus);
    QCOMPARE(years.text(), QStringLiteral("1990-1999"));

    // A refused character leaves a selection alone.
    years.selectAll();
    QTest::keyClick(&years, Qt::Key_X);
    QCOMPARE(years.text(), QStringLiteral("1990-1999"));
    QVERIFY(years.hasSelectedText());
}

void TestMaskEdit::deletingLeavesBlanksInPlace() {
    TMaskEdit year(MaskKind::Year);
    year.setText(QStringLiteral("1985"));
    placeCursor(year, 4);
    QTest::keyClick(&year, Qt::Key_Backspace);
    QCOMPARE(year.text(), QStringLiteral("198 "));
    QCOMPARE(year.cursorPosition(), 3);
    placeCursor(year, 1);
    QTest::keyClick(&year, Qt::Key_Delete);
    QCOMPARE(year.text(), QStringLiteral("1 8 ")); // no shifting: the 8 keeps its place
    QCOMPARE(year.cursorPosition(), 1);

    TMaskEdit years(MaskKind::CollectionYear);
    years.setText(QStringLiteral("1990-1999"));
    placeCursor(years, 5); // just after the hyphen
    QTest::keyClick(&years, Qt::Key_Backspace);
    QCOMPARE(years.text(), QStringLiteral("199 -1999"));
    QCOMPARE(years.cursorPosition(), 3);
    years.setSelection(2, 5); // "9 -19"
    QTest::keyClick(&years, Qt::Key_Backspace);
    QCOMPARE(years.text(), QStringLiteral("19  -  99"));

    TMaskEdit price(MaskKind::Price);
    price.setText(QStringLiteral("$9"));
    placeCursor(price, 1);
    QTest::keyClick(&price, Qt::Key_Backspace); // the "$" cannot be removed
    placeCursor(price, 0);
    QTest::keyClick(&price, Qt::Key_Delete);
    QCOMPARE(price.text(), QStringLiteral("$      9"));
}

void TestMaskEdit::pasteCutAndUndo() {
    TMaskEdit year(MaskKind::Year);
    placeCursor(year, 0);
    QApplication::clipboard()->setText(QStringLiteral("12a4"));
    QTest::keySequence(&year, QKeySequence::Paste);
    QCOMPARE(year.text(), QStringLiteral("124 ")); // the refused letter is skipped
    QTest::keySequence(&year, QKeySequence::Undo);
    QCOMPARE(year.text(), QStringLiteral("124 "));

    year.setText(QStringLiteral("1234"));
    year.setSelection(1, 2);
    QTest::keySequence(&year, QKeySequence::Cut);
    QCOMPARE(year.text(), QStringLiteral("1  4"));
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("23"));
    placeCursor(year, 0);
    QTest::keySequence(&year, QKeySequence::DeleteEndOfLine); // would shift the 4: refused
    QCOMPARE(year.text(), QStringLiteral("1  4"));
}

void TestMaskEdit::signalsTellUserFromProgram() {
    TMaskEdit quantity(MaskKind::Quantity);
    QSignalSpy changed(&quantity, &QLineEdit::textChanged);
    QSignalSpy edited(&quantity, &QLineEdit::textEdited);

    quantity.setText(QStringLiteral("5"));
    quantity.setText(QStringLiteral("5  ")); // the same text: no second change
    QCOMPARE(changed.count(), 1);
    QCOMPARE(changed.last().at(0).toString(), QStringLiteral("5  "));
    QCOMPARE(edited.count(), 0);

    placeCursor(quantity, 1);
    QTest::keyClick(&quantity, Qt::Key_0);
    QTest::keyClick(&quantity, Qt::Key_Q); // refused: no signal
    QCOMPARE(changed.count(), 2);
    QCOMPARE(edited.count(), 1);
    QCOMPARE(edited.last().at(0).toString(), QStringLiteral("50 "));
}

void TestMaskEdit::textSetThroughTheBaseClassKeepsTheForm() {
    TMaskEdit price(MaskKind::Price);
    QLineEdit* base = &price;
    base->setText(QStringLiteral("$5"));
    QCOMPARE(price.text(), QStringLiteral("$      5"));
    base->clear();
    QCOMPARE(price.text(), QStringLiteral("$       "));
    QVERIFY(price.isMaskEmpty());
}

QTEST_MAIN(TestMaskEdit)
#include "test_maskededitfield.moc"
