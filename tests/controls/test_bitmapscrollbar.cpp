#include "controls/BitmapScrollBar.h"

#include <QElapsedTimer>
#include <QFile>
#include <QPointer>
#include <QTimer>
#include <QtTest>

#include <vector>

using vitrinex::ScrollBarKind;
using vitrinex::ScrollBarLayout;
using vitrinex::ScrollBarModel;
using vitrinex::ScrollPress;
using vitrinex::ScrollRect;
using Codes = std::vector<int>;

namespace {

QPixmap solid(QSize size, QColor colour) {
    QPixmap p(size);
    p.fill(colour);
    return p;
}

// The item-list bar's skin picture when the artwork is there, else a picture of the same size.
QPixmap skinOr(const char* name, QSize size, QColor colour) {
    QPixmap p;
    const QString path = QStringLiteral(VITRINEX_ASSETS_DIR "/skin/") + QLatin1String(name);
    return QFile::exists(path) && p.load(path) ? p : solid(size, colour);
}

// Records what a bar or model reports.
struct Recorder {
    int changes = 0;
    Codes codes;
    std::vector<int> positions;

    void attach(ScrollBarModel& m) {
        m.onChange = [this] { ++changes; };
        m.onScroll = [this](int code, int& pos) {
            codes.push_back(code);
            positions.push_back(pos);
        };
    }
    void attach(TBMPScrollBar& bar) {
        QObject::connect(&bar, &TBMPScrollBar::OnChange, [this] { ++changes; });
        bar.OnScroll = [this](int code, int& pos) {
            codes.push_back(code);
            positions.push_back(pos);
        };
    }
    int count(int code) const { return int(std::count(codes.begin(), codes.end(), code)); }
};

// The item-list bar's bitmap sizes at their natural 18 x 155: ends 12 and 13, track 130, thumb 13,
// travel 117.
ScrollBarModel listModel() {
    ScrollBarModel m;
    m.setBitmapSize(ScrollBarModel::TopLeft, {18, 12});
    m.setBitmapSize(ScrollBarModel::Track, {18, 130});
    m.setBitmapSize(ScrollBarModel::BottomRight, {18, 13});
    m.setBitmapSize(ScrollBarModel::Thumb, {13, 13});
    return m;
}

void setColours(TBMPScrollBar& bar) {
    bar.setBMPTopLeft(solid({18, 12}, Qt::red));
    bar.setBMPTrack(solid({18, 130}, Qt::green));
    bar.setBMPBottomRight(solid({18, 13}, Qt::blue));
    bar.setBMPThumb(solid({13, 13}, Qt::yellow));
    bar.show();
}

} // namespace

class TestBMPScrollBar : public QObject {
    Q_OBJECT

private slots:
    void settersIgnoreInsteadOfClamping();
    void autoSizeFollowsBitmapsKindAndSwitch();
    void layoutScalesEndsAndRoundsHalvesToEven();
    void stepsAtAndNearTheLimits();
    void thumbDragAccumulatesAndDropsMovesPastTheEnd();
    void pressOnEndRepeatsUntilReleased();
    void pressEndsWhenPointerLeavesOrThumbReachesIt();
    void pressAtTheLimitWaitsForRelease();
    void thumbDragWithTheMouse();
    void pressEndsWhenBarIsHiddenDisabledOrDeleted();
    void paintsBitmapsIntoTheirRectangles();
};

