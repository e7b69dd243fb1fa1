// Route simulated mouse events through the window, as real ones are: the pressed widget keeps the mouse.
#define QTEST_QPA_MOUSE_HANDLING

#include "controls/PictureButtons.h"
#include "controls/PictureControl.h"
#include "controls/SkinImageLists.h"

#include <QAccessible>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTemporaryDir>
#include <QtTest>

#include <map>
#include <memory>

using vitrinex::PictureButtons;
using vitrinex::SkinImageLists;
using vitrinex::SkinList;

namespace {

// Every picture of every test list has its own colour, so one pixel tells a look apart.
QRgb listColour(SkinList list, int index) {
    return qRgb(20 + 10 * index, 50 + 40 * int(list), 200);
}

QImage solid(QSize size, QRgb colour) {
    QImage img(size, QImage::Format_RGB32);
    img.fill(colour);
    return img;
}

QImage makeStrip(SkinList list) {
    const QSize s = SkinImageLists::pictureSize(list);
    QImage strip(s.width() * SkinImageLists::count(list), s.height(), QImage::Format_RGB32);
    for (int i = 0; i < SkinImageLists::count(list); ++i)
        for (int x = 0; x < s.width(); ++x)
            for (int y = 0; y < s.height(); ++y)
                strip.setPixel(i * s.width() + x, y, listColour(list, i));
    return strip;
}

// A window of buttons over a background picture, each button with a plain picture of its own colour.
struct Rig {
    SkinImageLists lists;
    std::unique_ptr<QWidget> window{new QWidget};
    TJPEGImage* background = new TJPEGImage(window.get());
    PictureButtons rule{window.get(), lists};
    std::map<TJPEGImage*, QRgb> own, lit;
    std::map<TJPEGImage*, int> clicks;

    explicit Rig(QSize size) {
        for (int i = 0; i < SkinImageLists::kListCount; ++i)
            lists.setStrip(SkinList(i), makeStrip(SkinList(i)));
        window->resize(size);
        background->setPicture(solid(size, qRgb(30, 30, 30)));
        rule.attachBackground(background);
    }

    TJPEGImage* add(const char* name, SkinList list, int normal, QPoint pos, int group = 0) {
        auto* b = new TJPEGImage(window.get());
        b->setObjectName(name);
        own[b] = qRgb(100 + 7 * int(own.size()), 5, 5);
        lit[b] = listColour(list, normal + 1);
        b->setPicture(solid(SkinImageLists::pictureSize(list), own[b]));
        b->move(pos);
        if (!rule.addButton(b, list, normal, group)) qFatal("could not register %s", name);
        rule.setAction(b, [this, b] { ++clicks[b]; });
        return b;
    }

    bool show() {
        window->show();
        return QTest::qWaitForWindowExposed(window.get());
    }
};

enum class Look { Normal, Highlighted, Pressed };

// What is wrong with a button's look, judged from the control and from its painted pixels.
QString lookProblem(Rig& rig, TJPEGImage* b, Look expected) {
    const QRgb own = rig.own[b], lit = rig.lit[b];
    const QImage shown = b->grab().toImage();
    const QPoint far(b->width() - 1, b->height() - 1);
    const QString name = b->objectName();
    if (expected == Look::Normal)
        return b->hasLook() || shown.pixel(0, 0) != own || shown.pixel(far) != own ? name + ": not normal"
                                                                                   : QString();
    const QPoint offset = expected == Look::Pressed ? QPoint(1, 1) : QPoint(0, 0);
    if (!b->hasLook() || b->lookOffset() != offset || b->look().toImage().pixel(0, 0) != lit)
        return name + ": wrong look or offset";
    // The pressed picture, shifted, leaves the button's own top row and left column showing.
    const QRgb corner = expected == Look::Pressed ? own : lit;
    if (shown.pixel(0, 0) != corner || shown.pixel(1, 1) != lit || shown.pixel(far) != lit)
        return name + ": look not painted where it belongs";
    return {};
}

#define CHECK_LOOK(rig, button, look)                                                                        \
    do {                                                                                                     \
        const QString problem_ = lookProblem(rig, button, look);                                             \
        QVERIFY2(problem_.isEmpty(), qPrintable(problem_));                                                  \
    } while (false)

void moveOver(QWidget* w, QPoint p = QPoint(5, 5)) {
    QTest::mouseMove(w, p);
}

class PaintCounter : public QObject {
public:
    explicit PaintCounter(QWidget* w) { w->installEventFilter(this); }
    int count = 0;

protected:
    bool eventFilter(QObject*, QEvent* e) override {
        count += e->type() == QEvent::Paint;
        return false;
    }
};

} // namespace

