#include "widgets/nct_slider_b2.h"

#include "widgets/accessibility_events.h"
#include "widgets/focus_ring.h"
#include "widgets/widget_accessibility.h"
#include "widgets/widget_style.h"

#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

TNCTSliderB2::TNCTSliderB2(QWidget *parent)
    : QWidget(parent), stripColor_(palette().color(QPalette::Window)) {
    // The strip colour fills every pixel: nothing behind the slider needs repainting.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::StrongFocus);
    installWidgetAccessibility();
}

void TNCTSliderB2::setValue(int Value) {
    Value = std::clamp(Value, 0, kMaxValue);
    if (Value == value_)
        return;
    // Playback moves the thumb a few times a second; a screen reader hears of it once per
    // whole percent, and of every move the user makes.
    const bool reported = dragging_ || Value / 10 != value_ / 10;
    const int oldX = thumbXFor(value_);
    const int newX = thumbXFor(Value);
    value_ = Value;
    updateBetween(oldX, newX);
    if (reported)
        widgetaccess::valueChanged(this, value_);
    Q_EMIT OnValueChange(value_);
}

// A moving thumb changes the slider from the old thumb to the new one: the thumbs and the
// played part of the groove between them. Near the start the played part's rounded end
// changes shape too, so all is repainted there.
void TNCTSliderB2::updateBetween(int oldX, int newX) {
    // The picture follows the thumb's pixel, not the value: a long file moves it less than
    // a pixel per tick.
    if (oldX == newX)
        return;
    const int half = thumbWidth() / 2;
    const int radius = std::max(3, height() / 3) / 2;
    const int from = std::min(oldX, newX) - half - radius - 2;
    const int to = std::max(oldX, newX) + half + 2;
    if (from <= 2 * (half + radius)) {
        update();
        return;
    }
    update(QRect(from, 0, to - from + 1, height()));
}

void TNCTSliderB2::setStripColor(const QColor &StripColor) {
    stripColor_ = StripColor;
    update();
}

int TNCTSliderB2::thumbWidth() const {
    return std::clamp(height() - 2, 7, 13);
}

int TNCTSliderB2::thumbXFor(int value) const {
    const int half = thumbWidth() / 2;
    const int span = std::max(1, width() - 2 * half - 1);
    return half + static_cast<int>(std::lround(static_cast<double>(value) * span / kMaxValue));
}

QRect TNCTSliderB2::thumbRect() const {
    const int w = thumbWidth();
    return QRect(thumbXFor(value_) - w / 2, 0, w, height());
}

int TNCTSliderB2::valueAt(int x) const {
    const int half = thumbWidth() / 2;
    const int span = std::max(1, width() - 2 * half - 1);
    const double v = static_cast<double>(x - half) * kMaxValue / span;
    return std::clamp(static_cast<int>(std::lround(v)), 0, kMaxValue);
}

void TNCTSliderB2::mousePressEvent(QMouseEvent *event) {
    if (event->button() != Qt::LeftButton || dragging_) {
        event->ignore();
        return;
    }
    const int x = qRound(event->position().x());
    const QRect thumb = thumbRect();
    grabOffset_ = thumb.contains(x, thumb.center().y()) ? x - thumbXFor(value_) : 0;
    dragging_ = true;
    Q_EMIT OnMouseDown();
    setValue(valueAt(x - grabOffset_));
    update();
}

void TNCTSliderB2::mouseMoveEvent(QMouseEvent *event) {
    const int x = qRound(event->position().x());
    if (dragging_) {
        setValue(valueAt(x - grabOffset_));
        return;
    }
    const bool over = thumbRect().contains(x, height() / 2);
    if (over != hoverThumb_) {
        hoverThumb_ = over;
        update();
    }
}

void TNCTSliderB2::mouseReleaseEvent(QMouseEvent *event) {
    if (event->button() != Qt::LeftButton || !dragging_) {
        event->ignore();
        return;
    }
    setValue(valueAt(qRound(event->position().x()) - grabOffset_));
    finishDrag();
}

void TNCTSliderB2::finishDrag() {
    dragging_ = false;
    keyDrag_ = false;
    grabOffset_ = 0;
    update();
    Q_EMIT OnMouseUp();
}

void TNCTSliderB2::leaveEvent(QEvent *) {
    if (hoverThumb_) {
        hoverThumb_ = false;
        update();
    }
}

void TNCTSliderB2::changeEvent(QEvent *event) {
    // A disabled widget gets no release, so close the drag here; otherwise whoever
    // listens would think the slider is still held.
    if (event->type() == QEvent::EnabledChange && !isEnabled() && dragging_)
        finishDrag();
    QWidget::changeEvent(event);
}

namespace {

bool drawDirectly = false;

}  // namespace

void TNCTSliderB2::setDrawDirectly(bool direct) {
    drawDirectly = direct;
}

