#include "widgets/spectrum_painters.h"

#include "widgets/widget_style.h"

#include <QLinearGradient>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace spectrumpaint {
namespace {

int count(const Scene &s) {
    return static_cast<int>(s.levels.size());
}

float level(const Scene &s, int i) {
    return std::clamp(s.levels[static_cast<size_t>(i)], 0.0f, 1.0f);
}

float peak(const Scene &s, int i) {
    if (static_cast<size_t>(i) >= s.peaks.size())
        return 0.0f;
    return std::clamp(s.peaks[static_cast<size_t>(i)], 0.0f, 1.0f);
}

// Horizontal extent of column i, with a gap on its right of `gapRatio` of its width.
QRectF columnBox(const Scene &s, int i, qreal gapRatio, qreal minGap = 1.0) {
    const qreal w = s.plot.width() / std::max(1, count(s));
    const qreal left = s.plot.left() + i * w;
    const qreal gap = std::max(minGap, w * gapRatio);
    return QRectF(left, s.plot.top(), std::max(1.0, w - gap), s.plot.height());
}

QColor greyed(const QColor &c, bool enabled) {
    if (enabled)
        return c;
    const int g = qGray(c.rgb());
    return QColor(g, g, g, c.alpha());
}

}  // namespace

void paintAnalog(QPainter &p, const Scene &s) {
    const qreal segH = 3.0;
    const qreal segGap = 1.0;
    const int segments =
        std::max(1, static_cast<int>((s.plot.height() + segGap) / (segH + segGap)));
    const qreal bottom = s.plot.bottom();
    p.setPen(Qt::NoPen);
    for (int i = 0; i < count(s); ++i) {
        const QRectF box = columnBox(s, i, 0.22, 2.0);
        if (!s.dirty.isNull() && (box.right() < s.dirty.left() || box.left() > s.dirty.right()))
            continue;
        const int lit = static_cast<int>(std::lround(level(s, i) * segments));
        const int cap =
            std::min(segments - 1, static_cast<int>(std::lround(peak(s, i) * segments)));
        for (int k = 0; k < segments; ++k) {
            const qreal frac = static_cast<qreal>(k) / segments;
            QColor c = frac < 0.6
                           ? QColor(0x3c, 0xdc, 0x5a)
                           : (frac < 0.85 ? QColor(0xff, 0xd0, 0x2e) : QColor(0xff, 0x45, 0x3a));
            const bool on = k < lit;
            const bool isCap = k == cap && cap >= lit && peak(s, i) > 0.0f;
            if (!on && !isCap)
                c.setAlpha(22);
            else if (isCap)
                c = c.lighter(130);
            p.setBrush(greyed(c, s.enabled));
            const qreal y = bottom - (k + 1) * (segH + segGap) + segGap;
            p.drawRect(QRectF(box.left(), y, box.width(), segH));
        }
    }
}

