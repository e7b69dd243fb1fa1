// Route simulated mouse events through the window, as real ones are: the pressed widget keeps the mouse.
#define QTEST_QPA_MOUSE_HANDLING

#include "controls/JpgImg.h"
#include "controls/PictureButtons.h"
#include "controls/SkinImageLists.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QTemporaryDir>
#include <QtTest>

#include <map>
#include <memory>

using vitrinex::PictureButtons;
using vitrinex::SkinImageLists;
using vitrinex::SkinList;

namespace {

const QRgb kBackground = qRgb(30, 30, 30);

// Every picture of every test list has its own colour, so a look can be told apart by one pixel.
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
        for (int y = 0; y < s.height(); ++y)
            for (int x = 0; x < s.width(); ++x)
                strip.setPixel(i * s.width() + x, y, listColour(list, i));
    return strip;
}

void fillTestLists(SkinImageLists& lists) {
    for (int i = 0; i < SkinImageLists::kListCount; ++i)
        QVERIFY(lists.setStrip(SkinList(i), makeStrip(SkinList(i))));
}

// A window of buttons over a background, each button with its own plain picture.
struct Rig {
    struct Info {
        SkinList list;
        int normal;
        QRgb own;
        int clicks = 0;
    };

    SkinImageLists lists;
    std::unique_ptr<QWidget> window{new QWidget};
    TJPEGImage* background = nullptr;
    std::unique_ptr<PictureButtons> rule;
    std::map<TJPEGImage*, Info> info;

    explicit Rig(QSize size) {
        fillTestLists(lists);
        window->resize(size);
        background = new TJPEGImage(window.get());
        background->setObjectName("MainJPG");
        background->setPicture(solid(size, kBackground));
        rule = std::make_unique<PictureButtons>(window.get(), lists);
        rule->attachBackground(background);
    }

    TJPEGImage* add(const char* name, SkinList list, int normal, QPoint pos, int group = 0) {
        auto* b = new TJPEGImage(window.get());
        b->setObjectName(name);
        const QRgb own = qRgb(100 + 7 * int(info.size()), 5, 5);
        b->setPicture(solid(SkinImageLists::pictureSize(list), own));
        b->move(pos);
        info[b] = Info{list, normal, own};
        if (!rule->addButton(b, list, normal, group)) qFatal("could not register %s", name);
        rule->setAction(b, [this, b] { ++info[b].clicks; });
        return b;
    }

    bool show() {
        window->show();
        return QTest::qWaitForWindowExposed(window.get());
    }

    int clicks(TJPEGImage* b) { return info[b].clicks; }
    QRgb lit(TJPEGImage* b) { return listColour(info[b].list, info[b].normal + 1); }
};

enum class Look { Normal, Highlighted, Pressed };

// What is wrong with a button's look, judged from the control's state and from its painted pixels;
// empty when it is right.
QString lookProblem(Rig& rig, TJPEGImage* b, Look expected) {
    const QRgb own = rig.info[b].own;
    const QRgb lit = rig.lit(b);
    const QImage shown = b->grab().toImage();
    const QPoint far(b->width() - 1, b->height() - 1);
    const QString name = b->objectName();
    switch (expected) {
    case Look::Normal:
        if (b->hasLook()) return name + ": still carries a look";
        if (shown.pixel(0, 0) != own || shown.pixel(far) != own)
            return name + ": does not show its own picture";
        return {};
    case Look::Highlighted:
        if (!b->hasLook() || b->lookOffset() != QPoint(0, 0))
            return name + ": no highlighted look at its own position";
        if (b->look().toImage().pixel(0, 0) != lit)
            return name + ": look is not the list's highlighted picture";
        if (shown.pixel(0, 0) != lit || shown.pixel(far) != lit)
            return name + ": highlighted picture not painted over the button";
        return {};
    case Look::Pressed:
        if (!b->hasLook() || b->lookOffset() != QPoint(1, 1))
            return name + ": no pressed look one pixel right and down";
        if (b->look().toImage().pixel(0, 0) != lit)
            return name + ": pressed look is not the list's highlighted picture";
        // The shifted picture leaves the button's own top row and left column showing.
        if (shown.pixel(0, 0) != own || shown.pixel(b->width() - 1, 0) != own || shown.pixel(1, 1) != lit ||
            shown.pixel(far) != lit)
            return name + ": pressed picture not painted shifted by one pixel";
        return {};
    }
    return {};
}

