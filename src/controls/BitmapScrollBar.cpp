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
    if (value < m_min || value > m_max || value == m_position) return false;
    m_position = value;
    invalidate();
    if (onChange) onChange();
    return true;
}

bool ScrollBarModel::setMax(int value) {
    if (value < m_min) return false;
    m_max = value;
    if (m_position > m_max) m_position = m_max;
    invalidate();
    return true;
}

bool ScrollBarModel::setMin(int value) {
    if (value > m_max) return false;
    m_min = value;
    if (m_position <= m_min) m_position = m_min;
    invalidate();
    return true;
}

bool ScrollBarModel::setLargeChange(int value) {
    if (value < m_smallChange || value > m_max) return false;
    m_largeChange = value;
    return true;
}

bool ScrollBarModel::setSmallChange(int value) {
    if (value < m_min || value > m_largeChange) return false;
    m_smallChange = value;
    return true;
}

long long ScrollBarModel::naturalLength() const {
    const bool vertical = m_kind == ScrollBarKind::Vertical;
    long long n = 0;
    for (Bitmap b : {TopLeft, Track, BottomRight})
        n += vertical ? m_bitmaps[b].height() : m_bitmaps[b].width();
    return n;
}

QSize ScrollBarModel::autoSizeFor(Bitmap which) const {
    const long long n = naturalLength();
    const bool vertical = m_kind == ScrollBarKind::Vertical;
    if (n < 1) return vertical ? QSize(20, 100) : QSize(100, 20);
    const int length = clampToInt(n);
    return vertical ? QSize(m_bitmaps[which].width(), length) : QSize(length, m_bitmaps[which].height());
}

void ScrollBarModel::applyAutoSize(Bitmap which) {
    m_size = autoSizeFor(which);
    if (onResize) onResize(m_size);
}

void ScrollBarModel::setBitmapSize(Bitmap which, QSize size) {
    m_bitmaps[which] = size.isValid() ? size : QSize(0, 0);
    // The thumb neither counts in the natural length nor sizes the control.
    if (which != Thumb && m_autoSize) applyAutoSize(which);
    invalidate();
}

void ScrollBarModel::setKind(ScrollBarKind kind) {
    if (kind == m_kind) return;
    m_kind = kind;
    // A control whose size was set by hand keeps it.
    if (m_autoSize) applyAutoSize(TopLeft);
    invalidate();
}

void ScrollBarModel::setAutoSize(bool on) {
    if (on == m_autoSize) return;
    m_autoSize = on;
    if (on) applyAutoSize(TopLeft);
}

ScrollBarLayout ScrollBarModel::layout() const {
    ScrollBarLayout l;
    const long long n = naturalLength();
    if (n < 1) return l;
    const bool vertical = m_kind == ScrollBarKind::Vertical;
    const int length = vertical ? m_size.height() : m_size.width();
    const int across = vertical ? m_size.width() : m_size.height();
    auto along = [vertical](QSize s) { return vertical ? s.height() : s.width(); };

    l.topLeftLength = clampToInt(roundRatio(Wide(along(m_bitmaps[TopLeft])) * length, n));
    l.bottomRightLength = clampToInt(roundRatio(Wide(along(m_bitmaps[BottomRight])) * length, n));
    l.trackLength = clampToInt(Wide(length) - l.topLeftLength - l.bottomRightLength);
    l.thumbLength = along(m_bitmaps[Thumb]);
    l.travel = clampToInt(Wide(l.trackLength) - l.thumbLength);
    const Wide range = Wide(m_max) - m_min;
    l.offset = range >= 1 ? clampToInt(roundRatio((Wide(m_position) - m_min) * l.travel, range)) : 0;

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
    const Wide target = up ? Wide(m_position) - delta : Wide(m_position) + delta;
    if (target >= m_min && target <= m_max) {
        const int p = static_cast<int>(target);
        setPosition(p);
        scroll(code, p);
        return true;
    }
    if (up && m_position != m_min) {
        setPosition(m_min);
        scroll(scTop, m_min);
        return true;
    }
    if (!up && m_position != m_max) {
        setPosition(m_max);
        scroll(scBottom, m_max);
        return true;
    }
    return false;
}

