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

    int min() const { return min_; }
    int max() const { return max_; }
    int position() const { return position_; }
    int smallChange() const { return smallChange_; }
    int largeChange() const { return largeChange_; }
    ScrollBarKind kind() const { return kind_; }
    bool autoSize() const { return autoSize_; }
    QSize size() const { return size_; }
    QSize bitmapSize(Bitmap which) const { return bitmaps_[which]; }

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
    void setSize(QSize size) { size_ = size; }

    // Sum of the end and track bitmaps' lengths along the axis.
    long long naturalLength() const;
    // The size auto-size gives the control, taking the cross-axis extent from the given bitmap.
    QSize autoSizeFor(Bitmap which) const;
    ScrollBarLayout layout() const;

    // One line or page step; false when the position was already at its limit and nothing happened.
    bool lineUp() { return step(true, smallChange_, scLineUp); }
    bool lineDown() { return step(false, smallChange_, scLineDown); }
    bool pageUp() { return step(true, largeChange_, scPageUp); }
    bool pageDown() { return step(false, largeChange_, scPageDown); }

    // Pointer handling. press() starts a press when none is under way and returns the part hit.
    ScrollPress pressState() const { return state_; }
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
    void cancelPress() { state_ = ScrollPress::None; }
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

    int min_ = 0;
    int max_ = 100;
    int position_ = 0;
    int smallChange_ = 1;
    int largeChange_ = 1;
    ScrollBarKind kind_ = ScrollBarKind::Vertical;
    bool autoSize_ = true;
    QSize size_{20, 100};
    // Empty bitmaps are 0 x 0 (a default QSize is -1 x -1 and would shorten the natural length).
    std::array<QSize, 4> bitmaps_{QSize(0, 0), QSize(0, 0), QSize(0, 0), QSize(0, 0)};
    ScrollPress state_ = ScrollPress::None;
    bool endScrollPending_ = false;
    QPoint point_;
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

    const QPixmap& BMPTopLeft() const { return bitmaps_[vitrinex::ScrollBarModel::TopLeft]; }
    const QPixmap& BMPBottomRight() const { return bitmaps_[vitrinex::ScrollBarModel::BottomRight]; }
    const QPixmap& BMPTrack() const { return bitmaps_[vitrinex::ScrollBarModel::Track]; }
    const QPixmap& BMPThumb() const { return bitmaps_[vitrinex::ScrollBarModel::Thumb]; }
    void setBMPTopLeft(const QPixmap& bitmap) { setBitmap(vitrinex::ScrollBarModel::TopLeft, bitmap); }
    void setBMPBottomRight(const QPixmap& bitmap) {
        setBitmap(vitrinex::ScrollBarModel::BottomRight, bitmap);
    }
    void setBMPTrack(const QPixmap& bitmap) { setBitmap(vitrinex::ScrollBarModel::Track, bitmap); }
    void setBMPThumb(const QPixmap& bitmap) { setBitmap(vitrinex::ScrollBarModel::Thumb, bitmap); }

    vitrinex::ScrollBarKind kind() const { return model_.kind(); }
    void setKind(vitrinex::ScrollBarKind kind) { model_.setKind(kind); }
    int min() const { return model_.min(); }
    void setMin(int value) { model_.setMin(value); }
    int max() const { return model_.max(); }
    void setMax(int value) { model_.setMax(value); }
    int position() const { return model_.position(); }
    void setPosition(int value) { model_.setPosition(value); }
    int smallChange() const { return model_.smallChange(); }
    void setSmallChange(int value) { model_.setSmallChange(value); }
    int largeChange() const { return model_.largeChange(); }
    void setLargeChange(int value) { model_.setLargeChange(value); }
    bool autoSize() const { return model_.autoSize(); }
    void setAutoSize(bool on) { model_.setAutoSize(on); }

    // Layout for the current size, for the owner's and the tests' use.
    vitrinex::ScrollBarLayout currentLayout();
    vitrinex::ScrollPress pressState() const { return model_.pressState(); }

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
    void syncSize() { model_.setSize(size()); }

    vitrinex::ScrollBarModel model_;
    std::array<QPixmap, 4> bitmaps_;
    QPixmap offscreen_;
    bool repeating_ = false;
};