void TestBMPScrollBar::settersIgnoreInsteadOfClamping() {
    TBMPScrollBar bar;
    QCOMPARE(bar.size(), QSize(20, 100));
    QCOMPARE(bar.max(), 100);
    QCOMPARE(bar.smallChange() + bar.largeChange(), 2);
    QVERIFY(bar.autoSize() && bar.kind() == ScrollBarKind::Vertical);
    QVERIFY(bar.testAttribute(Qt::WA_OpaquePaintEvent));

    Recorder r;
    r.attach(bar);
    QVERIFY(bar.setProperty("Min", 10)); // the published names work through the property system
    bar.setMax(20);
    QCOMPARE(bar.position(), 10); // moved up by Min, without a change notice
    bar.setPosition(25);
    bar.setPosition(9);
    bar.setPosition(10);
    QCOMPARE(bar.position(), 10);
    QCOMPARE(r.changes, 0);
    bar.setPosition(20);
    QCOMPARE(r.changes, 1);
    QVERIFY(r.codes.empty()); // setting by program is no user scroll

    ScrollBarModel m;
    QVERIFY(m.setPosition(50));
    QVERIFY(!m.setMax(-1) && m.max() == 100); // below Min
    QVERIFY(m.setMax(40) && m.position() == 40);
    QVERIFY(!m.setMin(41) && m.min() == 0); // above Max
    QVERIFY(m.setMin(40) && m.position() == 40);
    QVERIFY(m.setMax(60) && m.setMin(45) && m.position() == 45);
    QVERIFY(m.setMin(30) && m.position() == 45); // lowering Min leaves Position alone

    // SmallChange within [Min, LargeChange], LargeChange within [SmallChange, Max].
    QVERIFY(!m.setSmallChange(2) && !m.setLargeChange(61) && !m.setLargeChange(0));
    QVERIFY(m.setLargeChange(60) && m.setSmallChange(60));
    QVERIFY(!m.setLargeChange(59) && !m.setSmallChange(29));
    QCOMPARE(m.smallChange(), 60);
}

void TestBMPScrollBar::autoSizeFollowsBitmapsKindAndSwitch() {
    TBMPScrollBar bar;
    bar.setBMPTopLeft(solid({18, 12}, Qt::red));
    QCOMPARE(bar.size(), QSize(18, 12));
    bar.setBMPTrack(solid({14, 39}, Qt::green));
    QCOMPARE(bar.size(), QSize(14, 51)); // width from the bitmap just set
    bar.setBMPBottomRight(solid({18, 13}, Qt::blue));
    bar.setBMPThumb(solid({13, 30}, Qt::yellow));
    QCOMPARE(bar.size(), QSize(18, 64)); // the thumb neither counts nor sizes
    bar.setKind(ScrollBarKind::Horizontal);
    QCOMPARE(bar.size(), QSize(18 + 14 + 18, 12)); // widths along, the top/left bitmap's height across
    bar.setKind(ScrollBarKind::Vertical);

    bar.setAutoSize(false);
    bar.resize(21, 61);
    bar.setBMPTopLeft(solid({18, 20}, Qt::red));
    bar.setKind(ScrollBarKind::Horizontal);
    QCOMPARE(bar.size(), QSize(21, 61)); // a size set by hand stays
    bar.setKind(ScrollBarKind::Vertical);
    bar.setAutoSize(true);
    QCOMPARE(bar.size(), QSize(18, 72));

    // Without end and track bitmaps the bar takes the default size of its kind.
    bar.setBMPTopLeft(QPixmap());
    bar.setBMPTrack(QPixmap());
    bar.setBMPBottomRight(QPixmap());
    QCOMPARE(bar.size(), QSize(20, 100));
    bar.setKind(ScrollBarKind::Horizontal);
    QCOMPARE(bar.size(), QSize(100, 20));
}

