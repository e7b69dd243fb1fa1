// Route simulated mouse events through the window, as real ones are: the pressed widget keeps the mouse.
#define QTEST_QPA_MOUSE_HANDLING

#include "forms/Error1.h"

#include "controls/JpgImg.h"
#include "platform/PlatformSound.h"
#include "sound/Sound.h"

#include <QApplication>
#include <QLabel>
#include <QPointer>
#include <QTimer>
#include <QtTest>

#include <functional>

namespace {

const QString kHelpText = QStringLiteral("the help file was not found. please reinstall Vitrinex 1.4.");

void click(QWidget* w, Qt::MouseButton button = Qt::LeftButton) {
    const QPoint p(w->width() / 2, w->height() / 2);
    QTest::mouseMove(w, p);
    QTest::mousePress(w, button, {}, p);
    QTest::mouseRelease(w, button, {}, p);
}

// What the box looked like while it was open.
struct Seen {
    bool open = false;
    QString title, text;
};

Seen look(TError1Form* form) {
    return {form && form->isVisible(), form ? form->windowTitle() : QString(),
            form ? form->Label1->text() : QString()};
}

// Runs `show` (which blocks in the box's modal loop); `whileOpen` runs inside that loop. A box that is
// still open after five seconds is closed so that a broken test fails instead of hanging.
bool runModal(const std::function<void()>& show, const std::function<void()>& whileOpen) {
    bool rescued = false;
    QTimer::singleShot(0, whileOpen);
    QTimer::singleShot(5000, [&rescued] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* box = qobject_cast<TError1Form*>(w); box && box->isVisible()) {
                rescued = true;
                box->reject();
            }
    });
    show();
    return !rescued;
}

} // namespace

class TestError1 : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void createdOnFirstUseWithItsLayout();
    void okRestoresDefaultsSilently();
    void closeBoxAndEscapeLeaveDefaults();
    void textOnlyGetsDefaultTitle();
    void longTextWrapsInsideLabel();
    void rightButtonDoesNothing();
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
    vitrinex::setMessageDialogForTesting({});
    sounds_.clear();
}

void TestError1::createdOnFirstUseWithItsLayout() {
    QVERIFY(Error1Form == nullptr);
    Seen seen;
    QVERIFY(runModal([] { ShowMessageDialog(); },
                     [&] {
                         seen = look(Error1Form);
                         click(Error1Form->OKJPG);
                     }));
    QVERIFY(Error1Form != nullptr);
    QVERIFY(seen.open);
    QCOMPARE(seen.title, QStringLiteral("error"));
    QCOMPARE(seen.text, QStringLiteral("missing information!"));

    TError1Form* form = Error1Form;
    QCOMPARE(form->size(), QSize(250, 150));
    QCOMPARE(form->findChild<TJPEGImage*>("JPEGImage1")->geometry(), QRect(0, 0, 250, 150));
    QCOMPARE(form->findChild<QLabel*>("Label1")->geometry(), QRect(30, 20, 189, 69));
    QCOMPARE(form->findChild<TJPEGImage*>("OKJPG")->geometry(), QRect(87, 100, 75, 29));
    QCOMPARE(form->OKJPG->toolTip(), QStringLiteral("click to close window"));
    QVERIFY(form->Label1->font().bold());
    // Names and file names reach the text: markup in them must show as typed.
    QCOMPARE(form->Label1->textFormat(), Qt::PlainText);
    QVERIFY(form->windowFlags() & Qt::WindowCloseButtonHint);
    QVERIFY(!(form->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));

    // A second window made by the program does not take over the global one.
    {
        TError1Form other;
        QCOMPARE(Error1Form, form);
    }
    QCOMPARE(Error1Form, form);
}

