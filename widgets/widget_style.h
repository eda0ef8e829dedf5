// Colours and small painting helpers shared by the display widgets, so the transport strip,
// meters, time readout and spectrum read as one dark instrument panel.
#pragma once

#include <QColor>
#include <QPainter>
#include <QRectF>

namespace widgetstyle {

inline QColor panelBackground() {
    return QColor(0x14, 0x18, 0x1d);
}
inline QColor panelBorder() {
    return QColor(0x3a, 0x42, 0x4c);
}
inline QColor gridLine() {
    return QColor(0x2a, 0x31, 0x39);
}
inline QColor labelText() {
    return QColor(0x8a, 0x96, 0xa3);
}
inline QColor accent() {
    return QColor(0x3d, 0xa5, 0xf4);
}
inline QColor disabledAccent() {
    return QColor(0x5a, 0x62, 0x6b);
}

// Dark inset panel with a thin border, the backdrop of every display.
inline void drawPanel(QPainter &p, const QRectF &r, qreal radius = 3.0) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(QPen(panelBorder(), 1.0));
    p.setBrush(panelBackground());
    p.drawRoundedRect(r.adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);
    p.restore();
}

}  // namespace widgetstyle