class TestPictureButtons : public QObject {
    Q_OBJECT

private slots:
    void imageListsCutAndRefuseDamage();
    void imageListsShippedSkin();
    void registrationRefusesBadButtons();
    void hoverExcludesWithinGroupOnly();
    void movesInsideButtonPaintNothing();
    void clickPressesActsAndKeepsMark();
    void onlyLeftButtonClicks();
    void nonReactingButtonIgnoresPointer();
    void backgroundRestoresVisibleButtonsOnly();
    void activationClearsLooksKeepsMarks();
    void anyReleaseButtonActsOnRightRelease();
    void enterKeyClicks();
    void hiddenOrDestroyedButtons();
    void keyboardAndAssistiveToolsPress();
};

void TestPictureButtons::imageListsCutAndRefuseDamage() {
    QCOMPARE(SkinImageLists::pictureSize(SkinList::ImageList3), QSize(67, 43));
    QCOMPARE(SkinImageLists::count(SkinList::ImageList2), 18);
    QTemporaryDir dir, bad;
    for (int i = 0; i < 4; ++i) {
        const QString name = SkinImageLists::fileName(SkinList(i));
        QVERIFY(makeStrip(SkinList(i)).save(dir.filePath(name), "PNG"));
        // The damaged set: a blank first strip (a half-done load would show) and a wrong-sized third.
        QImage strip = i == 2 ? solid({64, 64}, qRgb(255, 0, 0)) : makeStrip(SkinList(i));
        if (i == 0) strip.fill(Qt::white);
        QVERIFY(strip.save(bad.filePath(name), "PNG"));
    }

    SkinImageLists lists;
    QVERIFY(lists.picture(SkinList::ImageList2, 0).isNull());
    QVERIFY2(lists.loadFolder(dir.path()), qPrintable(lists.errorString()));
    QVERIFY(lists.isComplete());
    // Picture i is cut from x = i * width: check both corners of every picture of the longest list.
    for (int i = 0; i < 18; ++i) {
        const QImage p = lists.image(SkinList::ImageList2, i);
        QCOMPARE(p.size(), QSize(75, 29));
        QCOMPARE(p.pixel(0, 0), listColour(SkinList::ImageList2, i));
        QCOMPARE(p.pixel(74, 28), listColour(SkinList::ImageList2, i));
    }
    QVERIFY(lists.image(SkinList::ImageList4, 4).isNull());
    QVERIFY(lists.image(SkinList::ImageList1, -1).isNull());

    // Every failure names the file and leaves all four lists as they were.
    QVERIFY(!lists.loadFolder(bad.path()));
    QVERIFY(lists.errorString().contains("ImageList3.png"));
    {
        QFile f(bad.filePath("ImageList3.png"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("\x89PNG\r\n\x1a\n not a picture");
    }
    QVERIFY(!lists.loadFolder(bad.path()));
    QVERIFY(lists.errorString().contains("ImageList3.png"));
    QVERIFY(QFile::remove(bad.filePath("ImageList3.png")));
    QVERIFY(!lists.loadFolder(bad.path()));
    QVERIFY(!lists.setStrip(SkinList::ImageList1, makeStrip(SkinList::ImageList1).copy(0, 0, 375, 43)));
    QVERIFY(lists.errorString().contains("375 x 43"));
    QVERIFY(!lists.setStrip(SkinList::ImageList4, QImage()));
    QCOMPARE(lists.image(SkinList::ImageList1, 5).pixel(3, 3), listColour(SkinList::ImageList1, 5));
    QCOMPARE(lists.image(SkinList::ImageList4, 3).pixel(3, 3), listColour(SkinList::ImageList4, 3));
}

void TestPictureButtons::imageListsShippedSkin() {
    const QString folder = QStringLiteral(VITRINEX_ASSETS_DIR "/skin");
    if (!QFile::exists(folder + "/skin.qrc")) QSKIP("the skin artwork is not in the tree");
    SkinImageLists fromFolder;
    QVERIFY2(fromFolder.loadFolder(folder), qPrintable(fromFolder.errorString()));
    // The compiled-in copy is the same artwork.
    SkinImageLists& shared = SkinImageLists::shared();
    QVERIFY2(shared.isComplete(), qPrintable(shared.errorString()));
    QCOMPARE(&shared, &SkinImageLists::shared());
    for (int i = 0; i < 4; ++i)
        QCOMPARE(shared.image(SkinList(i), 1), fromFolder.image(SkinList(i), 1));
}

void TestPictureButtons::registrationRefusesBadButtons() {
    Rig rig({200, 100});
    auto* b = new TJPEGImage(rig.window.get());
    QVERIFY(!rig.rule.addButton(nullptr, SkinList::ImageList2, 0));
    QVERIFY(!rig.rule.addButton(b, SkinList::ImageList2, 3)); // odd: a highlighted picture
    QVERIFY(!rig.rule.addButton(b, SkinList::ImageList1, 6)); // past the end of the list
    QVERIFY(!rig.rule.contains(b));
    QVERIFY(rig.rule.addButton(b, SkinList::ImageList2, 16));
    QVERIFY(!rig.rule.addButton(b, SkinList::ImageList2, 0)); // twice
    QCOMPARE(rig.rule.buttonCount(), 1);

    PictureButtons::setHint(b, "click for help");
    QCOMPARE(b->toolTip(), QString("click for help"));
    QCOMPARE(b->accessibleDescription(), QString("click for help"));
}

void TestPictureButtons::hoverExcludesWithinGroupOnly() {
    // The main window's layout: highlights exclude one another only inside a group.
    Rig rig({501, 399});
    TJPEGImage* help = rig.add("HelpJPG", SkinList::ImageList1, 2, {392, 23}, 0);
    TJPEGImage* update = rig.add("UpdateJPG", SkinList::ImageList1, 4, {396, 66}, 0);
    TJPEGImage* newB = rig.add("NewJPG", SkinList::ImageList4, 0, {148, 52}, 1);
    TJPEGImage* open = rig.add("OpenJPG", SkinList::ImageList4, 2, {192, 92}, 1);
    QVERIFY(rig.show());

    moveOver(newB);
    moveOver(help);
    CHECK_LOOK(rig, newB, Look::Highlighted);
    CHECK_LOOK(rig, help, Look::Highlighted);
    // Straight from one button onto the next of its group, never crossing the background.
    moveOver(update, {1, 1});
    CHECK_LOOK(rig, help, Look::Normal);
    QVERIFY(!rig.rule.isHighlighted(help));
    CHECK_LOOK(rig, update, Look::Highlighted);
    CHECK_LOOK(rig, newB, Look::Highlighted);
    moveOver(open);
    CHECK_LOOK(rig, newB, Look::Normal);
    CHECK_LOOK(rig, open, Look::Highlighted);
    CHECK_LOOK(rig, update, Look::Highlighted);

    moveOver(rig.background, {20, 300});
    for (TJPEGImage* b : {help, update, newB, open}) {
        QVERIFY(!rig.rule.isHighlighted(b));
        CHECK_LOOK(rig, b, Look::Normal);
    }
    QVERIFY(rig.clicks.empty());
}

void TestPictureButtons::movesInsideButtonPaintNothing() {
    Rig rig({300, 200});
    TJPEGImage* ok = rig.add("OKJPG", SkinList::ImageList2, 10, {65, 124});
    QVERIFY(rig.show());
    moveOver(ok, {2, 2});
    QCoreApplication::processEvents();
    PaintCounter paints(ok);
    for (int x = 3; x < 70; x += 7)
        moveOver(ok, {x, 10});
    QCoreApplication::processEvents();
    QCOMPARE(paints.count, 0);
    CHECK_LOOK(rig, ok, Look::Highlighted);

    // Leaving repaints it once; moving on over the background does not.
    moveOver(rig.background, {5, 5});
    QTRY_VERIFY(paints.count > 0);
    const int afterLeave = paints.count;
    for (int y = 6; y < 100; y += 9)
        moveOver(rig.background, {5, y});
    QCoreApplication::processEvents();
    QCOMPARE(paints.count, afterLeave);
}

void TestPictureButtons::clickPressesActsAndKeepsMark() {
    Rig rig({300, 200});
    TJPEGImage* del = rig.add("DeleteJPG", SkinList::ImageList2, 4, {42, 100});
    TJPEGImage* cancel = rig.add("CancelJPG", SkinList::ImageList2, 2, {134, 100});
    QVERIFY(rig.show());

    moveOver(del, {10, 10});
    QTest::mousePress(del, Qt::LeftButton, {}, {10, 10});
    CHECK_LOOK(rig, del, Look::Pressed);
    QVERIFY(rig.rule.isHighlighted(del));
    QCOMPARE(rig.clicks[del], 0); // acting waits for the release
    QTest::mouseRelease(del, Qt::LeftButton, {}, {10, 10});
    QCOMPARE(rig.clicks[del], 1);
    CHECK_LOOK(rig, del, Look::Normal);

    // Still over it, it keeps its normal look until the pointer leaves and comes back.
    moveOver(del, {20, 12});
    CHECK_LOOK(rig, del, Look::Normal);
    moveOver(rig.background, {5, 5});
    moveOver(del, {30, 14});
    CHECK_LOOK(rig, del, Look::Highlighted);

    // Dragged off across the background and another button, released elsewhere: still a click.
    QTest::mousePress(del, Qt::LeftButton);
    moveOver(rig.background, {10, 10});
    moveOver(cancel);
    CHECK_LOOK(rig, del, Look::Pressed);
    CHECK_LOOK(rig, cancel, Look::Normal);
    QTest::mouseRelease(rig.background, Qt::LeftButton, {}, {250, 180});
    QCOMPARE(rig.clicks[del], 2);
    QCOMPARE(rig.clicks[cancel], 0);
    CHECK_LOOK(rig, del, Look::Normal);

    // A press that began on the background and ends on a button is no click.
    QTest::mousePress(rig.background, Qt::LeftButton, {}, {10, 10});
    moveOver(cancel);
    QTest::mouseRelease(cancel, Qt::LeftButton);
    QCOMPARE(rig.clicks[cancel], 0);
}

void TestPictureButtons::onlyLeftButtonClicks() {
    Rig rig({300, 200});
    TJPEGImage* print = rig.add("PrintJPG", SkinList::ImageList2, 12, {53, 156});
    QVERIFY(rig.show());
    moveOver(print);
    for (Qt::MouseButton which : {Qt::RightButton, Qt::MiddleButton}) {
        QTest::mousePress(print, which);
        CHECK_LOOK(rig, print, Look::Highlighted);
        QTest::mouseRelease(print, which);
        CHECK_LOOK(rig, print, Look::Highlighted);
    }
    QCOMPARE(rig.clicks[print], 0);

    // A right click during a left press leaves the press alone; the left release acts once.
    QTest::mousePress(print, Qt::LeftButton);
    QTest::mouseClick(print, Qt::RightButton);
    CHECK_LOOK(rig, print, Look::Pressed);
    QTest::mouseRelease(print, Qt::LeftButton);
    QCOMPARE(rig.clicks[print], 1);
}

void TestPictureButtons::nonReactingButtonIgnoresPointer() {
    // Edit of the main window while no item is selected.
    Rig rig({501, 399});
    bool selected = false;
    TJPEGImage* edit = rig.add("EditJPG", SkinList::ImageList3, 6, {217, 68}, 2);
    TJPEGImage* add = rig.add("AddJPG", SkinList::ImageList3, 0, {150, 50}, 2);
    rig.rule.setReactCondition(edit, [&selected] { return selected; });
    QVERIFY(rig.show());

    moveOver(add);
    moveOver(edit);
    QVERIFY(!rig.rule.isHighlighted(edit));
    CHECK_LOOK(rig, edit, Look::Normal);
    CHECK_LOOK(rig, add, Look::Normal); // moving onto it still restores the rest of its group
    QTest::mousePress(edit, Qt::LeftButton);
    CHECK_LOOK(rig, edit, Look::Normal);
    selected = true; // starting to react during the press does not make it a click
    QTest::mouseRelease(edit, Qt::LeftButton);
    QCOMPARE(rig.clicks[edit], 0);

    // Reacting now: the next move lights it. Pressed, then the selection goes: no click, no look left.
    moveOver(edit, {6, 6});
    CHECK_LOOK(rig, edit, Look::Highlighted);
    QTest::mousePress(edit, Qt::LeftButton);
    selected = false;
    QTest::mouseRelease(edit, Qt::LeftButton);
    QCOMPARE(rig.clicks[edit], 0);
    CHECK_LOOK(rig, edit, Look::Normal);
    // Lit while it reacted, moved over once it no longer does: drawn normal and unmarked.
    selected = true;
    moveOver(rig.background, {1, 1});
    moveOver(edit, {8, 8});
    selected = false;
    moveOver(edit, {9, 9});
    QVERIFY(!rig.rule.isHighlighted(edit));
    CHECK_LOOK(rig, edit, Look::Normal);
}

void TestPictureButtons::backgroundRestoresVisibleButtonsOnly() {
    Rig rig({501, 399});
    TJPEGImage* help = rig.add("HelpJPG", SkinList::ImageList1, 2, {392, 23}, 0);
    TJPEGImage* newB = rig.add("NewJPG", SkinList::ImageList4, 0, {148, 52}, 1);
    TJPEGImage* add = rig.add("AddJPG", SkinList::ImageList3, 0, {150, 50}, 2);
    auto* label = new QLabel("total items:  3", rig.window.get());
    label->setGeometry(28, 184, 150, 20);
    auto* list = new QListWidget(rig.window.get());
    list->setGeometry(34, 205, 178, 161);
    list->addItems({"alpha", "beta"});
    auto* loose = new QLabel("not wired", rig.window.get());
    loose->setGeometry(300, 300, 90, 20);
    rig.rule.attachBackground(label);
    rig.rule.attachBackground(list);
    add->hide();
    QVERIFY(rig.show());

    // Labels and lists wired to the background restore like it; others do not.
    moveOver(help);
    moveOver(loose);
    CHECK_LOOK(rig, help, Look::Highlighted);
    moveOver(label);
    CHECK_LOOK(rig, help, Look::Normal);
    moveOver(help);
    moveOver(list->viewport(), {20, 20});
    CHECK_LOOK(rig, help, Look::Normal);

    // A collection opens by keyboard while New is lit: the hidden group keeps its mark.
    moveOver(newB);
    newB->hide();
    add->show();
    moveOver(rig.background, {20, 390});
    QVERIFY(rig.rule.isHighlighted(newB));
    CHECK_LOOK(rig, add, Look::Normal);
    moveOver(add);
    CHECK_LOOK(rig, add, Look::Highlighted);

    // Back to no collection: New shows its own picture and stays dark until the background clears it.
    add->hide();
    newB->show();
    CHECK_LOOK(rig, newB, Look::Normal);
    moveOver(newB);
    CHECK_LOOK(rig, newB, Look::Normal);
    moveOver(rig.background, {20, 391});
    QVERIFY(!rig.rule.isHighlighted(newB));
    QVERIFY(rig.rule.isHighlighted(add));
    moveOver(newB);
    CHECK_LOOK(rig, newB, Look::Highlighted);
}

void TestPictureButtons::activationClearsLooksKeepsMarks() {
    Rig rig({300, 200});
    TJPEGImage* ok = rig.add("OKJPG", SkinList::ImageList2, 10, {56, 120});
    TJPEGImage* cancel = rig.add("CancelBtn", SkinList::ImageList2, 2, {168, 120});
    QVERIFY(rig.show());
    moveOver(ok);

    // Another window takes the focus, then this one becomes active again.
    QWidget other;
    other.show();
    other.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&other));
    rig.window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(rig.window.get()));
    CHECK_LOOK(rig, ok, Look::Normal);
    QVERIFY(rig.rule.isHighlighted(ok));

    // The kept mark: the pointer must leave and return before it lights again.
    moveOver(ok, {20, 10});
    CHECK_LOOK(rig, ok, Look::Normal);
    moveOver(cancel);
    moveOver(ok);
    CHECK_LOOK(rig, ok, Look::Highlighted);
}

