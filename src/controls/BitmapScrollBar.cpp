#include "controls/BitmapScrollBar.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>

#include <climits>

namespace vitrinex {

namespace {

// Products of positions, lengths and ranges can exceed 64 bits at the extremes of int.
using Wide = __int128;

Wide roundRatio(Wide num, Wide den) {
    Wide q = num / den;
    Wide r = num % den;
    if (r < 0) { // floor division
        q -= 1;
        r += den;
    }
    const Wide twice = 2 * r;
    if (twice > den || (twice == den && (q % 2) != 0)) q += 1;
    return q;
}

int clampToInt(Wide v) {
    if (v > INT_MAX) return INT_MAX;
    if (v < INT_MIN) return INT_MIN;
    return static_cast<int>(v);
}

} // namespace

long long roundHalfEven(long long num, long long den) {
    return static_cast<long long>(roundRatio(num, den));
}

ScrollBarModel::ScrollBarModel() = default;

void ScrollBarModel::invalidate() {
    if (onInvalidate) onInvalidate();
}

bool ScrollBarModel::setPosition(int value) {
    if (value < min_ || value > max_ || value == position_) return false;
    position_ = value;
    invalidate();
    if (onChange) onChange();
    return true;
}

bool ScrollBarModel::setMax(int value) {
    if (value < min_) return false;
    max_ = value;
    if (position_ > max_) position_ = max_;
    invalidate();
    return true;
}

bool ScrollBarModel::setMin(int value) {
    if (value > max_) return false;
    min_ = value;
    if (position_ <= min_) position_ = min_;
    invalidate();
    return true;
}

bool ScrollBarModel::setLargeChange(int value) {
    if (value < smallChange_ || value > max_) return false;
    largeChange_ = value;
    return true;
}

bool ScrollBarModel::setSmallChange(int value) {
    if (value < min_ || value > largeChange_) return false;
    smallChange_ = value;
    return true;
}

long long ScrollBarModel::naturalLength() const {
    const bool vertical = kind_ == ScrollBarKind::Vertical;
    long long n = 0;
    for (Bitmap b : {TopLeft, Track, BottomRight})
        n += vertical ? bitmaps_[b].height() : bitmaps_[b].width();
    return n;
}

QSize ScrollBarModel::autoSizeFor(Bitmap which) const {
    const long long n = naturalLength();
    const bool vertical = kind_ == ScrollBarKind::Vertical;
    if (n < 1) return vertical ? QSize(20, 100) : QSize(100, 20);
    const int length = clampToInt(n);
    return vertical ? QSize(bitmaps_[which].width(), length) : QSize(length, bitmaps_[which].height());
}

void ScrollBarModel::applyAutoSize(Bitmap which) {
    size_ = autoSizeFor(which);
    if (onResize) onResize(size_);
}

void ScrollBarModel::setBitmapSize(Bitmap which, QSize size) {
    bitmaps_[which] = size.isValid() ? size : QSize(0, 0);
    // The thumb neither counts in the natural length nor sizes the control.
    if (which != Thumb && autoSize_) applyAutoSize(which);
    invalidate();
}

void ScrollBarModel::setKind(ScrollBarKind kind) {
    if (kind == kind_) return;
    kind_ = kind;
    // A control whose size was set by hand keeps it.
    if (autoSize_) applyAutoSize(TopLeft);
    invalidate();
}

void ScrollBarModel::setAutoSize(bool on) {
    if (on == autoSize_) return;
    autoSize_ = on;
    if (on) applyAutoSize(TopLeft);
}

ScrollBarLayout ScrollBarModel::layout() const {
    ScrollBarLayout l;
    const long long n = naturalLength();
    if (n < 1) return l;
    const bool vertical = kind_ == ScrollBarKind::Vertical;
    const int length = vertical ? size_.height() : size_.width();
    const int across = vertical ? size_.width() : size_.height();
    auto along = [vertical](QSize s) { return vertical ? s.height() : s.width(); };

    l.topLeftLength = clampToInt(roundRatio(Wide(along(bitmaps_[TopLeft])) * length, n));
    l.bottomRightLength = clampToInt(roundRatio(Wide(along(bitmaps_[BottomRight])) * length, n));
    l.trackLength = clampToInt(Wide(length) - l.topLeftLength - l.bottomRightLength);
    l.thumbLength = along(bitmaps_[Thumb]);
    l.travel = clampToInt(Wide(l.trackLength) - l.thumbLength);
    const Wide range = Wide(max_) - min_;
    l.offset = range >= 1 ? clampToInt(roundRatio((Wide(position_) - min_) * l.travel, range)) : 0;

    auto span = [vertical, across](Wide from, Wide to) {
        return vertical ? ScrollRect{0, clampToInt(from), across, clampToInt(to)}
                        : ScrollRect{clampToInt(from), 0, clampToInt(to), across};
    };
    const Wide top = l.topLeftLength;
    const Wide trackEnd = top + l.trackLength;
    const Wide thumbStart = top + l.offset;
    l.topLeft = span(0, top);
    l.track = span(top, trackEnd);
    l.bottomRight = span(trackEnd, trackEnd + l.bottomRightLength);
    l.trackBefore = span(top, thumbStart);
    l.trackAfter = span(thumbStart + l.thumbLength, trackEnd);
    l.thumb = span(thumbStart, thumbStart + l.thumbLength);
    return l;
}

void ScrollBarModel::scroll(int code, int position) {
    int requested = position;
    if (onScroll) onScroll(code, requested);
    if (requested != position) setPosition(requested);
}

bool ScrollBarModel::step(bool up, int delta, int code) {
    const Wide target = up ? Wide(position_) - delta : Wide(position_) + delta;
    if (target >= min_ && target <= max_) {
        const int p = static_cast<int>(target);
        setPosition(p);
        scroll(code, p);
        return true;
    }
    if (up && position_ != min_) {
        setPosition(min_);
        scroll(scTop, min_);
        return true;
    }
    if (!up && position_ != max_) {
        setPosition(max_);
        scroll(scBottom, max_);
        return true;
    }
    return false;
}

bool ScrollBarModel::isRepeating() const {
    return state_ == ScrollPress::TopLeftEnd || state_ == ScrollPress::BottomRightEnd ||
           state_ == ScrollPress::PageBefore || state_ == ScrollPress::PageAfter;
}

ScrollPress ScrollBarModel::press(QPoint point) {
    if (state_ != ScrollPress::None) return ScrollPress::None;
    point_ = point;
    const ScrollBarLayout l = layout();
    if (l.topLeft.contains(point))
        state_ = ScrollPress::TopLeftEnd;
    else if (l.bottomRight.contains(point))
        state_ = ScrollPress::BottomRightEnd;
    else if (l.trackBefore.contains(point))
        state_ = ScrollPress::PageBefore;
    else if (l.trackAfter.contains(point))
        state_ = ScrollPress::PageAfter;
    else if (l.thumb.contains(point))
        state_ = ScrollPress::Thumb;
    endScrollPending_ = state_ != ScrollPress::None;
    return state_;
}

bool ScrollBarModel::repeatStep() {
    switch (state_) {
    case ScrollPress::TopLeftEnd:
        return lineUp();
    case ScrollPress::BottomRightEnd:
        return lineDown();
    case ScrollPress::PageBefore:
        return pageUp();
    case ScrollPress::PageAfter:
        return pageDown();
    default:
        return false;
    }
}

ScrollRect ScrollBarModel::pressedRect(const ScrollBarLayout& l) const {
    switch (state_) {
    case ScrollPress::TopLeftEnd:
        return l.topLeft;
    case ScrollPress::BottomRightEnd:
        return l.bottomRight;
    case ScrollPress::PageBefore:
        return l.trackBefore;
    case ScrollPress::PageAfter:
        return l.trackAfter;
    case ScrollPress::Thumb:
        return l.thumb;
    default:
        return {};
    }
}

void ScrollBarModel::checkPointer() {
    // The layout is taken afresh: a page press ends by itself once the thumb reaches the pointer.
    if (isRepeating() && !pressedRect(layout()).contains(point_)) state_ = ScrollPress::None;
}

int ScrollBarModel::along(QPoint p) const {
    return kind_ == ScrollBarKind::Vertical ? p.y() : p.x();
}

void ScrollBarModel::dragTo(QPoint point) {
    const ScrollBarLayout l = layout();
    if (!l.track.contains(point) || l.travel <= 0) return;
    // The thumb's travel stands for the whole range, so the thumb follows the pointer. Movements too
    // small for a step are kept by not moving the remembered point.
    const Wide scaled = (Wide(along(point)) - along(point_)) * (Wide(max_) - min_);
    if (scaled / l.travel == 0) return;
    const Wide target = Wide(position_) + roundRatio(scaled, l.travel);
    const bool inRange = target >= min_ && target <= max_;
    if (inRange) setPosition(static_cast<int>(target));
    if (onRepaintNow) onRepaintNow();
    if (inRange) scroll(scTrack, static_cast<int>(target));
    point_ = point;
}

void ScrollBarModel::pointerMoved(QPoint point) {
    if (isRepeating()) {
        point_ = point;
        checkPointer();
    } else if (state_ == ScrollPress::Thumb) {
        dragTo(point);
    }
}

void ScrollBarModel::endScroll() {
    if (!endScrollPending_) return;
    endScrollPending_ = false;
    scroll(scEndScroll, position_);
}

void ScrollBarModel::release() {
    if (state_ == ScrollPress::None && !endScrollPending_) return;
    state_ = ScrollPress::None;
    endScroll();
}

void ScrollBarModel::finishPress() {
    state_ = ScrollPress::None;
    endScroll();
}

} // namespace vitrinex