void TestError1::okRestoresDefaultsSilently() {
    Seen during, next;
    QVERIFY(runModal([] { ShowMessageDialog("item exists", "Batman already exists!"); },
                     [&] {
                         during = look(Error1Form);
                         click(Error1Form->OKJPG);
                     }));
    QVERIFY(during.open);
    QCOMPARE(during.title, QStringLiteral("item exists"));
    QCOMPARE(during.text, QStringLiteral("Batman already exists!"));
    QVERIFY(!Error1Form->isVisible());
    QCOMPARE(Error1Form->title(), QStringLiteral("error"));
    QCOMPARE(Error1Form->text(), QStringLiteral("missing information!"));

    QVERIFY(runModal([] { ShowMessageDialog(); },
                     [&] {
                         next = look(Error1Form);
                         click(Error1Form->OKJPG);
                     }));
    QCOMPARE(next.title, QStringLiteral("error"));
    QCOMPARE(next.text, QStringLiteral("missing information!"));
    QVERIFY2(sounds_.names().isEmpty(), qPrintable(sounds_.names().join(',')));
}

void TestError1::closeBoxAndEscapeLeaveDefaults() {
    const std::function<void(TError1Form*)> closers[] = {
        [](TError1Form* f) { f->close(); },
        [](TError1Form* f) { QTest::keyClick(f, Qt::Key_Escape); },
    };
    for (const auto& closeIt : closers) {
        Seen next;
        QVERIFY(runModal([] { ShowMessageDialog("item exists", "Robin already exists!"); },
                         [&] { closeIt(Error1Form); }));
        QVERIFY(!Error1Form->isVisible());
        // Between two uses the box itself holds the defaults again.
        QCOMPARE(Error1Form->title(), QStringLiteral("error"));
        QCOMPARE(Error1Form->text(), QStringLiteral("missing information!"));
        QVERIFY(runModal([] { ShowMessageDialog({}, {}); },
                         [&] {
                             next = look(Error1Form);
                             click(Error1Form->OKJPG);
                         }));
        QVERIFY(next.open);
        QCOMPARE(next.title, QStringLiteral("error"));
        QCOMPARE(next.text, QStringLiteral("missing information!"));
    }
}

void TestError1::textOnlyGetsDefaultTitle() {
    Seen textOnly, emptyTitle, titleOnly;
    QVERIFY(runModal([] { ShowMessageDialog({}, "Error opening default web browser."); },
                     [&] {
                         textOnly = look(Error1Form);
                         click(Error1Form->OKJPG);
                     }));
    QVERIFY(runModal([] { ShowMessageDialog(QStringLiteral(""), "update file not found!"); },
                     [&] {
                         emptyTitle = look(Error1Form);
                         click(Error1Form->OKJPG);
                     }));
    QVERIFY(runModal([] { ShowMessageDialog("file not found", QStringLiteral("")); },
                     [&] {
                         titleOnly = look(Error1Form);
                         click(Error1Form->OKJPG);
                     }));
    QCOMPARE(textOnly.title, QStringLiteral("error"));
    QCOMPARE(textOnly.text, QStringLiteral("Error opening default web browser."));
    QCOMPARE(emptyTitle.title, QStringLiteral("error"));
    QCOMPARE(emptyTitle.text, QStringLiteral("update file not found!"));
    QCOMPARE(titleOnly.title, QStringLiteral("file not found"));
    QCOMPARE(titleOnly.text, QStringLiteral("missing information!"));
}

void TestError1::longTextWrapsInsideLabel() {
    QRect geometry;
    int wrappedHeight = 0, lineHeight = 0;
    bool wraps = false;
    QVERIFY(runModal([] { ShowMessageDialog("help not found", kHelpText); },
                     [&] {
                         QLabel* label = Error1Form->Label1;
                         geometry = label->geometry();
                         wraps = label->wordWrap();
                         wrappedHeight = label->heightForWidth(label->width());
                         lineHeight = label->fontMetrics().lineSpacing();
                         click(Error1Form->OKJPG);
                     }));
    // The label keeps its place and size; the text takes several lines of it.
    QCOMPARE(geometry, QRect(30, 20, 189, 69));
    QVERIFY(wraps);
    QVERIFY2(wrappedHeight >= 2 * lineHeight,
             qPrintable(QString("height %1, line %2").arg(wrappedHeight).arg(lineHeight)));
    QVERIFY(wrappedHeight <= geometry.height());
}