void TestPictureButtons::anyReleaseButtonActsOnRightRelease() {
    // The add/edit dialog's Edit button acts on the release of any mouse button.
    Rig rig({350, 380});
    bool inputOk = true;
    TJPEGImage* edit = rig.add("EditJPG", SkinList::ImageList2, 6, {97, 336});
    TJPEGImage* cancel = rig.add("CancelJPG", SkinList::ImageList2, 2, {209, 336});
    rig.rule.setActsOnAnyRelease(edit, true);
    rig.rule.setReactCondition(edit, [&inputOk] { return inputOk; });
    QVERIFY(rig.show());

    moveOver(edit);
    QTest::mousePress(edit, Qt::RightButton);
    CHECK_LOOK(rig, edit, Look::Highlighted); // only the left button shows the pressed look
    QTest::mouseRelease(edit, Qt::RightButton);
    QCOMPARE(rig.clicks[edit], 1);
    CHECK_LOOK(rig, edit, Look::Normal);
    QTest::mouseClick(edit, Qt::LeftButton);
    QCOMPARE(rig.clicks[edit], 2);
    inputOk = false;
    QTest::mouseClick(edit, Qt::RightButton);
    QCOMPARE(rig.clicks[edit], 2);
    QTest::mouseClick(cancel, Qt::RightButton);
    QCOMPARE(rig.clicks[cancel], 0);
}