void TestBMPScrollBar::layoutScalesEndsAndRoundsHalvesToEven() {
    QCOMPARE(vitrinex::roundHalfEven(5, 2), 2LL);
    QCOMPARE(vitrinex::roundHalfEven(7, 2), 4LL);
    QCOMPARE(vitrinex::roundHalfEven(-5, 2), -2LL);
    QCOMPARE(vitrinex::roundHalfEven(-2, 3), -1LL);

    // The item-list bar as the main window places it: 18 x 161 though its bitmaps add up to 155.
    TBMPScrollBar bar;
    bar.setBMPTopLeft(skinOr("listbar-top.png", {18, 12}, Qt::red));
    bar.setBMPTrack(skinOr("listbar-track.png", {18, 130}, Qt::green));
    bar.setBMPBottomRight(skinOr("listbar-bottom.png", {18, 13}, Qt::blue));
    bar.setBMPThumb(skinOr("listbar-thumb.png", {13, 13}, Qt::yellow));
    QCOMPARE(bar.size(), QSize(18, 155));
    bar.setAutoSize(false);
    bar.resize(18, 161);
    bar.setMin(1);
    bar.setMax(1);
    ScrollBarLayout l = bar.currentLayout();
    QCOMPARE(l.topLeft, (ScrollRect{0, 0, 18, 12}));        // 12 * 161 / 155 = 12.46
    QCOMPARE(l.bottomRight, (ScrollRect{0, 147, 18, 161})); // 13 * 161 / 155 = 13.50..
    QCOMPARE(l.track, (ScrollRect{0, 12, 18, 147}));
    QCOMPARE(l.travel, 122);
    QCOMPARE(l.thumb, (ScrollRect{0, 12, 18, 25})); // Min = Max: at the top of the track
    QVERIFY(l.trackBefore.isEmpty());
    QCOMPARE(l.trackAfter, (ScrollRect{0, 25, 18, 147}));
    bar.setMax(11);
    bar.setPosition(11);
    QCOMPARE(bar.currentLayout().thumb, (ScrollRect{0, 134, 18, 147}));
    bar.setPosition(4); // 3/10 of 122 = 36.6
    QCOMPARE(bar.currentLayout().offset, 37);

    // Ends of 2.5 and 3.5 round to 2 and 4; offsets of 0.5, 1.5, 2.5 to 0, 2, 2.
    ScrollBarModel m;
    m.setAutoSize(false);
    m.setBitmapSize(ScrollBarModel::TopLeft, {10, 1});
    m.setBitmapSize(ScrollBarModel::Track, {10, 2});
    m.setBitmapSize(ScrollBarModel::BottomRight, {10, 1});
    m.setBitmapSize(ScrollBarModel::Thumb, {10, 1});
    m.setSize({10, 10});
    QCOMPARE(m.layout().topLeftLength + m.layout().bottomRightLength, 4);
    m.setSize({10, 14});
    QCOMPARE(m.layout().topLeftLength, 4);
    QCOMPARE(m.layout().travel, 5);
    m.setMax(10);
    const int expected[] = {0, 0, 2, 2, 4};
    for (int i = 0; i < 5; ++i) {
        m.setPosition(2 * i - 1 < 0 ? 0 : 2 * i - 1);
        QCOMPARE(m.layout().offset, expected[i]);
    }

    // A thumb longer than the track: the rectangles beside it are inverted and contain no point.
    m.setBitmapSize(ScrollBarModel::Thumb, {10, 5});
    m.setSize({10, 3});
    QCOMPARE(m.layout().travel, -4);
    for (int y = -5; y < 8; ++y)
        QVERIFY(!m.layout().trackBefore.contains({5, y}) && !m.layout().trackAfter.contains({5, y}));

    // Horizontal: the same along x, full height across.
    ScrollBarModel h = listModel();
    h.setKind(ScrollBarKind::Horizontal);
    for (auto b : {ScrollBarModel::TopLeft, ScrollBarModel::Track, ScrollBarModel::BottomRight})
        h.setBitmapSize(b, h.bitmapSize(b).transposed());
    QCOMPARE(h.size(), QSize(155, 18));
    h.setPosition(100);
    QCOMPARE(h.layout().thumb, (ScrollRect{129, 0, 142, 18}));
    QCOMPARE(h.layout().trackBefore, (ScrollRect{12, 0, 129, 18}));

    ScrollBarModel empty;
    QCOMPARE(empty.naturalLength(), 0LL);
    QVERIFY(empty.layout().thumb.isEmpty() && empty.layout().track.isEmpty());
}

void TestBMPScrollBar::stepsAtAndNearTheLimits() {
    ScrollBarModel m;
    m.setMax(10);
    QVERIFY(m.setLargeChange(5) && m.setSmallChange(3));
    m.setPosition(5);
    Recorder r;
    r.attach(m);
    QVERIFY(m.lineUp());
    QVERIFY(m.lineUp());                 // 2 - 3 is below Min: to Min with code top
    QVERIFY(!m.lineUp() && !m.pageUp()); // at Min: nothing at all
    QVERIFY(m.pageDown() && m.lineDown());
    QVERIFY(m.lineDown()); // 11 is past Max: to Max with code bottom
    QVERIFY(!m.lineDown());
    QVERIFY(m.pageUp() && m.pageUp()); // the second lands exactly on Min: an ordinary step
    QCOMPARE(r.codes, (Codes{vitrinex::scLineUp, vitrinex::scTop, vitrinex::scPageDown, vitrinex::scLineDown,
                             vitrinex::scBottom, vitrinex::scPageUp, vitrinex::scPageUp}));
    QCOMPARE(r.positions, (std::vector<int>{2, 0, 5, 8, 10, 5, 0}));
    QCOMPARE(r.changes, 7);

    // The scroll handler may move the position; out of range it is ignored.
    m.onScroll = [](int code, int& pos) { pos = code == vitrinex::scLineDown ? 7 : 500; };
    m.lineDown();
    QCOMPARE(m.position(), 7);
    m.lineUp();
    QCOMPARE(m.position(), 4);
    QCOMPARE(r.changes, 10);

    // Min = Max: nothing moves either way.
    ScrollBarModel fixed;
    fixed.setMin(1);
    fixed.setMax(1);
    QVERIFY(!fixed.lineUp() && !fixed.pageDown() && fixed.layout().offset == 0);
}

