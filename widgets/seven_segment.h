// Seven-segment digits painted as polygons, for the LCD-style time readout. Unlit segments
// are drawn faintly, the way a real LCD shows its unused segments.
#pragma once

#include <QColor>
#include <QPainter>
#include <QPointF>
#include <QString>

namespace sevensegment {

struct Style {
    QColor lit;
    QColor unlit;
};

// Width the text takes at the given digit height (digits, ':' and '.'; other characters
// take a digit's width and stay blank).
qreal textWidth(const QString &text, qreal height);

// Paints the text with its top-left at topLeft; returns the x just after it.
qreal drawText(QPainter &p, const QString &text, QPointF topLeft, qreal height, const Style &style);

}  // namespace sevensegment