void TestPictureButtons::enterKeyClicks() {
    Rig rig({501, 399});
    bool selected = true;
    TJPEGImage* edit = rig.add("EditJPG", SkinList::ImageList3, 6, {217, 68}, 2);
    TJPEGImage* add = rig.add("AddJPG", SkinList::ImageList3, 0, {150, 50}, 2);
    rig.rule.setReactCondition(edit, [&selected] { return selected; });
    QVERIFY(rig.show());
    moveOver(add);

    // The item list's Enter: pressed look, then the normal look and the list's own command.
    int listCommands = 0;
    QVERIFY(rig.rule.enterPressed(edit));
    CHECK_LOOK(rig, edit, Look::Pressed);
    QVERIFY(rig.rule.isHighlighted(add)); // keys leave the marks alone
    QVERIFY(rig.rule.enterReleased(edit, [&listCommands] { ++listCommands; }));
    CHECK_LOOK(rig, edit, Look::Normal);
    QCOMPARE(listCommands, 1);
    QCOMPARE(rig.clicks[edit], 0);
    // Without a command the button's own action runs; a repeated key press is one click.
    QVERIFY(rig.rule.enterPressed(edit));
    QVERIFY(rig.rule.enterPressed(edit));
    QVERIFY(rig.rule.enterReleased(edit));
    QCOMPARE(rig.clicks[edit], 1);
    // A key released with no press on this window (it went down elsewhere) does nothing.
    QVERIFY(!rig.rule.enterReleased(edit));

    selected = false;
    QVERIFY(!rig.rule.enterPressed(edit));
    CHECK_LOOK(rig, edit, Look::Normal);
    selected = true;
    QVERIFY(rig.rule.enterPressed(edit));
    selected = false;
    QVERIFY(!rig.rule.enterReleased(edit));
    CHECK_LOOK(rig, edit, Look::Normal);
    QCOMPARE(rig.clicks[edit], 1);
}