#define CHECK_LOOK(rig, button, look)                                                                        \
    do {                                                                                                     \
        const QString problem_ = lookProblem(rig, button, look);                                             \
        QVERIFY2(problem_.isEmpty(), qPrintable(problem_));                                                  \
    } while (false)

// Counts the paint events a widget receives.
class PaintCounter : public QObject {
public:
    explicit PaintCounter(QWidget* w) { w->installEventFilter(this); }
    int count = 0;

protected:
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint) ++count;
        return false;
    }
};

void moveOver(QWidget* w, QPoint p = QPoint(5, 5)) {
    QTest::mouseMove(w, p);
}

} // namespace

class TestPictureButtons : public QObject {
    Q_OBJECT

private slots:
    void imageListsCutStripsAndRefuseDamage();
    void imageListsLoadFromFolderAllOrNothing();
    void imageListsShippedSkin();
    void registrationRefusesBadButtons();

    void hoverMovesHighlightWithinGroup();
    void hoverLeavesOtherGroupsAlone();
    void movesInsideButtonPaintNothing();
    void leftClickPressesActsAndKeepsMark();
    void dragOffAndReleaseElsewhereStillActs();
    void otherMouseButtonsDoNothing();
    void nonReactingButtonIgnoresPointer();
    void conditionLostDuringPressDoesNotAct();
    void backgroundRestoresVisibleButtonsOnly();
    void labelsAndListsActAsBackground();
    void activationClearsLooksKeepsMarks();
    void anyReleaseButtonActsOnRightRelease();
    void enterKeyClicks();
    void actionHidingWindowLeavesCleanState();
    void destroyedButtonIsForgotten();
};

void TestPictureButtons::imageListsCutStripsAndRefuseDamage() {
    SkinImageLists lists;
    QVERIFY(!lists.isComplete());
    QVERIFY(lists.picture(SkinList::ImageList2, 0).isNull());

    const std::pair<SkinList, QSize> shapes[] = {{SkinList::ImageList1, {75, 43}},
                                                 {SkinList::ImageList2, {75, 29}},
                                                 {SkinList::ImageList3, {67, 43}},
                                                 {SkinList::ImageList4, {158, 40}}};
    const int counts[] = {6, 18, 10, 4};
    for (int i = 0; i < 4; ++i) {
        QCOMPARE(SkinImageLists::pictureSize(shapes[i].first), shapes[i].second);
        QCOMPARE(SkinImageLists::count(shapes[i].first), counts[i]);
    }

    fillTestLists(lists);
    QVERIFY(lists.isComplete());
    // Picture i is cut from x = i * width: check both ends of every picture of the longest list.
    for (int i = 0; i < 18; ++i) {
        const QImage p = lists.image(SkinList::ImageList2, i);
        QCOMPARE(p.size(), QSize(75, 29));
        QCOMPARE(p.pixel(0, 0), listColour(SkinList::ImageList2, i));
        QCOMPARE(p.pixel(74, 28), listColour(SkinList::ImageList2, i));
    }
    QCOMPARE(lists.picture(SkinList::ImageList4, 3).size(), QSize(158, 40));
    QVERIFY(lists.image(SkinList::ImageList4, 4).isNull());
    QVERIFY(lists.image(SkinList::ImageList1, -1).isNull());

    // A strip of the wrong size or no picture at all is refused and the list stays as it was.
    const QImage wrongWidth = makeStrip(SkinList::ImageList1).copy(0, 0, 75 * 5, 43);
    QVERIFY(!lists.setStrip(SkinList::ImageList1, wrongWidth));
    QVERIFY(lists.errorString().contains("450 x 43"));
    QVERIFY(!lists.setStrip(SkinList::ImageList3, solid({670, 44}, kBackground)));
    QVERIFY(!lists.setStrip(SkinList::ImageList4, QImage()));
    QVERIFY(!lists.errorString().isEmpty());
    QCOMPARE(lists.image(SkinList::ImageList1, 5).pixel(10, 10), listColour(SkinList::ImageList1, 5));
    QCOMPARE(lists.image(SkinList::ImageList3, 9).pixel(10, 10), listColour(SkinList::ImageList3, 9));
    QCOMPARE(lists.image(SkinList::ImageList4, 0).pixel(10, 10), listColour(SkinList::ImageList4, 0));
}

