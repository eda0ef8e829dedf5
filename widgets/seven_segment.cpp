#include "widgets/seven_segment.h"

#include <QPolygonF>
#include <QTransform>

#include <algorithm>
#include <array>

namespace sevensegment {
namespace {

constexpr qreal kDigitWidth = 0.52;
constexpr qreal kSpacing = 0.13;
constexpr qreal kSeparatorWidth = 0.26;
constexpr qreal kSlant = 0.07;

// Segments a..g as bits 0..6.
constexpr std::array<unsigned, 10> kDigits = {0x3f, 0x06, 0x5b, 0x4f, 0x66,
                                              0x6d, 0x7d, 0x07, 0x7f, 0x6f};

qreal charWidth(QChar c, qreal height) {
    if (c == QLatin1Char(':') || c == QLatin1Char('.'))
        return kSeparatorWidth * height;
    return kDigitWidth * height;
}

QPolygonF horizontal(qreal x0, qreal x1, qreal y, qreal t) {
    return QPolygonF({QPointF(x0, y), QPointF(x0 + t / 2, y - t / 2),
                      QPointF(x1 - t / 2, y - t / 2), QPointF(x1, y),
                      QPointF(x1 - t / 2, y + t / 2), QPointF(x0 + t / 2, y + t / 2)});
}

QPolygonF vertical(qreal x, qreal y0, qreal y1, qreal t) {
    return QPolygonF({QPointF(x, y0), QPointF(x + t / 2, y0 + t / 2),
                      QPointF(x + t / 2, y1 - t / 2), QPointF(x, y1),
                      QPointF(x - t / 2, y1 - t / 2), QPointF(x - t / 2, y0 + t / 2)});
}

void drawDigit(QPainter &p, int digit, qreal height, const Style &style) {
    const qreal w = kDigitWidth * height;
    const qreal h = height;
    const qreal t = std::max(1.5, 0.13 * h);
    const qreal gap = t * 0.18;
    const std::array<QPolygonF, 7> segments = {
        horizontal(t / 2 + gap, w - t / 2 - gap, t / 2, t),      // a
        vertical(w - t / 2, t / 2 + gap, h / 2 - gap, t),        // b
        vertical(w - t / 2, h / 2 + gap, h - t / 2 - gap, t),    // c
        horizontal(t / 2 + gap, w - t / 2 - gap, h - t / 2, t),  // d
        vertical(t / 2, h / 2 + gap, h - t / 2 - gap, t),        // e
        vertical(t / 2, t / 2 + gap, h / 2 - gap, t),            // f
        horizontal(t / 2 + gap, w - t / 2 - gap, h / 2, t),      // g
    };
    const unsigned mask = digit >= 0 && digit <= 9 ? kDigits[static_cast<size_t>(digit)] : 0u;
    p.setPen(Qt::NoPen);
    for (size_t i = 0; i < segments.size(); ++i) {
        p.setBrush((mask >> i) & 1u ? style.lit : style.unlit);
        p.drawPolygon(segments[i]);
    }
}

void drawSeparator(QPainter &p, QChar c, qreal height, const Style &style) {
    const qreal w = kSeparatorWidth * height;
    const qreal d = std::max(1.5, 0.13 * height);
    p.setPen(Qt::NoPen);
    p.setBrush(style.lit);
    if (c == QLatin1Char(':')) {
        p.drawRect(QRectF(w / 2 - d / 2, height * 0.3 - d / 2, d, d));
        p.drawRect(QRectF(w / 2 - d / 2, height * 0.7 - d / 2, d, d));
    } else {
        p.drawRect(QRectF(w / 2 - d / 2, height - d, d, d));
    }
}

}  // namespace

qreal textWidth(const QString &text, qreal height) {
    qreal width = 0;
    for (int i = 0; i < text.size(); ++i) {
        if (i > 0)
            width += kSpacing * height;
        width += charWidth(text.at(i), height);
    }
    return width;
}

qreal drawText(QPainter &p, const QString &text, QPointF topLeft, qreal height,
               const Style &style) {
    qreal x = topLeft.x();
    for (int i = 0; i < text.size(); ++i) {
        if (i > 0)
            x += kSpacing * height;
        const QChar c = text.at(i);
        p.save();
        // A slight forward slant, as on most LCD readouts.
        QTransform slant(1, 0, -kSlant, 1, x + kSlant * height, topLeft.y());
        p.setTransform(slant, true);
        if (c.isDigit())
            drawDigit(p, c.digitValue(), height, style);
        else if (c == QLatin1Char(':') || c == QLatin1Char('.'))
            drawSeparator(p, c, height, style);
        p.restore();
        x += charWidth(c, height);
    }
    return x;
}

}  // namespace sevensegment