void TestPictureButtons::hiddenOrDestroyedButtons() {
    // A dialog's OK hides the dialog from inside its click, as a modal dialog closes.
    Rig rig({300, 200});
    TJPEGImage* ok = rig.add("OKJPG", SkinList::ImageList2, 10, {44, 100});
    TJPEGImage* cancel = rig.add("CancelJPG", SkinList::ImageList2, 2, {132, 100});
    rig.rule.setAction(ok, [&] {
        ++rig.clicks[ok];
        rig.window->hide();
    });
    QVERIFY(rig.show());
    moveOver(ok);
    QTest::mouseClick(ok, Qt::LeftButton);
    QCOMPARE(rig.clicks[ok], 1);
    QVERIFY(!rig.window->isVisible());

    // Hidden in the middle of a press: shown again normal, the press forgotten rather than finished.
    QVERIFY(rig.show());
    moveOver(rig.background, {2, 2});
    moveOver(ok);
    rig.rule.setActsOnAnyRelease(ok, true);
    for (Qt::MouseButton which : {Qt::LeftButton, Qt::RightButton}) {
        QTest::mousePress(ok, which);
        rig.window->hide();
        QVERIFY(rig.show());
        CHECK_LOOK(rig, ok, Look::Normal);
        QVERIFY(rig.rule.isHighlighted(ok));
        QTest::mouseRelease(ok, which);
        QCOMPARE(rig.clicks[ok], 1);
    }

    delete ok;
    QCOMPARE(rig.rule.buttonCount(), 1);
    moveOver(cancel);
    moveOver(rig.background, {5, 5});
    QVERIFY(!rig.rule.isHighlighted(cancel));
}

