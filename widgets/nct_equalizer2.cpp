#include "widgets/nct_equalizer2.h"

#include "audio/dsp/playback_equalizer.h"
#include "widgets/accessibility_events.h"
#include "widgets/focus_ring.h"
#include "widgets/widget_accessibility.h"
#include "widgets/widget_style.h"

#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace {

// The bands are labelled with the frequencies the player's equaliser works at.
constexpr const auto &kFrequencies = PlaybackEqualizer::kCentreFrequencies;
constexpr int kScaleWidth = 24;
constexpr int kLabelHeight = 13;
constexpr int kThumbHeight = 8;

QString frequencyLabel(int hz) {
    if (hz < 1000)
        return QString::number(hz);
    return QString::number(hz / 1000) + QLatin1Char('k');
}

float quantise(float dB) {
    return std::round(dB / TNCTEqualizer2::kDragStepDb) * TNCTEqualizer2::kDragStepDb;
}

}  // namespace

TNCTEqualizer2::TNCTEqualizer2(QWidget *parent) : QWidget(parent) {
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    installWidgetAccessibility();
}

float TNCTEqualizer2::Band(int n) const {
    if (n < 1 || n > kBands)
        return 0.0f;
    return gains_[static_cast<size_t>(n - 1)];
}

void TNCTEqualizer2::setBand(int n, float dB) {
    if (n < 1 || n > kBands || std::isnan(dB))
        return;
    gains_[static_cast<size_t>(n - 1)] = std::clamp(dB, kMinDb, kMaxDb);
    update();
    widgetaccess::valueChanged(this, Band(n), n - 1);
}

void TNCTEqualizer2::setUserBand(int n, float dB) {
    if (n < 1 || n > kBands)
        return;
    const float value = std::clamp(dB, kMinDb, kMaxDb);
    float &gain = gains_[static_cast<size_t>(n - 1)];
    if (value == gain)
        return;
    gain = value;
    update();
    widgetaccess::valueChanged(this, value, n - 1);
    Q_EMIT OnValueChange(n);
}

int TNCTEqualizer2::BandFrequency(int n) {
    if (n < 1 || n > kBands)
        return 0;
    return kFrequencies[n - 1];
}

QRect TNCTEqualizer2::plotArea() const {
    return rect().adjusted(kScaleWidth, 6, -6, -kLabelHeight - 2);
}

QRect TNCTEqualizer2::bandRect(int n) const {
    if (n < 1 || n > kBands)
        return QRect();
    const QRect area = plotArea();
    const int left = area.left() + (n - 1) * area.width() / kBands;
    const int right = area.left() + n * area.width() / kBands;
    return QRect(left, 0, right - left, height());
}

int TNCTEqualizer2::yForDb(float dB) const {
    const QRect area = plotArea();
    const double top = area.top() + kThumbHeight / 2.0;
    const double span = area.height() - kThumbHeight;
    const double fraction = (kMaxDb - std::clamp(dB, kMinDb, kMaxDb)) / (kMaxDb - kMinDb);
    return static_cast<int>(std::lround(top + fraction * span));
}

float TNCTEqualizer2::dbAtY(int y) const {
    const QRect area = plotArea();
    const double top = area.top() + kThumbHeight / 2.0;
    const double span = std::max(1, area.height() - kThumbHeight);
    const double fraction = (y - top) / span;
    return quantise(static_cast<float>(kMaxDb - fraction * (kMaxDb - kMinDb)));
}

QRectF TNCTEqualizer2::thumbRect(int n) const {
    const QRect column = bandRect(n);
    const qreal w = std::clamp(column.width() - 8, 8, 18);
    return QRectF(column.center().x() + 0.5 - w / 2, yForDb(Band(n)) - kThumbHeight / 2.0, w,
                  kThumbHeight);
}

int TNCTEqualizer2::bandAt(const QPoint &pos) const {
    for (int n = 1; n <= kBands; ++n) {
        if (bandRect(n).contains(pos))
            return n;
    }
    return 0;
}

void TNCTEqualizer2::mousePressEvent(QMouseEvent *event) {
    const QPoint pos = event->position().toPoint();
    const int n = bandAt(pos);
    if (event->button() != Qt::LeftButton || n == 0) {
        event->ignore();
        return;
    }
    dragBand_ = n;
    focusBand_ = n;
    const QRectF thumb = thumbRect(n);
    grabOffset_ = thumb.adjusted(0, -2, 0, 2).contains(thumb.center().x(), pos.y())
                      ? pos.y() - yForDb(Band(n))
                      : 0;
    setUserBand(n, dbAtY(pos.y() - grabOffset_));
    update();
}

void TNCTEqualizer2::mouseMoveEvent(QMouseEvent *event) {
    const QPoint pos = event->position().toPoint();
    if (dragBand_ != 0) {
        setUserBand(dragBand_, dbAtY(pos.y() - grabOffset_));
        return;
    }
    const int n = bandAt(pos);
    if (n != hoverBand_) {
        hoverBand_ = n;
        update();
    }
}