void TestError1::rightButtonDoesNothing() {
    bool openAfterRight = false;
    Seen afterRight;
    QVERIFY(runModal([] { ShowMessageDialog("invalid price", "12,99 is an invalid price!"); },
                     [&] {
                         click(Error1Form->OKJPG, Qt::RightButton);
                         click(Error1Form->OKJPG, Qt::MiddleButton);
                         QTest::keyClick(Error1Form, Qt::Key_Return);
                         QTest::keyClick(Error1Form, Qt::Key_Space);
                         QApplication::processEvents();
                         afterRight = look(Error1Form);
                         openAfterRight = Error1Form->isVisible();
                         click(Error1Form->OKJPG);
                     }));
    QVERIFY(openAfterRight);
    QCOMPARE(afterRight.title, QStringLiteral("invalid price"));
    QCOMPARE(afterRight.text, QStringLiteral("12,99 is an invalid price!"));
    QVERIFY(!Error1Form->isVisible());
}

void TestError1::messageWhileOpenGetsItsOwnBox() {
    Seen first, second, firstWhileSecond;
    bool secondWasOwnBox = false;
    QVERIFY(
        runModal([] { ShowMessageDialog("backup complete", "a backup file of Heroes has been created."); },
                 [&] {
                     first = look(Error1Form);
                     QTimer::singleShot(0, [&] {
                         for (QWidget* w : QApplication::topLevelWidgets()) {
                             auto* box = qobject_cast<TError1Form*>(w);
                             if (box && box != Error1Form && box->isVisible()) {
                                 secondWasOwnBox = true;
                                 second = look(box);
                                 firstWhileSecond = look(Error1Form);
                                 click(box->OKJPG);
                             }
                         }
                     });
                     ShowMessageDialog("update file not found", "update file not found!");
                     click(Error1Form->OKJPG);
                 }));
    QCOMPARE(first.text, QStringLiteral("a backup file of Heroes has been created."));
    QVERIFY(secondWasOwnBox);
    QCOMPARE(second.title, QStringLiteral("update file not found"));
    QCOMPARE(second.text, QStringLiteral("update file not found!"));
    QVERIFY(firstWhileSecond.open);
    QCOMPARE(firstWhileSecond.title, QStringLiteral("backup complete"));
    QCOMPARE(firstWhileSecond.text, first.text);
    QVERIFY(!Error1Form->isVisible());
    int visibleBoxes = 0;
    for (QWidget* w : QApplication::topLevelWidgets())
        visibleBoxes += qobject_cast<TError1Form*>(w) && w->isVisible();
    QCOMPARE(visibleBoxes, 0);
}

void TestError1::testSeamReplacesTheWindow() {
    QStringList shown;
    vitrinex::setMessageDialogForTesting(
        [&shown](const QString& title, const QString& text) { shown << title + "|" + text; });
    ShowMessageDialog("item exists", "Joker already exists!");
    ShowMessageDialog({}, "Error opening default web browser.");
    ShowMessageDialog();
    QCOMPARE(shown, QStringList({"item exists|Joker already exists!",
                                 "error|Error opening default web browser.", "error|missing information!"}));
    QVERIFY(!Error1Form->isVisible());
    QCOMPARE(Error1Form->title(), QStringLiteral("error"));

    // An empty function brings the window back.
    vitrinex::setMessageDialogForTesting({});
    Seen seen;
    QVERIFY(runModal([] { ShowMessageDialog("item exists", "Joker already exists!"); },
                     [&] {
                         seen = look(Error1Form);
                         click(Error1Form->OKJPG);
                     }));
    QVERIFY(seen.open);
    QCOMPARE(shown.size(), 3);
}

QTEST_MAIN(TestError1)
#include "test_error1.moc"