void TestPictureButtons::keyboardAndAssistiveToolsPress() {
    // Made out of reading order: Tab follows the reading order, the field on the first line.
    Rig rig({300, 200});
    TJPEGImage* cancel = rig.add("CancelJPG", SkinList::ImageList2, 2, {132, 150});
    TJPEGImage* ok = rig.add("OKJPG", SkinList::ImageList2, 10, {44, 150});
    auto* field = new QLineEdit(rig.window.get());
    field->setGeometry(120, 20, 100, 20);
    TJPEGImage* help = rig.add("HelpJPG", SkinList::ImageList2, 16, {20, 15});
    rig.rule.setReactCondition(cancel, [] { return false; });
    QVERIFY(rig.show());
    QCOMPARE(rig.window->focusWidget(), field); // the first field, not a button
    for (QWidget* next : std::initializer_list<QWidget*>{ok, cancel, help, field, ok}) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QVERIFY2(next->hasFocus(), qPrintable(next->objectName()));
    }
    const QImage marked = ok->grab().toImage();
    QVERIFY(marked.pixel(ok->width() / 2, 0) != rig.own[ok] ||
            marked.pixel(ok->width() / 2 + 1, 0) != rig.own[ok]); // the dotted focus mark on its edge

    // Space and Enter press as the left button does; the press action acts after the tool's call.
    QTest::keyPress(ok, Qt::Key_Space);
    QVERIFY(ok->hasLook() && ok->lookOffset() == QPoint(1, 1));
    QTest::keyRelease(ok, Qt::Key_Space);
    QTest::keyClick(ok, Qt::Key_Return);
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(ok);
    QCOMPARE(face->role(), QAccessible::Button);
    QCOMPARE(face->text(QAccessible::Name), SkinImageLists::caption(SkinList::ImageList2, 10));
    face->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    QCOMPARE(rig.clicks[ok], 2);
    QTRY_COMPARE(rig.clicks[ok], 3);
    QTest::keyClick(cancel, Qt::Key_Space); // a button that does not react
    QAccessible::queryAccessibleInterface(cancel)->actionInterface()->doAction(
        QAccessibleActionInterface::pressAction());
    QTest::qWait(20);
    QCOMPARE(rig.clicks[cancel], 0);
}

QTEST_MAIN(TestPictureButtons)
#include "test_picturebuttons.moc"