void TNCTEqualizer2::mouseReleaseEvent(QMouseEvent *event) {
    if (event->button() != Qt::LeftButton || dragBand_ == 0) {
        event->ignore();
        return;
    }
    dragBand_ = 0;
    grabOffset_ = 0;
    update();
}

void TNCTEqualizer2::mouseDoubleClickEvent(QMouseEvent *event) {
    const int n = bandAt(event->position().toPoint());
    if (event->button() != Qt::LeftButton || n == 0) {
        event->ignore();
        return;
    }
    setUserBand(n, 0.0f);
}

void TNCTEqualizer2::wheelEvent(QWheelEvent *event) {
    const int n = bandAt(event->position().toPoint());
    const int steps = event->angleDelta().y() / 120;
    if (n == 0 || steps == 0) {
        event->ignore();
        return;
    }
    setUserBand(n, quantise(Band(n)) + static_cast<float>(steps));
}

void TNCTEqualizer2::leaveEvent(QEvent *) {
    if (hoverBand_ != 0) {
        hoverBand_ = 0;
        update();
    }
}

void TNCTEqualizer2::paintEvent(QPaintEvent *) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing, true);
    widgetstyle::drawPanel(p, rect(), 4.0);
    const bool enabled = isEnabled();
    const QRect area = plotArea();

    QFont small = font();
    small.setPixelSize(9);
    p.setFont(small);

    // dB grid: +15, 0 and -15 labelled, the quarter lines faint.
    for (float db : {15.0f, 7.5f, 0.0f, -7.5f, -15.0f}) {
        const int y = yForDb(db);
        const bool major = db == 0.0f || std::abs(db) == 15.0f;
        p.setPen(QPen(major ? widgetstyle::panelBorder() : widgetstyle::gridLine(), 1.0,
                      db == 0.0f ? Qt::SolidLine : Qt::DotLine));
        p.drawLine(QPointF(area.left(), y + 0.5), QPointF(area.right(), y + 0.5));
        if (major) {
            p.setPen(widgetstyle::labelText());
            const QString text =
                db > 0 ? QStringLiteral("+15") : QString::number(static_cast<int>(db));
            p.drawText(QRect(2, y - 6, kScaleWidth - 5, 12), Qt::AlignRight | Qt::AlignVCenter,
                       text);
        }
    }

    const QColor fillColour = enabled ? widgetstyle::accent() : widgetstyle::disabledAccent();
    const int zeroY = yForDb(0.0f);
    QPainterPath curve;
    for (int n = 1; n <= kBands; ++n) {
        const QRect column = bandRect(n);
        const qreal cx = column.center().x() + 0.5;
        // Track.
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x0b, 0x0e, 0x11));
        p.drawRoundedRect(QRectF(cx - 1.5, area.top(), 3, area.height()), 1.5, 1.5);
        // Gain bar from the 0 dB line to the thumb.
        const int y = yForDb(Band(n));
        if (y != zeroY) {
            QColor bar = fillColour;
            bar.setAlpha(170);
            p.setBrush(bar);
            p.drawRect(QRectF(cx - 1.5, std::min(y, zeroY), 3, std::abs(y - zeroY)));
        }
        const QPointF point(cx, y);
        if (n == 1)
            curve.moveTo(point);
        else
            curve.lineTo(point);
        // Frequency label.
        p.setPen(hoverBand_ == n && enabled ? QColor(0xe6, 0xed, 0xf3) : widgetstyle::labelText());
        p.drawText(QRect(column.left() - 4, area.bottom() + 3, column.width() + 8, kLabelHeight),
                   Qt::AlignHCenter | Qt::AlignTop, frequencyLabel(kFrequencies[n - 1]));
    }

    // The response in outline, so the overall shape reads at a glance.
    QColor line = fillColour;
    line.setAlpha(110);
    p.setPen(QPen(line, 1.2));
    p.setBrush(Qt::NoBrush);
    p.drawPath(curve);

    for (int n = 1; n <= kBands; ++n) {
        const QRectF thumb = thumbRect(n).adjusted(0.5, 0.5, -0.5, -0.5);
        QLinearGradient shade(thumb.topLeft(), thumb.bottomLeft());
        const bool lit = enabled && (hoverBand_ == n || dragBand_ == n);
        if (enabled) {
            shade.setColorAt(0, lit ? QColor(0xff, 0xff, 0xff) : QColor(0xe8, 0xec, 0xf0));
            shade.setColorAt(1, lit ? QColor(0xc8, 0xd6, 0xe4) : QColor(0xa9, 0xb3, 0xbe));
        } else {
            shade.setColorAt(0, QColor(0x7a, 0x80, 0x86));
            shade.setColorAt(1, QColor(0x62, 0x68, 0x6e));
        }
        p.setPen(QPen(dragBand_ == n ? widgetstyle::accent() : QColor(0x0d, 0x10, 0x13), 1.0));
        p.setBrush(shade);
        p.drawRoundedRect(thumb, 2, 2);
        p.setPen(QPen(QColor(0x4a, 0x52, 0x5c), 1.0));
        p.drawLine(QPointF(thumb.left() + 3, thumb.center().y()),
                   QPointF(thumb.right() - 3, thumb.center().y()));
    }
    focusring::paintIfFocused(p, this, bandRect(focusBand_));
}
