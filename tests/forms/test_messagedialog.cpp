// Route simulated mouse events through the window, as real ones are: the pressed widget keeps the mouse.
#define QTEST_QPA_MOUSE_HANDLING

#include "collection/OpenCollection.h"
#include "forms/ErrorReport.h"
#include "forms/MessageDialog.h"

#include "controls/PictureControl.h"
#include "sound/Sound.h"

#include "RecordingSoundService.h"
#include "WindowTestSupport.h"
#include <QApplication>
#include <QLabel>
#include <QTimer>
#include <QtTest>

#include <functional>

using namespace windowtest;

namespace {

// What the box showed while it was open.
struct Seen {
    bool open = false;
    QString title, text;
};

Seen look(TError1Form* form) {
    return {form && form->isVisible(), form ? form->windowTitle() : QString(),
            form ? control<QLabel>(form, "Label1")->text() : QString()};
}

// Runs `show` (which blocks in the box's modal loop); `whileOpen` runs inside that loop. A box that is
// still open after five seconds is closed so that a broken test fails instead of hanging.
bool runModal(const std::function<void()>& show, const std::function<void()>& whileOpen) {
    bool rescued = false;
    QObject guard; // no rescue after this call has returned
    QTimer::singleShot(0, &guard, whileOpen);
    QTimer::singleShot(5000, &guard, [&rescued] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* box = qobject_cast<TError1Form*>(w); box && box->isVisible()) {
                rescued = true;
                box->reject();
            }
    });
    show();
    return !rescued;
}

void clickOk(TError1Form* form) {
    click(control<TJPEGImage>(form, "OKJPG"));
}

// ShowMessageDialog(title, text) as a caller makes it: what the box showed, closed by `closeIt`.
Seen showMessage(const QString& title, const QString& text,
                 const std::function<void(TError1Form*)>& closeIt = clickOk) {
    Seen seen;
    const bool closed = runModal([&] { ShowMessageDialog(title, text); },
                                 [&] {
                                     seen = look(MessageDialogWindow());
                                     closeIt(MessageDialogWindow());
                                 });
    if (!closed) seen.open = false;
    return seen;
}

#define CHECK_SEEN(seen, expectedTitle, expectedText)                                                        \
    do {                                                                                                     \
        const Seen s_ = (seen);                                                                              \
        QVERIFY2(s_.open, "the box was not open or did not close");                                          \
        QCOMPARE(s_.title, QStringLiteral(expectedTitle));                                                   \
        QCOMPARE(s_.text, QStringLiteral(expectedText));                                                     \
    } while (false)

} // namespace

class TestError1 : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void createdOnFirstUse();
    void defaultsAfterOkEnterCloseBoxAndEscape();
    void missingTitleOrText();
    void longTextWrapsInsideLabel();
    void onlyLeftButtonOnOkCloses();
    void messageWhileOpenGetsItsOwnBox();
    void testSeamReplacesTheWindow();

private:
    vitrinex::RecordingSoundService sounds_;
};

void TestError1::initTestCase() {
    vitrinex::Sounds::setServiceForTesting(&sounds_);
    vitrinex::Sounds::bindSwitch([] { return true; });
}

void TestError1::cleanup() {
    vitrinex::setShownMessagesForTesting({});
    // The box is silent, however it is used.
    QVERIFY2(sounds_.names().isEmpty(), qPrintable(sounds_.names().join(',')));
}

void TestError1::createdOnFirstUse() {
    QVERIFY(MessageDialogWindow() == nullptr);
    CHECK_SEEN(showMessage({}, {}), "error", "missing information!");
    TError1Form* form = MessageDialogWindow();
    QVERIFY(form != nullptr);
    QCOMPARE(control<TJPEGImage>(form, "OKJPG")->toolTip(), QStringLiteral("click to close window"));
    // Names and file names reach the text: markup in them must show as typed.
    QCOMPARE(control<QLabel>(form, "Label1")->textFormat(), Qt::PlainText);
    // A second box made later does not take over the program's one.
    { TError1Form other; }
    QCOMPARE(MessageDialogWindow(), form);
}

void TestError1::defaultsAfterOkEnterCloseBoxAndEscape() {
    const std::function<void(TError1Form*)> closers[] = {
        clickOk,
        [](TError1Form* f) { QTest::keyClick(f, Qt::Key_Return); },
        [](TError1Form* f) { QTest::keyClick(f, Qt::Key_Enter, Qt::KeypadModifier); },
        [](TError1Form* f) { f->close(); },
        [](TError1Form* f) { QTest::keyClick(f, Qt::Key_Escape); },
    };
    for (const auto& closeIt : closers) {
        CHECK_SEEN(showMessage("item exists", "Robin already exists!", closeIt), "item exists",
                   "Robin already exists!");
        QVERIFY(!MessageDialogWindow()->isVisible());
        // Between two uses the box itself holds the defaults again.
        QCOMPARE(MessageDialogWindow()->title(), QStringLiteral("error"));
        QCOMPARE(MessageDialogWindow()->text(), QStringLiteral("missing information!"));
        CHECK_SEEN(showMessage({}, {}), "error", "missing information!");
    }
}