void TestBMPScrollBar::thumbDragAccumulatesAndDropsMovesPastTheEnd() {
    ScrollBarModel m = listModel();
    m.setMax(13); // 13 steps over 117 px: one step per 9 px
    Recorder r;
    r.attach(m);
    QCOMPARE(m.press({9, 15}), ScrollPress::Thumb);
    m.pointerMoved({9, 19}); // 0.44 of a step
    m.pointerMoved({9, 23}); // 0.89 from the press point
    QCOMPARE(m.position(), 0);
    m.pointerMoved({9, 25}); // 1.11
    m.pointerMoved({9, 29}); // 0.44 from the new remembered point
    QCOMPARE(m.position(), 1);
    m.pointerMoved({9, 47}); // 2.44
    m.pointerMoved({9, 34}); // -1.44
    QCOMPARE(r.codes, (Codes{vitrinex::scTrack, vitrinex::scTrack, vitrinex::scTrack}));
    QCOMPARE(r.positions, (std::vector<int>{1, 3, 2}));
    m.release();
    m.release(); // a second release reports nothing more
    QCOMPARE(r.codes.back(), int(vitrinex::scEndScroll));
    QCOMPARE(r.count(vitrinex::scEndScroll), 1);

    // One step a pixel. A move that would end past Max is dropped whole, and not kept for later.
    m.setMax(117);
    m.setPosition(100); // thumb from 112
    r = Recorder{};
    r.attach(m);
    QCOMPARE(m.press({9, 114}), ScrollPress::Thumb);
    m.pointerMoved({9, 134});
    QCOMPARE(m.position(), 100);
    m.pointerMoved({9, 129});
    QCOMPARE(m.position(), 95);
    QCOMPARE(r.codes, (Codes{vitrinex::scTrack}));
    m.release();

    // The travel stands for the range, not for Max: with Min 100 the thumb still follows the pointer.
    ScrollBarModel shifted = listModel();
    shifted.setMax(217);
    shifted.setMin(100);
    QCOMPARE(shifted.press({9, 15}), ScrollPress::Thumb);
    shifted.pointerMoved({9, 25});
    QCOMPARE(shifted.position(), 110);
    shifted.pointerMoved({9, 132});
    QCOMPARE(shifted.position(), 217);

    // A thumb as long as the track has no travel and cannot be dragged.
    shifted.release();
    shifted.setBitmapSize(ScrollBarModel::Thumb, {13, 130});
    QCOMPARE(shifted.press({9, 100}), ScrollPress::Thumb);
    shifted.pointerMoved({9, 60});
    QCOMPARE(shifted.position(), 217);
}

void TestBMPScrollBar::pressOnEndRepeatsUntilReleased() {
    TBMPScrollBar bar;
    setColours(bar);
    bar.setMax(20);
    bar.setLargeChange(5);
    bar.setSmallChange(3);
    bar.setPosition(12);
    Recorder r;
    r.attach(bar);
    // Let go once the bar has run to its end; a poll limit keeps a broken loop from hanging the test.
    const QPoint end(9, 150);
    int polls = 0;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &bar, [&] {
        if (bar.position() == bar.max() || ++polls > 5000) {
            poll.stop();
            QTest::mouseRelease(&bar, Qt::LeftButton, {}, end);
        }
    });
    poll.start(1);
    QTest::mousePress(&bar, Qt::LeftButton, {}, end);

    QCOMPARE(bar.pressState(), ScrollPress::None);
    QCOMPARE(r.codes,
             (Codes{vitrinex::scLineDown, vitrinex::scLineDown, vitrinex::scBottom, vitrinex::scEndScroll}));
    QCOMPARE(r.positions, (std::vector<int>{15, 18, 20, 20}));
    QCOMPARE(r.changes, 3);
}

