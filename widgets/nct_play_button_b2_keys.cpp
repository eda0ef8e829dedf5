// The transport bar's keyboard parts: which button or the volume has the focus, the keys
// that act on it, and the one click routine the mouse, the keys and assistive technology
// share.
#include "widgets/accessibility_events.h"
#include "widgets/nct_play_button_b2.h"

#include <QFocusEvent>
#include <QKeyEvent>

#include <algorithm>
#include <cmath>

namespace {

constexpr int kPartCodes[TNCTPlayButtonB2::kParts] = {
    TNCTPlayButtonB2::kPlay,   TNCTPlayButtonB2::kPause, TNCTPlayButtonB2::kStop,
    TNCTPlayButtonB2::kRecord, TNCTPlayButtonB2::kMute,  0};

bool hasModifiers(const QKeyEvent *event) {
    return (event->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier;
}

}  // namespace

int TNCTPlayButtonB2::partCode(int part) {
    return part >= 0 && part < kParts ? kPartCodes[part] : 0;
}

int TNCTPlayButtonB2::partOf(int Button) {
    for (int part = 0; part < kVolumePart; ++part) {
        if (kPartCodes[part] == Button)
            return part;
    }
    return -1;
}

int TNCTPlayButtonB2::volumePercent(int volume) {
    return static_cast<int>(std::lround(std::clamp(volume, 0, kMaxVolume) * 100.0 / kMaxVolume));
}

QRect TNCTPlayButtonB2::partRect(int part) const {
    return part == kVolumePart ? volumeRect() : buttonRect(partCode(part));
}

void TNCTPlayButtonB2::pressButton(int Button) {
    if (!isEnabled() || partOf(Button) < 0)
        return;
    if (Button == kMute)
        setMute(!mute_);
    Q_EMIT OnMouseClick(Button);
}

void TNCTPlayButtonB2::setFocusedPart(int part) {
    part = std::clamp(part, 0, kParts - 1);
    if (part == focusPart_)
        return;
    focusPart_ = part;
    update();
    if (hasFocus())
        widgetaccess::focusMoved(this, focusPart_);
}

void TNCTPlayButtonB2::focusInEvent(QFocusEvent *event) {
    // Tab enters at the first button, Shift+Tab at the volume; a click has already chosen.
    if (event->reason() == Qt::TabFocusReason)
        focusPart_ = 0;
    else if (event->reason() == Qt::BacktabFocusReason)
        focusPart_ = kVolumePart;
    QWidget::focusInEvent(event);
    widgetaccess::focusMoved(this, focusPart_);
}

bool TNCTPlayButtonB2::focusNextPrevChild(bool next) {
    const int part = focusPart_ + (next ? 1 : -1);
    if (hasFocus() && part >= 0 && part < kParts) {
        setFocusedPart(part);
        return true;
    }
    return QWidget::focusNextPrevChild(next);
}

void TNCTPlayButtonB2::keyPressEvent(QKeyEvent *event) {
    const int key = event->key();
    if (hasModifiers(event)) {
        QWidget::keyPressEvent(event);
        return;
    }
    // A held key clicks once, as a held mouse button does.
    if (key == Qt::Key_M) {
        if (!event->isAutoRepeat())
            pressButton(kMute);
        return;
    }
    if (focusPart_ == kVolumePart) {
        switch (key) {
            case Qt::Key_Left:
            case Qt::Key_Down:
                setUserVolume(volume_ - kVolumeKeyStep);
                return;
            case Qt::Key_Right:
            case Qt::Key_Up:
                setUserVolume(volume_ + kVolumeKeyStep);
                return;
            case Qt::Key_PageDown:
                setUserVolume(volume_ - kVolumePageStep);
                return;
            case Qt::Key_PageUp:
                setUserVolume(volume_ + kVolumePageStep);
                return;
            case Qt::Key_Home:
                setUserVolume(0);
                return;
            case Qt::Key_End:
                setUserVolume(kMaxVolume);
                return;
            default:
                break;
        }
    } else {
        switch (key) {
            case Qt::Key_Space:
            case Qt::Key_Return:
            case Qt::Key_Enter:
                if (!event->isAutoRepeat())
                    pressButton(partCode(focusPart_));
                return;
            case Qt::Key_Left:
                setFocusedPart(focusPart_ - 1);
                return;
            case Qt::Key_Right:
                setFocusedPart(focusPart_ + 1);
                return;
            default:
                break;
        }
    }
    QWidget::keyPressEvent(event);
}