void TestPictureButtons::imageListsLoadFromFolderAllOrNothing() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    for (int i = 0; i < 4; ++i)
        QVERIFY(makeStrip(SkinList(i)).save(dir.filePath(SkinImageLists::fileName(SkinList(i))), "PNG"));

    SkinImageLists lists;
    QVERIFY2(lists.loadFolder(dir.path()), qPrintable(lists.errorString()));
    QVERIFY(lists.isComplete());
    QCOMPARE(lists.image(SkinList::ImageList3, 7).pixel(66, 42), listColour(SkinList::ImageList3, 7));

    // Damage one strip: the whole load fails with a message naming it, the loaded lists survive.
    QTemporaryDir bad;
    for (int i = 0; i < 4; ++i) {
        const QImage strip = i == 2 ? solid({64, 64}, qRgb(255, 0, 0)) : makeStrip(SkinList(i));
        QVERIFY(strip.save(bad.filePath(SkinImageLists::fileName(SkinList(i))), "PNG"));
    }
    // Strips of the other lists differ from the loaded ones, so a half-done load would show.
    QImage other = makeStrip(SkinList::ImageList1);
    other.fill(qRgb(1, 1, 1));
    QVERIFY(other.save(bad.filePath("ImageList1.png"), "PNG"));
    QVERIFY(!lists.loadFolder(bad.path()));
    QVERIFY(lists.errorString().contains("ImageList3.png"));
    QCOMPARE(lists.image(SkinList::ImageList1, 0).pixel(0, 0), listColour(SkinList::ImageList1, 0));

    // Garbage bytes under a picture's name, and a missing file.
    {
        QFile f(bad.filePath("ImageList3.png"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("\x89PNG\r\n\x1a\n this is not a picture");
    }
    QVERIFY(!lists.loadFolder(bad.path()));
    QVERIFY(lists.errorString().contains("ImageList3.png"));
    QVERIFY(QFile::remove(bad.filePath("ImageList4.png")));
    QFile::remove(bad.filePath("ImageList3.png"));
    QVERIFY(!lists.loadFolder(bad.path()));
    QVERIFY(!lists.loadFolder(QString()));
    QVERIFY(lists.isComplete());
    QCOMPARE(lists.image(SkinList::ImageList4, 1).pixel(0, 0), listColour(SkinList::ImageList4, 1));
}

void TestPictureButtons::imageListsShippedSkin() {
    const QString folder = QStringLiteral(VITRINEX_ASSETS_DIR "/skin");
    if (!QFile::exists(folder + "/ImageList1.png")) QSKIP("the skin artwork is not in the tree yet");
    SkinImageLists fromFolder;
    QVERIFY2(fromFolder.loadFolder(folder), qPrintable(fromFolder.errorString()));
    QVERIFY(fromFolder.isComplete());
    // The compiled-in copy is the same artwork.
    if (!QFile::exists(folder + "/skin.qrc")) QSKIP("the skin is not compiled in yet");
    SkinImageLists& shared = SkinImageLists::shared();
    QVERIFY2(shared.isComplete(), qPrintable(shared.errorString()));
    QCOMPARE(&shared, &SkinImageLists::shared());
    for (int i = 0; i < 4; ++i)
        QCOMPARE(shared.image(SkinList(i), 1), fromFolder.image(SkinList(i), 1));
}

void TestPictureButtons::registrationRefusesBadButtons() {
    Rig rig({200, 100});
    auto* b = new TJPEGImage(rig.window.get());
    QVERIFY(!rig.rule->addButton(nullptr, SkinList::ImageList2, 0));
    QVERIFY(!rig.rule->addButton(b, SkinList::ImageList2, 3)); // odd: a highlighted picture
    QVERIFY(!rig.rule->addButton(b, SkinList::ImageList1, 6)); // past the end of the list
    QVERIFY(!rig.rule->addButton(b, SkinList::ImageList4, -2));
    QVERIFY(!rig.rule->contains(b));
    QVERIFY(rig.rule->addButton(b, SkinList::ImageList2, 16));
    QVERIFY(!rig.rule->addButton(b, SkinList::ImageList2, 0)); // twice
    QCOMPARE(rig.rule->buttonCount(), 1);
    QVERIFY(!rig.rule->isHighlighted(b));

    PictureButtons::setHint(b, "click to update collection");
    QCOMPARE(b->toolTip(), QString("click to update collection"));
    QCOMPARE(b->accessibleName(), QString("click to update collection"));
}

void TestPictureButtons::hoverMovesHighlightWithinGroup() {
    Rig rig({300, 200});
    TJPEGImage* exit = rig.add("ExitJPG", SkinList::ImageList2, 8, {40, 50});
    TJPEGImage* cancel = rig.add("CancelJPG", SkinList::ImageList2, 2, {128, 50});
    QVERIFY(rig.show());
    CHECK_LOOK(rig, exit, Look::Normal);

    moveOver(exit);
    QVERIFY(rig.rule->isHighlighted(exit));
    CHECK_LOOK(rig, exit, Look::Highlighted);
    CHECK_LOOK(rig, cancel, Look::Normal);

    // Straight from one button onto the other, never crossing the background.
    moveOver(cancel, {1, 1});
    QVERIFY(!rig.rule->isHighlighted(exit));
    QVERIFY(rig.rule->isHighlighted(cancel));
    CHECK_LOOK(rig, exit, Look::Normal);
    CHECK_LOOK(rig, cancel, Look::Highlighted);

    moveOver(exit, {70, 20});
    CHECK_LOOK(rig, exit, Look::Highlighted);
    CHECK_LOOK(rig, cancel, Look::Normal);
    QCOMPARE(rig.clicks(exit) + rig.clicks(cancel), 0);
}

void TestPictureButtons::hoverLeavesOtherGroupsAlone() {
    // The main window's layout: three groups whose highlights exclude one another only inside a group.
    Rig rig({501, 399});
    TJPEGImage* help = rig.add("HelpJPG", SkinList::ImageList1, 2, {392, 23}, 0);
    TJPEGImage* update = rig.add("UpdateJPG", SkinList::ImageList1, 4, {396, 66}, 0);
    TJPEGImage* exit = rig.add("ExitJPG", SkinList::ImageList1, 0, {398, 109}, 0);
    TJPEGImage* newB = rig.add("NewJPG", SkinList::ImageList4, 0, {148, 52}, 1);
    TJPEGImage* open = rig.add("OpenJPG", SkinList::ImageList4, 2, {192, 92}, 1);
    QVERIFY(rig.show());

    moveOver(newB);
    moveOver(help);
    CHECK_LOOK(rig, newB, Look::Highlighted);
    CHECK_LOOK(rig, help, Look::Highlighted);

    moveOver(update);
    CHECK_LOOK(rig, help, Look::Normal);
    CHECK_LOOK(rig, update, Look::Highlighted);
    CHECK_LOOK(rig, newB, Look::Highlighted);

    moveOver(open);
    CHECK_LOOK(rig, newB, Look::Normal);
    CHECK_LOOK(rig, open, Look::Highlighted);
    CHECK_LOOK(rig, update, Look::Highlighted);

    moveOver(exit);
    QVERIFY(rig.rule->isHighlighted(open));
    QVERIFY(rig.rule->isHighlighted(exit));
    QVERIFY(!rig.rule->isHighlighted(update));

    // The background restores every group at once.
    moveOver(rig.background, {20, 300});
    for (TJPEGImage* b : {help, update, exit, newB, open}) {
        QVERIFY(!rig.rule->isHighlighted(b));
        CHECK_LOOK(rig, b, Look::Normal);
    }
}

void TestPictureButtons::movesInsideButtonPaintNothing() {
    Rig rig({300, 200});
    TJPEGImage* ok = rig.add("OKJPG", SkinList::ImageList2, 10, {65, 124});
    QVERIFY(rig.show());
    moveOver(ok, {2, 2});
    CHECK_LOOK(rig, ok, Look::Highlighted);
    QCoreApplication::processEvents();

    PaintCounter paints(ok);
    for (int x = 3; x < 70; x += 7)
        moveOver(ok, {x, 10});
    QCoreApplication::processEvents();
    QCOMPARE(paints.count, 0);
    CHECK_LOOK(rig, ok, Look::Highlighted);

    // Leaving it does repaint it, so the counter does see paints.
    moveOver(rig.background, {5, 5});
    QTRY_VERIFY(paints.count > 0);
    const int afterLeave = paints.count;
    for (int y = 5; y < 100; y += 9)
        moveOver(rig.background, {5, y});
    QCoreApplication::processEvents();
    QCOMPARE(paints.count, afterLeave);
}

void TestPictureButtons::leftClickPressesActsAndKeepsMark() {
    Rig rig({300, 200});
    TJPEGImage* del = rig.add("DeleteJPG", SkinList::ImageList2, 4, {42, 100});
    TJPEGImage* cancel = rig.add("CancelJPG", SkinList::ImageList2, 2, {134, 100});
    QVERIFY(rig.show());

    moveOver(del, {10, 10});
    QTest::mousePress(del, Qt::LeftButton, {}, {10, 10});
    CHECK_LOOK(rig, del, Look::Pressed);
    QVERIFY(rig.rule->isHighlighted(del));
    QCOMPARE(rig.clicks(del), 0); // acting waits for the release

    QTest::mouseRelease(del, Qt::LeftButton, {}, {10, 10});
    QCOMPARE(rig.clicks(del), 1);
    CHECK_LOOK(rig, del, Look::Normal);
    QVERIFY(rig.rule->isHighlighted(del));

    // Still over it: it keeps its normal look...
    moveOver(del, {20, 12});
    moveOver(del, {30, 14});
    CHECK_LOOK(rig, del, Look::Normal);
    // ...until the pointer leaves and comes back.
    moveOver(rig.background, {5, 5});
    CHECK_LOOK(rig, del, Look::Normal);
    moveOver(del, {30, 14});
    CHECK_LOOK(rig, del, Look::Highlighted);

    // Leaving onto its neighbour counts as leaving too.
    QTest::mouseClick(del, Qt::LeftButton, {}, {30, 14});
    QCOMPARE(rig.clicks(del), 2);
    moveOver(cancel);
    moveOver(del, {30, 14});
    CHECK_LOOK(rig, del, Look::Highlighted);
    QCOMPARE(rig.clicks(cancel), 0);
}

void TestPictureButtons::dragOffAndReleaseElsewhereStillActs() {
    Rig rig({300, 200});
    TJPEGImage* ok = rig.add("OKJPG", SkinList::ImageList2, 10, {87, 100});
    TJPEGImage* other = rig.add("CancelJPG", SkinList::ImageList2, 2, {180, 100});
    QVERIFY(rig.show());

    moveOver(ok);
    QTest::mousePress(ok, Qt::LeftButton);
    // Drag across the background and over another button with the button held.
    moveOver(rig.background, {10, 10});
    moveOver(other, {5, 5});
    CHECK_LOOK(rig, ok, Look::Pressed);
    CHECK_LOOK(rig, other, Look::Normal);
    QTest::mouseRelease(rig.background, Qt::LeftButton, {}, {250, 180});
    QCOMPARE(rig.clicks(ok), 1);
    QCOMPARE(rig.clicks(other), 0);
    CHECK_LOOK(rig, ok, Look::Normal);

    // A press that began on the background and ends on a button is no click.
    QTest::mousePress(rig.background, Qt::LeftButton, {}, {10, 10});
    moveOver(ok);
    QTest::mouseRelease(ok, Qt::LeftButton);
    QCOMPARE(rig.clicks(ok), 1);
}

void TestPictureButtons::otherMouseButtonsDoNothing() {
    Rig rig({300, 200});
    TJPEGImage* print = rig.add("PrintJPG", SkinList::ImageList2, 12, {53, 156});
    QVERIFY(rig.show());
    moveOver(print);

    for (Qt::MouseButton which : {Qt::RightButton, Qt::MiddleButton}) {
        QTest::mousePress(print, which);
        CHECK_LOOK(rig, print, Look::Highlighted);
        QTest::mouseRelease(print, which);
        CHECK_LOOK(rig, print, Look::Highlighted);
        QVERIFY(rig.rule->isHighlighted(print));
    }
    QCOMPARE(rig.clicks(print), 0);

    // A right press while the left is held leaves the press alone; the left release still acts once.
    QTest::mousePress(print, Qt::LeftButton);
    QTest::mousePress(print, Qt::RightButton);
    QTest::mouseRelease(print, Qt::RightButton);
    CHECK_LOOK(rig, print, Look::Pressed);
    QCOMPARE(rig.clicks(print), 0);
    QTest::mouseRelease(print, Qt::LeftButton);
    QCOMPARE(rig.clicks(print), 1);
}

void TestPictureButtons::nonReactingButtonIgnoresPointer() {
    // Edit and Delete of the main window while no item is selected.
    Rig rig({501, 399});
    bool selected = false;
    TJPEGImage* edit = rig.add("EditJPG", SkinList::ImageList3, 6, {217, 68}, 2);
    TJPEGImage* add = rig.add("AddJPG", SkinList::ImageList3, 0, {150, 50}, 2);
    rig.rule->setReactCondition(edit, [&selected] { return selected; });
    QVERIFY(rig.show());

    QVERIFY(!rig.rule->reacts(edit));
    moveOver(add);
    moveOver(edit);
    QVERIFY(!rig.rule->isHighlighted(edit));
    CHECK_LOOK(rig, edit, Look::Normal);
    // Moving onto it still restores the rest of its group.
    CHECK_LOOK(rig, add, Look::Normal);
    QVERIFY(!rig.rule->isHighlighted(add));

    QTest::mouseClick(edit, Qt::LeftButton);
    QTest::mousePress(edit, Qt::LeftButton);
    CHECK_LOOK(rig, edit, Look::Normal);
    QTest::mouseRelease(edit, Qt::LeftButton);
    QCOMPARE(rig.clicks(edit), 0);

    // An item gets selected while the pointer rests on it: the next move lights it.
    selected = true;
    moveOver(edit, {6, 6});
    CHECK_LOOK(rig, edit, Look::Highlighted);
    // The selection goes away: the next move over it draws it normal and clears its mark.
    selected = false;
    moveOver(edit, {7, 7});
    QVERIFY(!rig.rule->isHighlighted(edit));
    CHECK_LOOK(rig, edit, Look::Normal);
    QCOMPARE(rig.clicks(edit), 0);
}

void TestPictureButtons::conditionLostDuringPressDoesNotAct() {
    Rig rig({300, 200});
    bool stopped = true;
    TJPEGImage* ok = rig.add("OKJPG", SkinList::ImageList2, 10, {61, 128});
    rig.rule->setReactCondition(ok, [&stopped] { return stopped; });
    QVERIFY(rig.show());

    moveOver(ok);
    QTest::mousePress(ok, Qt::LeftButton);
    CHECK_LOOK(rig, ok, Look::Pressed);
    stopped = false;
    QTest::mouseRelease(ok, Qt::LeftButton);
    QCOMPARE(rig.clicks(ok), 0);
    CHECK_LOOK(rig, ok, Look::Normal); // no pressed look left behind

    // A press on a non-reacting button does not turn into a click when it starts reacting meanwhile.
    QTest::mousePress(ok, Qt::LeftButton);
    stopped = true;
    QTest::mouseRelease(ok, Qt::LeftButton);
    QCOMPARE(rig.clicks(ok), 0);
    QTest::mouseClick(ok, Qt::LeftButton);
    QCOMPARE(rig.clicks(ok), 1);
}

void TestPictureButtons::backgroundRestoresVisibleButtonsOnly() {
    Rig rig({501, 399});
    TJPEGImage* help = rig.add("HelpJPG", SkinList::ImageList1, 2, {392, 23}, 0);
    TJPEGImage* newB = rig.add("NewJPG", SkinList::ImageList4, 0, {148, 52}, 1);
    TJPEGImage* add = rig.add("AddJPG", SkinList::ImageList3, 0, {150, 50}, 2);
    add->hide();
    QVERIFY(rig.show());

    moveOver(newB);
    moveOver(help);
    QVERIFY(rig.rule->isHighlighted(newB));

    // A collection opens (by keyboard, say): the New group hides while still lit.
    newB->hide();
    add->show();
    moveOver(rig.background, {20, 300});
    QVERIFY(!rig.rule->isHighlighted(help));
    CHECK_LOOK(rig, help, Look::Normal);
    QVERIFY(rig.rule->isHighlighted(newB)); // hidden: keeps its mark

    moveOver(add);
    CHECK_LOOK(rig, add, Look::Highlighted);
    QVERIFY(rig.rule->isHighlighted(newB)); // another group

    // Back to no collection: New shows its own picture, its old mark keeps it dark until the
    // background has cleared the mark.
    add->hide();
    newB->show();
    QVERIFY(rig.rule->isHighlighted(add));
    CHECK_LOOK(rig, newB, Look::Normal);
    moveOver(newB);
    CHECK_LOOK(rig, newB, Look::Normal);
    moveOver(rig.background, {20, 300});
    QVERIFY(!rig.rule->isHighlighted(newB));
    QVERIFY(rig.rule->isHighlighted(add));
    moveOver(newB);
    CHECK_LOOK(rig, newB, Look::Highlighted);
}

void TestPictureButtons::labelsAndListsActAsBackground() {
    Rig rig({300, 250});
    TJPEGImage* ok = rig.add("OKJPG", SkinList::ImageList2, 10, {152, 200});
    auto* label = new QLabel("total items:  3", rig.window.get());
    label->setObjectName("TotalLBL");
    label->setGeometry(10, 10, 120, 20);
    auto* list = new QListWidget(rig.window.get());
    list->setObjectName("ListBox2");
    list->setGeometry(10, 40, 178, 120);
    list->addItems({"alpha", "beta"});
    auto* loose = new QLabel("not wired", rig.window.get());
    loose->setGeometry(200, 10, 90, 20);
    rig.rule->attachBackground(label);
    rig.rule->attachBackground(list);
    QVERIFY(rig.show());

    // A label that is not wired to the background handler leaves the look alone.
    moveOver(ok);
    moveOver(loose);
    CHECK_LOOK(rig, ok, Look::Highlighted);

    moveOver(label);
    CHECK_LOOK(rig, ok, Look::Normal);
    QVERIFY(!rig.rule->isHighlighted(ok));

    moveOver(ok);
    moveOver(list->viewport(), {20, 20});
    CHECK_LOOK(rig, ok, Look::Normal);
    QVERIFY(!rig.rule->isHighlighted(ok));
}

void TestPictureButtons::activationClearsLooksKeepsMarks() {
    Rig rig({300, 200});
    TJPEGImage* ok = rig.add("OKJPG", SkinList::ImageList2, 10, {56, 120});
    TJPEGImage* cancel = rig.add("CancelBtn", SkinList::ImageList2, 2, {168, 120});
    QVERIFY(rig.show());
    moveOver(ok);
    CHECK_LOOK(rig, ok, Look::Highlighted);

    // Another window takes the focus, then this one becomes active again.
    QWidget other;
    other.resize(50, 50);
    other.show();
    other.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&other));
    rig.window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(rig.window.get()));

    CHECK_LOOK(rig, ok, Look::Normal);
    CHECK_LOOK(rig, cancel, Look::Normal);
    QVERIFY(rig.rule->isHighlighted(ok));
    QVERIFY(!rig.rule->isHighlighted(cancel));

    // The kept mark means the pointer must leave and return before it lights again.
    moveOver(ok, {20, 10});
    CHECK_LOOK(rig, ok, Look::Normal);
    moveOver(cancel);
    CHECK_LOOK(rig, cancel, Look::Highlighted);
    QVERIFY(!rig.rule->isHighlighted(ok));
    moveOver(ok);
    CHECK_LOOK(rig, ok, Look::Highlighted);

    // A pressed look goes the same way.
    QTest::mousePress(ok, Qt::LeftButton);
    CHECK_LOOK(rig, ok, Look::Pressed);
    rig.rule->repaintButtons();
    CHECK_LOOK(rig, ok, Look::Normal);
    QTest::mouseRelease(ok, Qt::LeftButton);
    QCOMPARE(rig.clicks(ok), 1);
}

