#pragma once
// TBMPScrollBar, the bitmap scroll bar: drawn entirely from four bitmaps (top/left end, track,
// bottom/right end, thumb), so that it matches the skinned windows. The rules live in
// vitrinex::ScrollBarModel, which needs no screen; TBMPScrollBar is the widget around it.

#include <QPixmap>
#include <QPoint>
#include <QSize>
#include <QWidget>

#include <array>
#include <functional>

namespace vitrinex {

// Codes handed to a scroll handler.
enum ScrollCode : int {
    scLineUp = 0,
    scLineDown = 1,
    scPageUp = 2,
    scPageDown = 3,
    scTrack = 5,
    scTop = 6,
    scBottom = 7,
    scEndScroll = 8,
};

enum class ScrollBarKind { Horizontal, Vertical };

// What a left-button press is holding on to.
enum class ScrollPress { None, TopLeftEnd, BottomRightEnd, PageBefore, PageAfter, Thumb };

// Left, top, right, bottom with the right and bottom edges outside, as the hit-tests need them.
// An inverted rectangle contains nothing (QRect would quietly normalise it).
struct ScrollRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    bool contains(QPoint p) const { return p.x() >= left && p.x() < right && p.y() >= top && p.y() < bottom; }
    bool isEmpty() const { return right <= left || bottom <= top; }
    bool operator==(const ScrollRect&) const = default;
};

struct ScrollBarLayout {
    ScrollRect topLeft, track, bottomRight, trackBefore, trackAfter, thumb;
    // Lengths along the axis.
    int topLeftLength = 0;
    int trackLength = 0;
    int bottomRightLength = 0;
    int thumbLength = 0;
    int travel = 0; // track length minus thumb length
    int offset = 0; // thumb's distance from the start of the track
};

// num / den rounded to the nearest integer, halves to the even neighbour; den must be positive.
long long roundHalfEven(long long num, long long den);

class ScrollBarModel {
public:
    enum Bitmap { TopLeft = 0, BottomRight = 1, Track = 2, Thumb = 3 };

    // Raised after every change of the position.
    std::function<void()> onChange;
    // Raised by user scrolling; the handler may change the position, which is then applied by setPosition.
    std::function<void(int scrollCode, int& position)> onScroll;
    // The look changed: repaint when convenient.
    std::function<void()> onInvalidate;
    // A drag moved the thumb: repaint before the scroll handler runs.
    std::function<void()> onRepaintNow;
    // Auto-size chose a new size for the control.
    std::function<void(QSize)> onResize;

    ScrollBarModel();

    int min() const { return m_min; }
    int max() const { return m_max; }
    int position() const { return m_position; }
    int smallChange() const { return m_smallChange; }
    int largeChange() const { return m_largeChange; }
    ScrollBarKind kind() const { return m_kind; }
    bool autoSize() const { return m_autoSize; }
    QSize size() const { return m_size; }
    QSize bitmapSize(Bitmap which) const { return m_bitmaps[which]; }

    // Setters ignore values outside their rule (they never clamp) and return whether the value was taken.
    bool setPosition(int value);
    bool setMin(int value);
    bool setMax(int value);
    bool setSmallChange(int value);
    bool setLargeChange(int value);
    void setKind(ScrollBarKind kind);
    void setAutoSize(bool on);
    void setBitmapSize(Bitmap which, QSize size);
    // The control's actual size; the widget keeps it current.
    void setSize(QSize size) { m_size = size; }

    // Sum of the end and track bitmaps' lengths along the axis.
    long long naturalLength() const;
    // The size auto-size gives the control, taking the cross-axis extent from the given bitmap.
    QSize autoSizeFor(Bitmap which) const;
    ScrollBarLayout layout() const;

    // One line or page step; false when the position was already at its limit and nothing happened.
    bool lineUp() { return step(true, m_smallChange, scLineUp); }
    bool lineDown() { return step(false, m_smallChange, scLineDown); }
    bool pageUp() { return step(true, m_largeChange, scPageUp); }
    bool pageDown() { return step(false, m_largeChange, scPageDown); }

    // Pointer handling. press() starts a press when none is under way and returns the part hit.
    ScrollPress pressState() const { return m_state; }
    bool isRepeating() const;
    ScrollPress press(QPoint point);
    // One step of the repeat of an end or page press; false when nothing could move.
    bool repeatStep();
    // Ends an end or page press once the remembered point has left the pressed part.
    void checkPointer();
    void pointerMoved(QPoint point);
    // The left button went up.
    void release();
    // The press was cut short from outside (control hidden, disabled, or the button state lost).
    void cancelPress() { m_state = ScrollPress::None; }
    // The repeat loop is over: end of scroll, once per press.
    void finishPress();

private:
    bool step(bool up, int delta, int code);
    void scroll(int code, int position);
    void endScroll();
    void applyAutoSize(Bitmap which);
    void invalidate();
    void dragTo(QPoint point);
    ScrollRect pressedRect(const ScrollBarLayout& layout) const;
    int along(QPoint p) const;

