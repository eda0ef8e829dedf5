#include "widgets/focus_ring.h"

#include <QPainter>
#include <QPalette>
#include <QWidget>

namespace focusring {

void paintIfFocused(QPainter &p, const QWidget *widget, const QRect &around) {
    if (!widget->hasFocus() || around.isEmpty())
        return;
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setBrush(Qt::NoBrush);
    // The highlight colour is what the style marks the focus and selections with; two pixels
    // wide so that it still shows against the dark panels and the light thumbs.
    p.setPen(QPen(widget->palette().color(QPalette::Highlight), 2.0));
    const QRectF inside = QRectF(around).adjusted(1.0, 1.0, -1.0, -1.0);
    p.drawRoundedRect(inside, 3.0, 3.0);
    p.restore();
}

}  // namespace focusring