void TestPictureButtons::anyReleaseButtonActsOnRightRelease() {
    // The add/edit dialog's Edit button acts on the release of any mouse button.
    Rig rig({350, 380});
    bool inputOk = true;
    TJPEGImage* edit = rig.add("EditJPG", SkinList::ImageList2, 6, {97, 336});
    TJPEGImage* cancel = rig.add("CancelJPG", SkinList::ImageList2, 2, {209, 336});
    rig.rule->setActsOnAnyRelease(edit, true);
    rig.rule->setReactCondition(edit, [&inputOk] { return inputOk; });
    QVERIFY(rig.show());

    moveOver(edit);
    QTest::mousePress(edit, Qt::RightButton);
    CHECK_LOOK(rig, edit, Look::Highlighted); // only the left button shows the pressed look
    QTest::mouseRelease(edit, Qt::RightButton);
    QCOMPARE(rig.clicks(edit), 1);
    CHECK_LOOK(rig, edit, Look::Normal);

    QTest::mouseClick(edit, Qt::MiddleButton);
    QTest::mouseClick(edit, Qt::LeftButton);
    QCOMPARE(rig.clicks(edit), 3);

    inputOk = false;
    QTest::mouseClick(edit, Qt::RightButton);
    QCOMPARE(rig.clicks(edit), 3);

    // The others keep to the left button.
    moveOver(cancel);
    QTest::mouseClick(cancel, Qt::RightButton);
    QCOMPARE(rig.clicks(cancel), 0);
}