// The strip and the groove, played up to `playedTo` (no played part below the groove's start).
void TNCTSliderB2::drawGroove(QPainter &p, int playedTo) const {
    p.setRenderHint(QPainter::Antialiasing, true);
    p.fillRect(rect(), stripColor_);
    const int half = thumbWidth() / 2;
    const qreal grooveH = std::max(3, height() / 3);
    const QRectF groove(half, (height() - grooveH) / 2.0, width() - 2 * half - 1, grooveH);
    p.setPen(QPen(widgetstyle::panelBorder(), 1.0));
    p.setBrush(widgetstyle::panelBackground());
    p.drawRoundedRect(groove, grooveH / 2, grooveH / 2);
    if (playedTo > half) {
        QRectF played = groove;
        played.setRight(playedTo);
        p.setPen(Qt::NoPen);
        p.setBrush(widgetstyle::accent());
        p.drawRoundedRect(played, grooveH / 2, grooveH / 2);
    }
}

void TNCTSliderB2::drawThumb(QPainter &p, const QRect &at) const {
    p.setRenderHint(QPainter::Antialiasing, true);
    const bool enabled = isEnabled();
    const QRectF thumb = QRectF(at).adjusted(0.5, 0.5, -0.5, -0.5);
    QLinearGradient shade(thumb.topLeft(), thumb.bottomLeft());
    if (enabled) {
        const bool lit = hoverThumb_ || dragging_;
        shade.setColorAt(0.0, lit ? QColor(0xff, 0xff, 0xff) : QColor(0xe8, 0xec, 0xf0));
        shade.setColorAt(1.0, lit ? QColor(0xc8, 0xd6, 0xe4) : QColor(0xa9, 0xb3, 0xbe));
        p.setPen(QPen(dragging_ ? widgetstyle::accent() : QColor(0x4a, 0x52, 0x5c), 1.0));
    } else {
        shade.setColorAt(0.0, QColor(0x9a, 0x9f, 0xa5));
        shade.setColorAt(1.0, QColor(0x80, 0x85, 0x8b));
        p.setPen(QPen(QColor(0x6a, 0x70, 0x77), 1.0));
    }
    p.setBrush(shade);
    p.drawRoundedRect(thumb, 3, 3);
    // Grip line so the thumb reads as something to grab.
    p.setPen(QPen(enabled ? QColor(0x5a, 0x64, 0x70) : QColor(0x70, 0x75, 0x7b), 1.0));
    const qreal cx = thumb.center().x();
    p.drawLine(QPointF(cx, thumb.top() + 3), QPointF(cx, thumb.bottom() - 3));
}

// Playback repaints the slider several times a second; antialiased outlines across the whole
// groove cost more than the rest of a tick's painting together, so the groove (played and not)
// and the thumb are drawn once into pictures and copied from there.
const TNCTSliderB2::Pictures &TNCTSliderB2::pictures() {
    const qreal ratio = devicePixelRatioF();
    const int thumbState = !isEnabled() ? 0 : dragging_ ? 1 : hoverThumb_ ? 2 : 3;
    const auto picture = [&](const QSize &size) {
        QPixmap pixmap((QSizeF(size) * ratio).toSize());
        pixmap.setDevicePixelRatio(ratio);
        return pixmap;
    };
    if (pictures_.size != size() || pictures_.ratio != ratio ||
        pictures_.strip != stripColor_.rgba()) {
        pictures_ = Pictures{size(),          ratio,           stripColor_.rgba(), -1,
                             picture(size()), picture(size()), QPixmap()};
        QPainter idle(&pictures_.idle);
        drawGroove(idle, 0);
        QPainter played(&pictures_.played);
        drawGroove(played, thumbXFor(kMaxValue));
    }
    if (pictures_.thumbState != thumbState) {
        const QRect at(QPoint(0, 0), thumbRect().size());
        pictures_.thumbState = thumbState;
        pictures_.thumb = picture(at.size());
        pictures_.thumb.fill(Qt::transparent);
        QPainter p(&pictures_.thumb);
        drawThumb(p, at);
    }
    return pictures_;
}

void TNCTSliderB2::paintEvent(QPaintEvent *event) {
    QPainter p(this);
    const int thumbX = thumbXFor(value_);
    // The played part ends under the thumb, which hides where it is cut.
    const int playedTo = isEnabled() && value_ > 0 ? thumbX : 0;
    if (drawDirectly) {
        drawGroove(p, playedTo);
        drawThumb(p, thumbRect());
    } else {
        const Pictures &pic = pictures();
        const QRect dirty = event->rect();
        const qreal ratio = pic.ratio;
        const auto copy = [&](const QRect &area, const QPixmap &from) {
            if (!area.isEmpty())
                p.drawPixmap(QRectF(area), from,
                             QRectF(QPointF(area.topLeft()) * ratio, QSizeF(area.size()) * ratio));
        };
        copy(dirty.intersected(QRect(0, 0, playedTo, height())), pic.played);
        copy(dirty.intersected(QRect(playedTo, 0, width() - playedTo, height())), pic.idle);
        p.drawPixmap(thumbRect().topLeft(), pic.thumb);
    }
    // Round the thumb: the strip is too thin for a ring round the whole of it.
    focusring::paintIfFocused(p, this, thumbRect());
}