void TestError1::missingTitleOrText() {
    CHECK_SEEN(showMessage({}, "Error opening default web browser."), "error",
               "Error opening default web browser.");
    CHECK_SEEN(showMessage("", "update file not found!"), "error", "update file not found!");
    CHECK_SEEN(showMessage("file not found", ""), "file not found", "missing information!");
}

void TestError1::longTextWrapsInsideLabel() {
    const QString helpText = QStringLiteral("the help file was not found. please reinstall Vitrinex 1.4.");
    QRect geometry;
    int wrappedHeight = 0, lineHeight = 0;
    CHECK_SEEN(showMessage("help not found", helpText,
                           [&](TError1Form* f) {
                               geometry = control<QLabel>(f, "Label1")->geometry();
                               wrappedHeight = control<QLabel>(f, "Label1")
                                                   ->heightForWidth(control<QLabel>(f, "Label1")->width());
                               lineHeight = control<QLabel>(f, "Label1")->fontMetrics().lineSpacing();
                               clickOk(f);
                           }),
               "help not found", "the help file was not found. please reinstall Vitrinex 1.4.");
    // The label keeps its place and size; the text takes several of its lines and fits in it.
    QCOMPARE(geometry, QRect(30, 20, 189, 69));
    QVERIFY2(wrappedHeight >= 2 * lineHeight && wrappedHeight <= geometry.height(),
             qPrintable(QString("height %1, line %2").arg(wrappedHeight).arg(lineHeight)));

    // A text too long for the usual label makes the box taller, so that it is read whole.
    const QString changed =
        QString::fromStdString(vitrinex::changedElsewhereMessage(std::string(60, 'f')).text);
    bool whole = false;
    const Seen seen = showMessage("file changed", changed, [&](TError1Form* f) {
        auto* label = control<QLabel>(f, "Label1");
        whole = label->heightForWidth(label->width()) <= label->height() &&
                label->geometry().bottom() < control<QWidget>(f, "OKJPG")->y();
        clickOk(f);
    });
    QVERIFY(seen.open && seen.text == changed && whole);
}

void TestError1::onlyLeftButtonOnOkCloses() {
    Seen afterOthers;
    CHECK_SEEN(showMessage("invalid price", "12,99 is an invalid price!",
                           [&](TError1Form* f) {
                               click(control<TJPEGImage>(f, "OKJPG"), Qt::RightButton);
                               click(control<TJPEGImage>(f, "OKJPG"), Qt::MiddleButton);
                               QTest::keyClick(f, Qt::Key_Space);
                               afterOthers = look(f);
                               clickOk(f);
                           }),
               "invalid price", "12,99 is an invalid price!");
    CHECK_SEEN(afterOthers, "invalid price", "12,99 is an invalid price!");
    QVERIFY(!MessageDialogWindow()->isVisible());
}

void TestError1::messageWhileOpenGetsItsOwnBox() {
    Seen second, firstMeanwhile;
    const auto answerSecond = [&] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* box = qobject_cast<TError1Form*>(w);
                box && box != MessageDialogWindow() && box->isVisible()) {
                second = look(box);
                firstMeanwhile = look(MessageDialogWindow());
                clickOk(box);
            }
    };
    CHECK_SEEN(showMessage("backup complete", "a backup file of Heroes has been created.",
                           [&](TError1Form* f) {
                               QTimer::singleShot(0, answerSecond);
                               ShowMessageDialog("update file not found", "update file not found!");
                               clickOk(f);
                           }),
               "backup complete", "a backup file of Heroes has been created.");
    CHECK_SEEN(second, "update file not found", "update file not found!");
    CHECK_SEEN(firstMeanwhile, "backup complete", "a backup file of Heroes has been created.");
    for (QWidget* w : QApplication::topLevelWidgets())
        QVERIFY(!(qobject_cast<TError1Form*>(w) && w->isVisible()));
}

void TestError1::testSeamReplacesTheWindow() {
    QStringList shown;
    vitrinex::setShownMessagesForTesting(
        {[&shown](const QString& title, const QString& text) { shown << title + "|" + text; }, {}});
    ShowMessageDialog("item exists", "Joker already exists!");
    ShowMessageDialog({}, "Error opening default web browser.");
    ShowMessageDialog();
    QCOMPARE(shown, QStringList({"item exists|Joker already exists!",
                                 "error|Error opening default web browser.", "error|missing information!"}));
    QVERIFY(!MessageDialogWindow()->isVisible());

    // An empty function brings the window back.
    vitrinex::setShownMessagesForTesting({});
    CHECK_SEEN(showMessage("item exists", "Joker already exists!"), "item exists", "Joker already exists!");
    QCOMPARE(shown.size(), 3);
}

QTEST_MAIN(TestError1)
#include "test_messagedialog.moc"