void TestPictureButtons::enterKeyClicks() {
    Rig rig({501, 399});
    bool selected = true;
    TJPEGImage* edit = rig.add("EditJPG", SkinList::ImageList3, 6, {217, 68}, 2);
    TJPEGImage* add = rig.add("AddJPG", SkinList::ImageList3, 0, {150, 50}, 2);
    rig.rule->setReactCondition(edit, [&selected] { return selected; });
    QVERIFY(rig.show());
    moveOver(add);

    // The item list's Enter: pressed look, then the normal look and the list's own command.
    int listCommands = 0;
    QVERIFY(rig.rule->enterPressed(edit));
    CHECK_LOOK(rig, edit, Look::Pressed);
    QVERIFY(!rig.rule->isHighlighted(edit)); // keys leave the marks alone
    QVERIFY(rig.rule->isHighlighted(add));
    QVERIFY(rig.rule->enterReleased(edit, [&listCommands] { ++listCommands; }));
    CHECK_LOOK(rig, edit, Look::Normal);
    QCOMPARE(listCommands, 1);
    QCOMPARE(rig.clicks(edit), 0);

    // Without a command the button's own action runs, as a left release would run it.
    QVERIFY(rig.rule->enterPressed(edit));
    QVERIFY(rig.rule->enterPressed(edit)); // key repeat
    QVERIFY(rig.rule->enterReleased(edit));
    QCOMPARE(rig.clicks(edit), 1);

    // A key released with no press on this window (it went down elsewhere) does nothing.
    QVERIFY(!rig.rule->enterReleased(edit));
    QCOMPARE(rig.clicks(edit), 1);

    // Not reacting: no pressed look, no command.
    selected = false;
    QVERIFY(!rig.rule->enterPressed(edit));
    CHECK_LOOK(rig, edit, Look::Normal);
    QVERIFY(!rig.rule->enterReleased(edit));
    // Stops reacting between press and release: the pressed look goes, nothing runs.
    selected = true;
    QVERIFY(rig.rule->enterPressed(edit));
    selected = false;
    QVERIFY(!rig.rule->enterReleased(edit));
    CHECK_LOOK(rig, edit, Look::Normal);
    QCOMPARE(rig.clicks(edit), 1);
    QCOMPARE(listCommands, 1);
}

