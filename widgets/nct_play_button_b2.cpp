#include "widgets/nct_play_button_b2.h"

#include "widgets/accessibility_events.h"
#include "widgets/focus_ring.h"
#include "widgets/widget_accessibility.h"
#include "widgets/widget_style.h"

#include <QHelpEvent>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QToolTip>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace {

constexpr int kMargin = 2;
constexpr int kGap = 2;
constexpr int kKnobRadius = 5;
constexpr int kCodes[5] = {TNCTPlayButtonB2::kPlay, TNCTPlayButtonB2::kPause,
                           TNCTPlayButtonB2::kStop, TNCTPlayButtonB2::kRecord,
                           TNCTPlayButtonB2::kMute};

QColor idleIcon() {
    return QColor(0xc9, 0xd1, 0xd9);
}
QColor playColour() {
    return QColor(0x4c, 0xd9, 0x64);
}
QColor pauseColour() {
    return QColor(0xff, 0xbf, 0x3c);
}
QColor stopColour() {
    return QColor(0xe6, 0xed, 0xf3);
}
QColor recordColour() {
    return QColor(0xff, 0x3b, 0x30);
}
QColor muteColour() {
    return QColor(0xff, 0x6b, 0x4a);
}

}  // namespace

TNCTPlayButtonB2::TNCTPlayButtonB2(QWidget *parent) : QWidget(parent) {
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    installWidgetAccessibility();
}

void TNCTPlayButtonB2::Play() {
    setShownState(TShownState::Play);
}
void TNCTPlayButtonB2::Pause() {
    setShownState(TShownState::Pause);
}
void TNCTPlayButtonB2::Stop() {
    setShownState(TShownState::Stop);
}
void TNCTPlayButtonB2::Record_() {
    setShownState(TShownState::Record);
}

void TNCTPlayButtonB2::setShownState(TShownState state) {
    if (state_ == state)
        return;
    state_ = state;
    update();
}

void TNCTPlayButtonB2::ChangeVolume(int Volume) {
    Volume = std::clamp(Volume, 0, kMaxVolume);
    if (Volume == volume_)
        return;
    volume_ = Volume;
    update();
    widgetaccess::valueChanged(this, volumePercent(volume_), kVolumePart);
}

void TNCTPlayButtonB2::setUserVolume(int volume) {
    volume = std::clamp(volume, 0, kMaxVolume);
    if (volume == volume_)
        return;
    volume_ = volume;
    update();
    widgetaccess::valueChanged(this, volumePercent(volume_), kVolumePart);
    Q_EMIT OnChangeVolume(volume_);
}

void TNCTPlayButtonB2::setMute(bool Mute) {
    if (Mute == mute_)
        return;
    mute_ = Mute;
    update();
    widgetaccess::checkedChanged(this, partOf(kMute));
}

TNCTPlayButtonB2::Layout TNCTPlayButtonB2::layout() const {
    Layout l;
    const int w = width();
    const int bh = std::max(8, height() - 2 * kMargin);
    l.buttonWidth = std::clamp(w / 9, 22, 34);
    const int bw = l.buttonWidth;
    for (int i = 0; i < 4; ++i)
        l.buttons[i] = QRect(kMargin + i * (bw + kGap), kMargin, bw, bh);
    const int transportEnd = l.buttons[3].right() + 1;

    // Mute and volume sit together at the right end, the slider taking what is left.
    const int track = std::clamp(w - transportEnd - 14 - bw - 6 - kMargin, 36, 150);
    const int groupLeft = w - kMargin - (bw + 6 + track);
    l.buttons[4] = QRect(groupLeft, kMargin, bw, bh);
    l.volume = QRect(groupLeft + bw + 6, 0, track, height());
    l.groove = l.volume.adjusted(kKnobRadius, kMargin + 3, -kKnobRadius, -kMargin - 3);
    return l;
}