bool ScrollBarModel::isRepeating() const {
    return m_state == ScrollPress::TopLeftEnd || m_state == ScrollPress::BottomRightEnd ||
           m_state == ScrollPress::PageBefore || m_state == ScrollPress::PageAfter;
}

ScrollPress ScrollBarModel::press(QPoint point) {
    if (m_state != ScrollPress::None) return ScrollPress::None;
    m_point = point;
    const ScrollBarLayout l = layout();
    if (l.topLeft.contains(point))
        m_state = ScrollPress::TopLeftEnd;
    else if (l.bottomRight.contains(point))
        m_state = ScrollPress::BottomRightEnd;
    else if (l.trackBefore.contains(point))
        m_state = ScrollPress::PageBefore;
    else if (l.trackAfter.contains(point))
        m_state = ScrollPress::PageAfter;
    else if (l.thumb.contains(point))
        m_state = ScrollPress::Thumb;
    m_endScrollPending = m_state != ScrollPress::None;
    return m_state;
}

bool ScrollBarModel::repeatStep() {
    switch (m_state) {
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
    switch (m_state) {
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
    if (isRepeating() && !pressedRect(layout()).contains(m_point)) m_state = ScrollPress::None;
}

int ScrollBarModel::along(QPoint p) const {
    return m_kind == ScrollBarKind::Vertical ? p.y() : p.x();
}

void ScrollBarModel::dragTo(QPoint point) {
    const ScrollBarLayout l = layout();
    if (!l.track.contains(point) || l.travel <= 0) return;
    // The thumb's travel stands for the whole range, so the thumb follows the pointer. Movements too
    // small for a step are kept by not moving the remembered point.
    const Wide scaled = (Wide(along(point)) - along(m_point)) * (Wide(m_max) - m_min);
    if (scaled / l.travel == 0) return;
    const Wide target = Wide(m_position) + roundRatio(scaled, l.travel);
    const bool inRange = target >= m_min && target <= m_max;
    if (inRange) setPosition(static_cast<int>(target));
    if (onRepaintNow) onRepaintNow();
    if (inRange) scroll(scTrack, static_cast<int>(target));
    m_point = point;
}

void ScrollBarModel::pointerMoved(QPoint point) {
    if (isRepeating()) {
        m_point = point;
        checkPointer();
    } else if (m_state == ScrollPress::Thumb) {
        dragTo(point);
    }
}

void ScrollBarModel::endScroll() {
    if (!m_endScrollPending) return;
    m_endScrollPending = false;
    scroll(scEndScroll, m_position);
}

void ScrollBarModel::release() {
    if (m_state == ScrollPress::None && !m_endScrollPending) return;
    m_state = ScrollPress::None;
    endScroll();
}

void ScrollBarModel::finishPress() {
    m_state = ScrollPress::None;
    endScroll();
}

} // namespace vitrinex

using vitrinex::ScrollBarModel;

TBMPScrollBar::TBMPScrollBar(QWidget* parent) : QWidget(parent) {
    // The whole control is painted from the off-screen bitmap: no background erase, no flicker.
    setAttribute(Qt::WA_OpaquePaintEvent);
    resize(20, 100);
    syncSize();
    m_model.onInvalidate = [this] { update(); };
    m_model.onRepaintNow = [this] { repaint(); };
    m_model.onChange = [this] { emit OnChange(); };
    m_model.onScroll = [this](int code, int& position) {
        if (OnScroll) OnScroll(code, position);
    };
    m_model.onResize = [this](QSize s) {
        resize(s);
        syncSize();
    };
}

vitrinex::ScrollBarLayout TBMPScrollBar::currentLayout() {
    syncSize();
    return m_model.layout();
}

void TBMPScrollBar::setBitmap(ScrollBarModel::Bitmap which, const QPixmap& bitmap) {
    m_bitmaps[which] = bitmap.isNull() ? QPixmap() : bitmap.copy();
    syncSize();
    m_model.setBitmapSize(which, m_bitmaps[which].size());
}

void TBMPScrollBar::resizeEvent(QResizeEvent* event) {
    syncSize();
    QWidget::resizeEvent(event);
}

void TBMPScrollBar::paintEvent(QPaintEvent*) {
    syncSize();
    if (width() <= 0 || height() <= 0) return;
    QPainter painter(this);
    if (m_model.naturalLength() <= 0) {
        painter.fillRect(rect(), palette().window());
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawText(rect(), Qt::AlignLeft | Qt::AlignTop, objectName());
        return;
    }
    const vitrinex::ScrollBarLayout l = m_model.layout();
    const qreal ratio = devicePixelRatioF();
    const QSize pixels = size() * ratio;
    if (m_offscreen.size() != pixels) {
        m_offscreen = QPixmap(pixels);
        m_offscreen.setDevicePixelRatio(ratio);
    }
    // Parts never painted (a control shorter than its ends) show the window colour, not stale pixels.
    m_offscreen.fill(palette().color(QPalette::Window));
    {
        QPainter off(&m_offscreen);
        auto draw = [&off](const vitrinex::ScrollRect& r, const QPixmap& bitmap) {
            if (!r.isEmpty() && !bitmap.isNull())
                off.drawPixmap(QRect(r.left, r.top, r.right - r.left, r.bottom - r.top), bitmap);
        };
        draw(l.topLeft, m_bitmaps[ScrollBarModel::TopLeft]);
        draw(l.track, m_bitmaps[ScrollBarModel::Track]);
        draw(l.bottomRight, m_bitmaps[ScrollBarModel::BottomRight]);
        draw(l.thumb, m_bitmaps[ScrollBarModel::Thumb]);
    }
    painter.drawPixmap(0, 0, m_offscreen);
}

void TBMPScrollBar::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || m_model.pressState() != vitrinex::ScrollPress::None) {
        QWidget::mousePressEvent(event);
        return;
    }
    syncSize();
    const vitrinex::ScrollPress part = m_model.press(event->position().toPoint());
    if (part == vitrinex::ScrollPress::None) {
        QWidget::mousePressEvent(event);
        return;
    }
    event->accept();
    // A thumb press needs no loop of its own: moves and the release arrive as events.
    if (m_model.isRepeating()) runRepeat();
}