void TestPictureButtons::actionHidingWindowLeavesCleanState() {
    // A dialog's OK hides the dialog from inside the click, as a modal dialog closes.
    Rig rig({300, 200});
    TJPEGImage* ok = rig.add("OKJPG", SkinList::ImageList2, 10, {44, 100});
    TJPEGImage* cancel = rig.add("CancelJPG", SkinList::ImageList2, 2, {132, 100});
    int closes = 0;
    rig.rule->setAction(ok, [&] {
        ++closes;
        rig.window->hide();
    });
    QVERIFY(rig.show());
    moveOver(cancel);
    moveOver(ok);
    QTest::mousePress(ok, Qt::LeftButton);
    QTest::mouseRelease(ok, Qt::LeftButton);
    QCOMPARE(closes, 1);
    QVERIFY(!rig.window->isVisible());

    // Shown again: normal looks, the mark kept from before.
    QVERIFY(rig.show());
    CHECK_LOOK(rig, ok, Look::Normal);
    CHECK_LOOK(rig, cancel, Look::Normal);
    QVERIFY(rig.rule->isHighlighted(ok));
    moveOver(rig.background, {2, 2});
    moveOver(ok);
    CHECK_LOOK(rig, ok, Look::Highlighted);

    // Hidden in the middle of a press: the press is forgotten, not finished later.
    QTest::mousePress(ok, Qt::LeftButton);
    rig.window->hide();
    QVERIFY(rig.show());
    CHECK_LOOK(rig, ok, Look::Normal);
    QVERIFY(!rig.rule->enterReleased(ok));
    QTest::mouseRelease(ok, Qt::LeftButton);
    QCOMPARE(closes, 1);
}

void TestPictureButtons::destroyedButtonIsForgotten() {
    Rig rig({300, 200});
    TJPEGImage* ok = rig.add("OKJPG", SkinList::ImageList2, 10, {40, 50});
    TJPEGImage* cancel = rig.add("CancelJPG", SkinList::ImageList2, 2, {128, 50});
    QVERIFY(rig.show());
    moveOver(ok);
    rig.info.erase(ok);
    delete ok;
    QCOMPARE(rig.rule->buttonCount(), 1);
    QVERIFY(!rig.rule->contains(ok));
    moveOver(cancel);
    moveOver(rig.background, {5, 5});
    CHECK_LOOK(rig, cancel, Look::Normal);
    QVERIFY(!rig.rule->isHighlighted(cancel));
}

QTEST_MAIN(TestPictureButtons)
#include "test_picturebuttons.moc"