QRect TNCTPlayButtonB2::buttonRect(int Button) const {
    const Layout l = layout();
    for (int i = 0; i < 5; ++i) {
        if (kCodes[i] == Button)
            return l.buttons[i];
    }
    return QRect();
}

QRect TNCTPlayButtonB2::volumeRect() const {
    return layout().volume;
}

int TNCTPlayButtonB2::buttonAt(const QPoint &pos) const {
    const Layout l = layout();
    for (int i = 0; i < 5; ++i) {
        if (l.buttons[i].contains(pos))
            return kCodes[i];
    }
    return 0;
}

int TNCTPlayButtonB2::volumeAt(int x) const {
    const QRect g = layout().groove;
    const double fraction = static_cast<double>(x - g.left()) / std::max(1, g.width() - 1);
    return std::clamp(static_cast<int>(std::lround(fraction * kMaxVolume)), 0, kMaxVolume);
}

QString TNCTPlayButtonB2::volumeHint() const {
    return tr("Volume: %1 %").arg(volumePercent(volume_));
}

bool TNCTPlayButtonB2::event(QEvent *event) {
    if (event->type() == QEvent::ToolTip) {
        const auto *help = static_cast<QHelpEvent *>(event);
        if (layout().volume.contains(help->pos())) {
            QToolTip::showText(help->globalPos(), volumeHint(), this, layout().volume);
            return true;
        }
    }
    return QWidget::event(event);
}

// The percentage follows the knob while it is dragged.
void TNCTPlayButtonB2::showVolumeHint(const QMouseEvent *event) {
    QToolTip::showText(event->globalPosition().toPoint(), volumeHint(), this, layout().volume);
}

void TNCTPlayButtonB2::mousePressEvent(QMouseEvent *event) {
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    const QPoint pos = event->position().toPoint();
    if (layout().volume.contains(pos)) {
        focusPart_ = kVolumePart;
        draggingVolume_ = true;
        setUserVolume(volumeAt(pos.x()));
        showVolumeHint(event);
        return;
    }
    pressed_ = buttonAt(pos);
    if (pressed_ != 0)
        focusPart_ = partOf(pressed_);
    update();
}

void TNCTPlayButtonB2::mouseMoveEvent(QMouseEvent *event) {
    const QPoint pos = event->position().toPoint();
    if (draggingVolume_) {
        setUserVolume(volumeAt(pos.x()));
        showVolumeHint(event);
        return;
    }
    const int over = buttonAt(pos);
    const bool overVolume = layout().volume.contains(pos);
    if (over != hovered_ || overVolume != hoverVolume_) {
        hovered_ = over;
        hoverVolume_ = overVolume;
        update();
    }
}

void TNCTPlayButtonB2::mouseReleaseEvent(QMouseEvent *event) {
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    if (draggingVolume_) {
        draggingVolume_ = false;
        update();
        return;
    }
    const int code = pressed_;
    pressed_ = 0;
    update();
    // Like any button: only a release over the button that was pressed counts.
    if (code == 0 || buttonAt(event->position().toPoint()) != code)
        return;
    pressButton(code);
}

void TNCTPlayButtonB2::wheelEvent(QWheelEvent *event) {
    if (!layout().volume.contains(event->position().toPoint())) {
        event->ignore();
        return;
    }
    const int steps = event->angleDelta().y() / 120;
    if (steps != 0)
        setUserVolume(volume_ + steps * (kMaxVolume / 20));
}

void TNCTPlayButtonB2::leaveEvent(QEvent *) {
    hovered_ = 0;
    hoverVolume_ = false;
    update();
}

void TNCTPlayButtonB2::changeEvent(QEvent *event) {
    if (event->type() == QEvent::EnabledChange && !isEnabled()) {
        pressed_ = 0;
        hovered_ = 0;
        draggingVolume_ = false;
        hoverVolume_ = false;
    }
    QWidget::changeEvent(event);
}