    int m_min = 0;
    int m_max = 100;
    int m_position = 0;
    int m_smallChange = 1;
    int m_largeChange = 1;
    ScrollBarKind m_kind = ScrollBarKind::Vertical;
    bool m_autoSize = true;
    QSize m_size{20, 100};
    // Empty bitmaps are 0 x 0 (a default QSize is -1 x -1 and would shorten the natural length).
    std::array<QSize, 4> m_bitmaps{QSize(0, 0), QSize(0, 0), QSize(0, 0), QSize(0, 0)};
    ScrollPress m_state = ScrollPress::None;
    bool m_endScrollPending = false;
    QPoint m_point;
};

} // namespace vitrinex

class TBMPScrollBar : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QPixmap BMPTopLeft READ BMPTopLeft WRITE setBMPTopLeft)
    Q_PROPERTY(QPixmap BMPBottomRight READ BMPBottomRight WRITE setBMPBottomRight)
    Q_PROPERTY(QPixmap BMPTrack READ BMPTrack WRITE setBMPTrack)
    Q_PROPERTY(QPixmap BMPThumb READ BMPThumb WRITE setBMPThumb)
    Q_PROPERTY(vitrinex::ScrollBarKind Kind READ kind WRITE setKind)
    Q_PROPERTY(int Min READ min WRITE setMin)
    Q_PROPERTY(int Max READ max WRITE setMax)
    Q_PROPERTY(int Position READ position WRITE setPosition NOTIFY OnChange)
    Q_PROPERTY(int SmallChange READ smallChange WRITE setSmallChange)
    Q_PROPERTY(int LargeChange READ largeChange WRITE setLargeChange)
    Q_PROPERTY(bool AutoSize READ autoSize WRITE setAutoSize)

public:
    explicit TBMPScrollBar(QWidget* parent = nullptr);

    const QPixmap& BMPTopLeft() const { return m_bitmaps[vitrinex::ScrollBarModel::TopLeft]; }
    const QPixmap& BMPBottomRight() const { return m_bitmaps[vitrinex::ScrollBarModel::BottomRight]; }
    const QPixmap& BMPTrack() const { return m_bitmaps[vitrinex::ScrollBarModel::Track]; }
    const QPixmap& BMPThumb() const { return m_bitmaps[vitrinex::ScrollBarModel::Thumb]; }
    void setBMPTopLeft(const QPixmap& bitmap) { setBitmap(vitrinex::ScrollBarModel::TopLeft, bitmap); }
    void setBMPBottomRight(const QPixmap& bitmap) {
        setBitmap(vitrinex::ScrollBarModel::BottomRight, bitmap);
    }
    void setBMPTrack(const QPixmap& bitmap) { setBitmap(vitrinex::ScrollBarModel::Track, bitmap); }
    void setBMPThumb(const QPixmap& bitmap) { setBitmap(vitrinex::ScrollBarModel::Thumb, bitmap); }

    vitrinex::ScrollBarKind kind() const { return m_model.kind(); }
    void setKind(vitrinex::ScrollBarKind kind) { m_model.setKind(kind); }
    int min() const { return m_model.min(); }
    void setMin(int value) { m_model.setMin(value); }
    int max() const { return m_model.max(); }
    void setMax(int value) { m_model.setMax(value); }
    int position() const { return m_model.position(); }
    void setPosition(int value) { m_model.setPosition(value); }
    int smallChange() const { return m_model.smallChange(); }
    void setSmallChange(int value) { m_model.setSmallChange(value); }
    int largeChange() const { return m_model.largeChange(); }
    void setLargeChange(int value) { m_model.setLargeChange(value); }
    bool autoSize() const { return m_model.autoSize(); }
    void setAutoSize(bool on) { m_model.setAutoSize(on); }

    // Layout for the current size, for the owner's and the tests' use.
    vitrinex::ScrollBarLayout currentLayout();
    vitrinex::ScrollPress pressState() const { return m_model.pressState(); }

    // Raised by user scrolling with the scroll code and the new position; the handler may change it.
    std::function<void(int scrollCode, int& position)> OnScroll;

signals:
    // Raised after every change of Position.
    void OnChange();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void setBitmap(vitrinex::ScrollBarModel::Bitmap which, const QPixmap& bitmap);
    void runRepeat();
    void syncSize() { m_model.setSize(size()); }

    vitrinex::ScrollBarModel m_model;
    std::array<QPixmap, 4> m_bitmaps;
    QPixmap m_offscreen;
    bool m_repeating = false;
};