void TestBMPScrollBar::pressEndsWhenPointerLeavesOrThumbReachesIt() {
    TBMPScrollBar bar;
    setColours(bar);
    bar.setPosition(100);
    Recorder r;
    int ups = 0;
    bar.OnScroll = [&](int code, int&) {
        r.codes.push_back(code);
        if (code == vitrinex::scLineUp && ++ups == 3) // slide off the top end onto the track
            QTimer::singleShot(0, &bar, [&] { QTest::mouseMove(&bar, {9, 60}); });
    };
    QTest::mousePress(&bar, Qt::LeftButton, {}, {9, 5});
    QCOMPARE(bar.pressState(), ScrollPress::None); // ended without a release
    QVERIFY(ups >= 3);
    QCOMPARE(int(r.codes.size()), ups + 1);
    QCOMPARE(r.codes.back(), int(vitrinex::scEndScroll));
    QCOMPARE(bar.position(), 100 - ups);
    QTest::mouseRelease(&bar, Qt::LeftButton, {}, {9, 60});
    QCOMPARE(r.count(vitrinex::scEndScroll), 1);

    // Page presses, down and up: the thumb (13 px from 12 + offset, offset = position * 1.17) stops
    // under the pointer without a release, at y = 72 on position 50 (offset 58.5 rounded to 58) and
    // back at y = 30 on position 10.
    bar.setPosition(0);
    bar.setLargeChange(10);
    r = Recorder{};
    r.attach(bar);
    QTest::mousePress(&bar, Qt::LeftButton, {}, {9, 72});
    QCOMPARE(bar.position(), 50);
    QVERIFY(bar.currentLayout().thumb.contains({9, 72}));
    QTest::mouseRelease(&bar, Qt::LeftButton, {}, {9, 72});
    QTest::mousePress(&bar, Qt::LeftButton, {}, {9, 30});
    QCOMPARE(bar.position(), 10);
    QTest::mouseRelease(&bar, Qt::LeftButton, {}, {9, 30});
    QCOMPARE(r.codes, (Codes{3, 3, 3, 3, 3, vitrinex::scEndScroll, 2, 2, 2, 2, vitrinex::scEndScroll}));
}

void TestBMPScrollBar::pressAtTheLimitWaitsForRelease() {
    TBMPScrollBar bar;
    setColours(bar);
    Recorder r;
    r.attach(bar);
    QElapsedTimer clock;
    clock.start();
    QTimer::singleShot(60, &bar, [&] { QTest::mouseRelease(&bar, Qt::LeftButton, {}, {9, 5}); });
    QTest::mousePress(&bar, Qt::LeftButton, {}, {9, 5});
    QVERIFY(clock.elapsed() >= 50); // held until the release, not ended on its own
    QCOMPARE(r.changes, 0);
    QCOMPARE(r.codes, (Codes{vitrinex::scEndScroll}));

    // Min = Max: pressing the other end waits the same way, without a change.
    bar.setMin(1);
    bar.setMax(1);
    QTimer::singleShot(20, &bar, [&] { QTest::mouseRelease(&bar, Qt::LeftButton, {}, {9, 150}); });
    QTest::mousePress(&bar, Qt::LeftButton, {}, {9, 150});
    QCOMPARE(bar.position(), 1);
    QCOMPARE(r.changes, 0);
    QCOMPARE(r.count(vitrinex::scEndScroll), 2);

    // A bar without bitmaps has no parts to press.
    TBMPScrollBar plain;
    plain.show();
    QTest::mousePress(&plain, Qt::LeftButton, {}, {10, 50});
    QCOMPARE(plain.pressState(), ScrollPress::None);
    QTest::mouseRelease(&plain, Qt::LeftButton, {}, {10, 50});
}