void TNCTPlayButtonB2::paintEvent(QPaintEvent *) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing, true);
    widgetstyle::drawPanel(p, rect(), 4.0);
    const Layout l = layout();
    for (int i = 0; i < 5; ++i)
        paintButton(p, l.buttons[i], kCodes[i]);
    paintVolume(p);
    focusring::paintIfFocused(p, this, partRect(focusPart_));
}

void TNCTPlayButtonB2::paintButton(QPainter &p, const QRect &r, int code) const {
    const bool enabled = isEnabled();
    QColor stateColour;
    bool active = false;
    switch (code) {
        case kPlay:
            stateColour = playColour();
            active = state_ == TShownState::Play;
            break;
        case kPause:
            stateColour = pauseColour();
            active = state_ == TShownState::Pause;
            break;
        case kStop:
            stateColour = stopColour();
            active = state_ == TShownState::Stop;
            break;
        case kRecord:
            stateColour = recordColour();
            active = state_ == TShownState::Record;
            break;
        default:
            stateColour = muteColour();
            active = mute_;
            break;
    }
    active = active && enabled;

    const bool hover = enabled && hovered_ == code;
    const bool down = enabled && pressed_ == code && hovered_ == code;
    QLinearGradient face(r.topLeft(), r.bottomLeft());
    if (!enabled) {
        face.setColorAt(0, QColor(0x26, 0x2b, 0x31));
        face.setColorAt(1, QColor(0x22, 0x26, 0x2b));
    } else if (down) {
        face.setColorAt(0, QColor(0x16, 0x1a, 0x1f));
        face.setColorAt(1, QColor(0x22, 0x28, 0x2f));
    } else {
        face.setColorAt(0, hover ? QColor(0x45, 0x50, 0x5c) : QColor(0x34, 0x3c, 0x46));
        face.setColorAt(1, hover ? QColor(0x2f, 0x37, 0x41) : QColor(0x24, 0x2a, 0x31));
    }
    const QRectF box = QRectF(r).adjusted(0.5, 0.5, -0.5, -0.5);
    p.setPen(QPen(active ? stateColour : QColor(0x0d, 0x10, 0x13), 1.0));
    p.setBrush(face);
    p.drawRoundedRect(box, 3, 3);
    if (active) {
        QColor glow = stateColour;
        glow.setAlpha(45);
        p.setPen(Qt::NoPen);
        p.setBrush(glow);
        p.drawRoundedRect(box.adjusted(1, 1, -1, -1), 2, 2);
    }

    QColor iconColour = idleIcon();
    if (!enabled)
        iconColour = widgetstyle::disabledAccent();
    else if (active)
        iconColour = stateColour;
    else if (code == kRecord)
        iconColour = QColor(0xc8, 0x4a, 0x44);  // record stays red, only dimmer
    const qreal s = std::min(r.width(), r.height()) * 0.5;
    QRectF icon(0, 0, s, s);
    icon.moveCenter(QRectF(r).center() + (down ? QPointF(0.5, 0.5) : QPointF()));
    paintIcon(p, icon, code, iconColour);
}