using vitrinex::ScrollBarModel;

TBMPScrollBar::TBMPScrollBar(QWidget* parent) : QWidget(parent) {
    // The whole control is painted from the off-screen bitmap: no background erase, no flicker.
    setAttribute(Qt::WA_OpaquePaintEvent);
    resize(20, 100);
    syncSize();
    model_.onInvalidate = [this] { update(); };
    model_.onRepaintNow = [this] { repaint(); };
    model_.onChange = [this] { emit OnChange(); };
    model_.onScroll = [this](int code, int& position) {
        if (OnScroll) OnScroll(code, position);
    };
    model_.onResize = [this](QSize s) {
        resize(s);
        syncSize();
    };
}

vitrinex::ScrollBarLayout TBMPScrollBar::currentLayout() {
    syncSize();
    return model_.layout();
}

void TBMPScrollBar::setBitmap(ScrollBarModel::Bitmap which, const QPixmap& bitmap) {
    bitmaps_[which] = bitmap.isNull() ? QPixmap() : bitmap.copy();
    syncSize();
    model_.setBitmapSize(which,
                         bitmaps_[which].deviceIndependentSize().toSize()); // a 2x picture counts at its size
}

void TBMPScrollBar::resizeEvent(QResizeEvent* event) {
    syncSize();
    QWidget::resizeEvent(event);
}

