// The equaliser's keyboard: which band has the focus and the keys that move it.
#include "widgets/accessibility_events.h"
#include "widgets/nct_equalizer2.h"

#include <QFocusEvent>
#include <QKeyEvent>

#include <algorithm>
#include <cmath>

namespace {

bool hasModifiers(const QKeyEvent *event) {
    return (event->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier;
}

// A gain on the grid the mouse moves in, so that keys never leave an odd step behind.
float onGrid(float dB) {
    return std::round(dB / TNCTEqualizer2::kDragStepDb) * TNCTEqualizer2::kDragStepDb;
}

}  // namespace

QString TNCTEqualizer2::BandName(int n) {
    const int hz = BandFrequency(n);
    if (hz == 0)
        return QString();
    if (hz < 1000)
        return tr("%1 Hz").arg(hz);
    return tr("%1 kHz").arg(hz / 1000);
}

void TNCTEqualizer2::setFocusedBand(int n) {
    n = std::clamp(n, 1, kBands);
    if (n == focusBand_)
        return;
    focusBand_ = n;
    update();
    if (hasFocus())
        widgetaccess::focusMoved(this, focusBand_ - 1);
}

void TNCTEqualizer2::focusInEvent(QFocusEvent *event) {
    if (event->reason() == Qt::TabFocusReason)
        focusBand_ = 1;
    else if (event->reason() == Qt::BacktabFocusReason)
        focusBand_ = kBands;
    QWidget::focusInEvent(event);
    widgetaccess::focusMoved(this, focusBand_ - 1);
}

bool TNCTEqualizer2::focusNextPrevChild(bool next) {
    const int band = focusBand_ + (next ? 1 : -1);
    if (hasFocus() && band >= 1 && band <= kBands) {
        setFocusedBand(band);
        return true;
    }
    return QWidget::focusNextPrevChild(next);
}

void TNCTEqualizer2::keyPressEvent(QKeyEvent *event) {
    if (hasModifiers(event)) {
        QWidget::keyPressEvent(event);
        return;
    }
    const float gain = onGrid(Band(focusBand_));
    switch (event->key()) {
        case Qt::Key_Left:
            setFocusedBand(focusBand_ - 1);
            return;
        case Qt::Key_Right:
            setFocusedBand(focusBand_ + 1);
            return;
        case Qt::Key_Up:
            setUserBand(focusBand_, gain + kDragStepDb);
            return;
        case Qt::Key_Down:
            setUserBand(focusBand_, gain - kDragStepDb);
            return;
        case Qt::Key_PageUp:
            setUserBand(focusBand_, gain + kPageStepDb);
            return;
        case Qt::Key_PageDown:
            setUserBand(focusBand_, gain - kPageStepDb);
            return;
        case Qt::Key_Home:
            setUserBand(focusBand_, kMinDb);
            return;
        case Qt::Key_End:
            setUserBand(focusBand_, kMaxDb);
            return;
        default:
            QWidget::keyPressEvent(event);
            return;
    }
}