void TNCTPlayButtonB2::paintIcon(QPainter &p, const QRectF &r, int code, const QColor &c) const {
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    switch (code) {
        case kPlay: {
            const qreal inset = r.width() * 0.08;
            const QPointF pts[3] = {QPointF(r.left() + inset, r.top()),
                                    QPointF(r.right() + inset, r.center().y()),
                                    QPointF(r.left() + inset, r.bottom())};
            p.drawPolygon(pts, 3);
            break;
        }
        case kPause: {
            const qreal bar = r.width() * 0.34;
            p.drawRoundedRect(QRectF(r.left() + r.width() * 0.05, r.top(), bar, r.height()), 1, 1);
            p.drawRoundedRect(QRectF(r.right() - r.width() * 0.05 - bar, r.top(), bar, r.height()),
                              1, 1);
            break;
        }
        case kStop:
            p.drawRoundedRect(r.adjusted(r.width() * 0.06, r.height() * 0.06, -r.width() * 0.06,
                                         -r.height() * 0.06),
                              1.5, 1.5);
            break;
        case kRecord:
            p.drawEllipse(r);
            break;
        default: {
            // Speaker: a box and a cone, with sound waves or a cross beside it.
            const qreal u = r.width();
            const QRectF speaker(r.left() - u * 0.15, r.top(), u, u);
            QPainterPath cone;
            cone.moveTo(speaker.left(), speaker.top() + u * 0.32);
            cone.lineTo(speaker.left() + u * 0.25, speaker.top() + u * 0.32);
            cone.lineTo(speaker.left() + u * 0.58, speaker.top() + u * 0.02);
            cone.lineTo(speaker.left() + u * 0.58, speaker.top() + u * 0.98);
            cone.lineTo(speaker.left() + u * 0.25, speaker.top() + u * 0.68);
            cone.lineTo(speaker.left(), speaker.top() + u * 0.68);
            cone.closeSubpath();
            p.drawPath(cone);
            const qreal x = speaker.left() + u * 0.72;
            const QPointF mid(x, r.center().y());
            if (mute_) {
                p.setPen(QPen(c, std::max(1.2, u * 0.12), Qt::SolidLine, Qt::RoundCap));
                const qreal d = u * 0.2;
                p.drawLine(mid + QPointF(0, -d), mid + QPointF(2 * d, d));
                p.drawLine(mid + QPointF(0, d), mid + QPointF(2 * d, -d));
            } else {
                p.setPen(QPen(c, std::max(1.0, u * 0.09), Qt::SolidLine, Qt::RoundCap));
                p.setBrush(Qt::NoBrush);
                for (qreal radius : {u * 0.22, u * 0.42}) {
                    const QRectF arc(x - radius, mid.y() - radius, 2 * radius, 2 * radius);
                    p.drawArc(arc, -45 * 16, 90 * 16);
                }
            }
            break;
        }
    }
}

void TNCTPlayButtonB2::paintVolume(QPainter &p) const {
    const Layout l = layout();
    const QRectF g = l.groove;
    const bool enabled = isEnabled();
    const qreal fraction = static_cast<qreal>(volume_) / kMaxVolume;

    // A ramp that widens to the right reads as "louder" at a glance.
    auto ramp = [&](qreal to) {
        QPainterPath path;
        const qreal right = g.left() + g.width() * to;
        const qreal rise = g.height() * to;
        path.moveTo(g.left(), g.bottom());
        path.lineTo(right, g.bottom());
        path.lineTo(right, g.bottom() - std::max(1.0, rise));
        path.closeSubpath();
        return path;
    };
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x2e, 0x35, 0x3d));
    p.drawPath(ramp(1.0));
    if (fraction > 0.0) {
        QLinearGradient fill(g.topLeft(), g.topRight());
        if (!enabled || mute_) {
            fill.setColorAt(0, QColor(0x4a, 0x52, 0x5b));
            fill.setColorAt(1, QColor(0x6a, 0x72, 0x7b));
        } else {
            fill.setColorAt(0, widgetstyle::accent().darker(160));
            fill.setColorAt(1, widgetstyle::accent().lighter(120));
        }
        p.setBrush(fill);
        p.drawPath(ramp(fraction));
    }

    const QPointF knob(g.left() + g.width() * fraction, g.center().y() + g.height() * 0.15);
    const bool lit = enabled && (hoverVolume_ || draggingVolume_);
    p.setPen(QPen(QColor(0x0d, 0x10, 0x13), 1.0));
    p.setBrush(!enabled ? QColor(0x70, 0x76, 0x7d)
                        : (lit ? QColor(0xff, 0xff, 0xff) : QColor(0xd5, 0xdb, 0xe1)));
    p.drawEllipse(knob, kKnobRadius - 0.5, kKnobRadius - 0.5);
}