void TBMPScrollBar::paintEvent(QPaintEvent*) {
    syncSize();
    if (width() <= 0 || height() <= 0) return;
    QPainter painter(this);
    if (model_.naturalLength() <= 0) {
        painter.fillRect(rect(), palette().window());
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawText(rect(), Qt::AlignLeft | Qt::AlignTop, objectName());
        return;
    }
    const vitrinex::ScrollBarLayout l = model_.layout();
    const qreal ratio = devicePixelRatioF();
    const QSize pixels = size() * ratio;
    if (offscreen_.size() != pixels) {
        offscreen_ = QPixmap(pixels);
        offscreen_.setDevicePixelRatio(ratio);
    }
    // Parts never painted (a control shorter than its ends) show the window colour, not stale pixels.
    offscreen_.fill(palette().color(QPalette::Window));
    {
        QPainter off(&offscreen_);
        auto draw = [&off](const vitrinex::ScrollRect& r, const QPixmap& bitmap) {
            if (!r.isEmpty() && !bitmap.isNull())
                off.drawPixmap(QRect(r.left, r.top, r.right - r.left, r.bottom - r.top), bitmap);
        };
        draw(l.topLeft, bitmaps_[ScrollBarModel::TopLeft]);
        draw(l.track, bitmaps_[ScrollBarModel::Track]);
        draw(l.bottomRight, bitmaps_[ScrollBarModel::BottomRight]);
        draw(l.thumb, bitmaps_[ScrollBarModel::Thumb]);
    }
    painter.drawPixmap(0, 0, offscreen_);
}

void TBMPScrollBar::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || model_.pressState() != vitrinex::ScrollPress::None) {
        QWidget::mousePressEvent(event);
        return;
    }
    syncSize();
    const vitrinex::ScrollPress part = model_.press(event->position().toPoint());
    if (part == vitrinex::ScrollPress::None) {
        QWidget::mousePressEvent(event);
        return;
    }
    event->accept();
    // A thumb press needs no loop of its own: moves and the release arrive as events.
    if (model_.isRepeating()) runRepeat();
}

void TBMPScrollBar::runRepeat() {
    if (repeating_) return;
    repeating_ = true;
    QPointer<TBMPScrollBar> self(this);
    // A press made by the window system can be checked against the real button state, so a lost
    // release cannot leave the loop running.
    const bool realButton = QGuiApplication::mouseButtons().testFlag(Qt::LeftButton);
    while (model_.isRepeating()) {
        const bool moved = model_.repeatStep();
        if (!self) return;
        // Steps follow each other without delay; once nothing can move, wait for the next event
        // instead of spinning.
        QCoreApplication::processEvents(moved ? QEventLoop::AllEvents : QEventLoop::WaitForMoreEvents);
        if (!self) return;
        if (!model_.isRepeating()) break;
        if (QCoreApplication::closingDown() ||
            (realButton && !QGuiApplication::mouseButtons().testFlag(Qt::LeftButton))) {
            model_.cancelPress();
            break;
        }
        syncSize();
        model_.checkPointer();
    }
    repeating_ = false;
    model_.finishPress();
}

void TBMPScrollBar::mouseMoveEvent(QMouseEvent* event) {
    if (model_.pressState() == vitrinex::ScrollPress::None) {
        QWidget::mouseMoveEvent(event);
        return;
    }
    syncSize();
    model_.pointerMoved(event->position().toPoint());
    event->accept();
}

void TBMPScrollBar::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) model_.release();
    QWidget::mouseReleaseEvent(event);
}

void TBMPScrollBar::hideEvent(QHideEvent* event) {
    // A hidden control can no longer receive the release that would end a press.
    if (model_.pressState() != vitrinex::ScrollPress::None) {
        model_.cancelPress();
        if (!repeating_) model_.finishPress();
    }
    QWidget::hideEvent(event);
}

void TBMPScrollBar::changeEvent(QEvent* event) {
    if (event->type() == QEvent::EnabledChange && !isEnabled() &&
        model_.pressState() != vitrinex::ScrollPress::None) {
        model_.cancelPress();
        if (!repeating_) model_.finishPress();
    }
    QWidget::changeEvent(event);
}