void TBMPScrollBar::runRepeat() {
    if (m_repeating) return;
    m_repeating = true;
    QPointer<TBMPScrollBar> self(this);
    // A press made by the window system can be checked against the real button state, so a lost
    // release cannot leave the loop running.
    const bool realButton = QGuiApplication::mouseButtons().testFlag(Qt::LeftButton);
    while (m_model.isRepeating()) {
        const bool moved = m_model.repeatStep();
        if (!self) return;
        // Steps follow each other without delay; once nothing can move, wait for the next event
        // instead of spinning.
        QCoreApplication::processEvents(moved ? QEventLoop::AllEvents : QEventLoop::WaitForMoreEvents);
        if (!self) return;
        if (!m_model.isRepeating()) break;
        if (QCoreApplication::closingDown() ||
            (realButton && !QGuiApplication::mouseButtons().testFlag(Qt::LeftButton))) {
            m_model.cancelPress();
            break;
        }
        syncSize();
        m_model.checkPointer();
    }
    m_repeating = false;
    m_model.finishPress();
}

void TBMPScrollBar::mouseMoveEvent(QMouseEvent* event) {
    if (m_model.pressState() == vitrinex::ScrollPress::None) {
        QWidget::mouseMoveEvent(event);
        return;
    }
    syncSize();
    m_model.pointerMoved(event->position().toPoint());
    event->accept();
}

void TBMPScrollBar::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) m_model.release();
    QWidget::mouseReleaseEvent(event);
}

void TBMPScrollBar::hideEvent(QHideEvent* event) {
    // A hidden control can no longer receive the release that would end a press.
    if (m_model.pressState() != vitrinex::ScrollPress::None) {
        m_model.cancelPress();
        if (!m_repeating) m_model.finishPress();
    }
    QWidget::hideEvent(event);
}

void TBMPScrollBar::changeEvent(QEvent* event) {
    if (event->type() == QEvent::EnabledChange && !isEnabled() &&
        m_model.pressState() != vitrinex::ScrollPress::None) {
        m_model.cancelPress();
        if (!m_repeating) m_model.finishPress();
    }
    QWidget::changeEvent(event);
}