void TestBMPScrollBar::thumbDragWithTheMouse() {
    TBMPScrollBar bar;
    setColours(bar);
    bar.setMax(117);
    Recorder r;
    r.attach(bar);
    QTest::mousePress(&bar, Qt::LeftButton, {}, {9, 18});
    QCOMPARE(bar.pressState(), ScrollPress::Thumb);
    QTest::mouseMove(&bar, {9, 28});
    QCOMPARE(bar.position(), 10);
    QTest::mouseMove(&bar, {40, 60}); // off the bar
    QTest::mouseMove(&bar, {9, 150}); // over the bottom end
    QCOMPARE(bar.position(), 10);
    QTest::mouseMove(&bar, {9, 58});
    QCOMPARE(bar.position(), 40);
    QVERIFY(bar.currentLayout().thumb.contains({9, 58})); // the thumb stays under the pointer
    QTest::mouseRelease(&bar, Qt::LeftButton, {}, {9, 58});
    QTest::mouseMove(&bar, {9, 100}); // no press under way
    QCOMPARE(bar.position(), 40);
    QCOMPARE(r.codes, (Codes{vitrinex::scTrack, vitrinex::scTrack, vitrinex::scEndScroll}));
    QCOMPARE(r.changes, 2);
}

void TestBMPScrollBar::pressEndsWhenBarIsHiddenDisabledOrDeleted() {
    TBMPScrollBar bar;
    setColours(bar);
    Recorder r;
    r.attach(bar);
    // Pressed at the limit, so the loop would wait for a release that a hidden bar never gets.
    QTimer::singleShot(20, &bar, [&] { bar.hide(); });
    QTest::mousePress(&bar, Qt::LeftButton, {}, {9, 5});
    QCOMPARE(bar.pressState(), ScrollPress::None);
    QCOMPARE(r.codes, (Codes{vitrinex::scEndScroll}));

    bar.show();
    QTest::mousePress(&bar, Qt::LeftButton, {}, {9, 18}); // on the thumb
    QCOMPARE(bar.pressState(), ScrollPress::Thumb);
    bar.setEnabled(false);
    QCOMPARE(bar.pressState(), ScrollPress::None);
    QCOMPARE(r.count(vitrinex::scEndScroll), 2);

    QWidget window;
    QPointer<TBMPScrollBar> owned = new TBMPScrollBar(&window);
    setColours(*owned);
    window.show();
    QTimer::singleShot(20, &window, [&] { delete owned.data(); });
    QTest::mousePress(owned.data(), Qt::LeftButton, {}, {9, 5});
    QVERIFY(owned.isNull());
}

void TestBMPScrollBar::paintsBitmapsIntoTheirRectangles() {
    TBMPScrollBar bar;
    setColours(bar);
    bar.setMax(10);
    bar.setAutoSize(false);
    bar.resize(18, 310); // twice the natural length: ends 24 and 26, track 260, thumb still 13
    QImage img = bar.grab().toImage();
    const struct {
        int y;
        QColor colour;
    } before[] = {{0, Qt::red},    {23, Qt::red},    {24, Qt::yellow}, {36, Qt::yellow},
                  {37, Qt::green}, {283, Qt::green}, {284, Qt::blue},  {309, Qt::blue}};
    for (const auto& p : before)
        QCOMPARE(img.pixelColor(9, p.y), p.colour);
    QCOMPARE(img.pixelColor(17, 30), QColor(Qt::yellow)); // the 13 px thumb is stretched across
    bar.setPosition(10);
    img = bar.grab().toImage();
    QCOMPARE(img.pixelColor(9, 30), QColor(Qt::green));
    QCOMPARE(img.pixelColor(9, 271), QColor(Qt::yellow));

    // Without bitmaps: the window colour (and the control's name at the top left).
    TBMPScrollBar plain;
    plain.setObjectName(QStringLiteral("BMPScrollBar1"));
    QPalette pal = plain.palette();
    pal.setColor(QPalette::Window, QColor(10, 20, 30));
    plain.setPalette(pal);
    plain.setBMPThumb(solid({13, 13}, Qt::yellow)); // a thumb alone is no natural length
    img = plain.grab().toImage();
    QCOMPARE(img.size(), QSize(20, 100));
    QCOMPARE(img.pixelColor(10, 90), QColor(10, 20, 30));
}

QTEST_MAIN(TestBMPScrollBar)
#include "test_bitmapscrollbar.moc"