void paintLinear(QPainter &p, const Scene &s) {
    const int n = count(s);
    if (n < 2)
        return;
    QPainterPath line;
    for (int i = 0; i < n; ++i) {
        const qreal x = s.plot.left() + s.plot.width() * i / (n - 1);
        const qreal y = s.plot.bottom() - level(s, i) * s.plot.height();
        if (i == 0)
            line.moveTo(x, y);
        else
            line.lineTo(x, y);
    }
    const QColor colour = greyed(QColor(0x4d, 0xe1, 0xff), s.enabled);
    QPainterPath area = line;
    area.lineTo(s.plot.right(), s.plot.bottom());
    area.lineTo(s.plot.left(), s.plot.bottom());
    area.closeSubpath();
    QLinearGradient fill(s.plot.topLeft(), s.plot.bottomLeft());
    QColor top = colour;
    top.setAlpha(110);
    QColor low = colour;
    low.setAlpha(10);
    fill.setColorAt(0, top);
    fill.setColorAt(1, low);
    p.setPen(Qt::NoPen);
    p.setBrush(fill);
    p.drawPath(area);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(colour, 1.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(line);
}

void paintNormal(QPainter &p, const Scene &s) {
    QLinearGradient fill(s.plot.bottomLeft(), s.plot.topLeft());
    fill.setColorAt(0, greyed(QColor(0x1b, 0x5e, 0xc4), s.enabled));
    fill.setColorAt(1, greyed(QColor(0x6c, 0xd0, 0xff), s.enabled));
    p.setPen(Qt::NoPen);
    p.setBrush(fill);
    for (int i = 0; i < count(s); ++i) {
        const QRectF box = columnBox(s, i, 0.2);
        if (!s.dirty.isNull() && (box.right() < s.dirty.left() || box.left() > s.dirty.right()))
            continue;
        const qreal h = level(s, i) * s.plot.height();
        // Anchored on the baseline exactly, so the bar's foot looks the same at every height
        // and only the strip between an old and a new top needs repainting.
        if (h >= 0.5)
            p.drawRect(QRectF(QPointF(box.left(), s.plot.bottom() - h), box.bottomRight()));
    }
}

QRect normalBarSpan(const QRectF &plot, int count, int i) {
    const qreal w = plot.width() / std::max(1, count);
    const qreal left = plot.left() + i * w;
    const qreal right = left + std::max(1.0, w - std::max(1.0, w * 0.2));
    // The gap of at least a pixel keeps the rounded-out edges off the next bar's pixels.
    const int x0 = static_cast<int>(std::floor(left));
    const int y0 = static_cast<int>(std::round(plot.top()));
    return QRect(QPoint(x0, y0), QPoint(static_cast<int>(std::ceil(right)) - 1,
                                        static_cast<int>(std::ceil(plot.bottom())) - 1));
}

int normalBarTop(const QRectF &plot, float level) {
    const qreal h = std::clamp(level, 0.0f, 1.0f) * plot.height();
    if (h < 0.5)
        return static_cast<int>(std::ceil(plot.bottom()));
    return static_cast<int>(std::round(plot.bottom() - h));
}

void paintFire(QPainter &p, const Scene &s) {
    // Embers glow faintly along the floor.
    QLinearGradient glow(s.plot.bottomLeft(), s.plot.topLeft());
    glow.setColorAt(0, QColor(0x5a, 0x12, 0x00, s.enabled ? 90 : 30));
    glow.setColorAt(0.4, QColor(0x2a, 0x08, 0x00, 0));
    p.fillRect(s.plot, glow);

    QLinearGradient fire(s.plot.bottomLeft(), s.plot.topLeft());
    fire.setColorAt(0.0, greyed(QColor(0x6b, 0x05, 0x00), s.enabled));
    fire.setColorAt(0.35, greyed(QColor(0xd9, 0x2b, 0x00), s.enabled));
    fire.setColorAt(0.65, greyed(QColor(0xff, 0x8c, 0x00), s.enabled));
    fire.setColorAt(0.85, greyed(QColor(0xff, 0xd8, 0x3a), s.enabled));
    fire.setColorAt(1.0, greyed(QColor(0xff, 0xfb, 0xe0), s.enabled));
    p.setPen(Qt::NoPen);
    p.setBrush(fire);
    for (int i = 0; i < count(s); ++i) {
        const QRectF box = columnBox(s, i, 0.0, 1.0);
        const qreal h = level(s, i) * s.plot.height();
        if (h < 0.5)
            continue;
        // Flame tips taper into a point.
        QPainterPath flame;
        const qreal top = s.plot.bottom() - h;
        const qreal tip = std::min(h, box.width() * 1.2);
        flame.moveTo(box.left(), s.plot.bottom());
        flame.lineTo(box.left(), top + tip);
        flame.quadTo(box.left(), top, box.center().x(), top);
        flame.quadTo(box.right(), top, box.right(), top + tip);
        flame.lineTo(box.right(), s.plot.bottom());
        flame.closeSubpath();
        p.drawPath(flame);
    }
}

void paintGlass(QPainter &p, const Scene &s) {
    // Bars stand on a baseline three quarters down; the rest mirrors them faintly.
    const qreal base = s.plot.top() + s.plot.height() * 0.76;
    const qreal tall = base - s.plot.top();
    const qreal mirror = s.plot.bottom() - base;
    const QColor body = greyed(QColor(0x8f, 0xd8, 0xff), s.enabled);
    for (int i = 0; i < count(s); ++i) {
        const QRectF box = columnBox(s, i, 0.28, 2.0);
        const qreal h = level(s, i) * tall;
        if (h < 1.0)
            continue;
        const QRectF bar(box.left(), base - h, box.width(), h);
        const qreal r = std::min(4.0, box.width() / 3);

        QLinearGradient fill(bar.topLeft(), bar.bottomLeft());
        QColor top = body;
        top.setAlpha(150);
        QColor low = body;
        low.setAlpha(60);
        fill.setColorAt(0, top);
        fill.setColorAt(1, low);
        QColor edge = body.lighter(115);
        edge.setAlpha(200);
        p.setPen(QPen(edge, 1.0));
        p.setBrush(fill);
        p.drawRoundedRect(bar.adjusted(0.5, 0.5, -0.5, 0), r, r);

        // Gloss: a bright sheen down the left third.
        QLinearGradient sheen(bar.topLeft(), bar.topRight());
        sheen.setColorAt(0, QColor(255, 255, 255, s.enabled ? 130 : 60));
        sheen.setColorAt(0.35, QColor(255, 255, 255, 0));
        p.setPen(Qt::NoPen);
        p.setBrush(sheen);
        p.drawRoundedRect(bar.adjusted(1.5, 1.5, -1.5, -1), r, r);

        const qreal rh = std::min(h, mirror) * 0.8;
        if (rh >= 1.0) {
            QLinearGradient fade(QPointF(0, base), QPointF(0, base + rh));
            QColor start = body;
            start.setAlpha(55);
            QColor end = body;
            end.setAlpha(0);
            fade.setColorAt(0, start);
            fade.setColorAt(1, end);
            p.setBrush(fade);
            p.drawRect(QRectF(bar.left(), base + 1, bar.width(), rh));
        }
    }
    QColor baseline = body;
    baseline.setAlpha(80);
    p.setPen(QPen(baseline, 1.0));
    p.drawLine(QPointF(s.plot.left(), base + 0.5), QPointF(s.plot.right(), base + 0.5));
}

void paintKryptonite(QPainter &p, const Scene &s) {
    const qreal mid = s.plot.center().y();
    const qreal half = s.plot.height() / 2 - 2;
    const QColor core = greyed(QColor(0x7d, 0xff, 0x4f), s.enabled);
    const QColor deep = greyed(QColor(0x0b, 0x6b, 0x1e), s.enabled);

    QLinearGradient fill(QPointF(0, mid - half), QPointF(0, mid + half));
    fill.setColorAt(0.0, deep);
    fill.setColorAt(0.5, core);
    fill.setColorAt(1.0, deep);
    for (int i = 0; i < count(s); ++i) {
        const QRectF box = columnBox(s, i, 0.3, 1.0);
        const qreal h = level(s, i) * half;
        if (h >= 0.5) {
            QColor halo = core;
            halo.setAlpha(40);
            p.setPen(Qt::NoPen);
            p.setBrush(halo);
            p.drawRoundedRect(QRectF(box.left() - 1, mid - h - 1, box.width() + 2, 2 * h + 2), 2,
                              2);
            p.setBrush(fill);
            p.drawRect(QRectF(box.left(), mid - h, box.width(), 2 * h));
        }
        const qreal pk = peak(s, i) * half;
        if (pk >= 1.0) {
            p.setPen(Qt::NoPen);
            p.setBrush(core.lighter(140));
            const qreal d = std::clamp(box.width() * 0.6, 1.5, 4.0);
            p.drawEllipse(QPointF(box.center().x(), mid - pk - 2), d / 2, d / 2);
            p.drawEllipse(QPointF(box.center().x(), mid + pk + 2), d / 2, d / 2);
        }
    }
    QColor axis = core;
    axis.setAlpha(s.enabled ? 70 : 30);
    p.setPen(QPen(axis, 1.0));
    p.drawLine(QPointF(s.plot.left(), mid), QPointF(s.plot.right(), mid));
}

}  // namespace spectrumpaint
