#include "audio/widgets/nct_amp_bar2.h"

#include "audio/widgets/accessibility_events.h"
#include "audio/widgets/focus_ring.h"
#include "audio/widgets/widget_accessibility.h"
#include "audio/widgets/widget_style.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {

constexpr int kHoldMs = 1200;
constexpr int kDecayIntervalMs = 40;
constexpr double kDecayPerTick = 0.025;
constexpr int kSegmentWidth = 3;
constexpr int kSegmentGap = 1;

QColor zoneColour(double db, bool lit, bool enabled) {
    QColor c;
    if (!enabled)
        c = widgetstyle::disabledAccent();
    else if (db >= TNCTAmpBar2::kRedDb)
        c = QColor(0xff, 0x45, 0x3a);
    else if (db >= TNCTAmpBar2::kYellowDb)
        c = QColor(0xff, 0xd0, 0x2e);
    else
        c = QColor(0x3c, 0xdc, 0x5a);
    return lit ? c : c.darker(520);
}

}  // namespace

TNCTAmpBar2::TNCTAmpBar2(QWidget *parent) : QWidget(parent) {
    decayTimer_.setInterval(kDecayIntervalMs);
    connect(&decayTimer_, &QTimer::timeout, this, &TNCTAmpBar2::decayPeak);
    clipHold_.setSingleShot(true);
    clipHold_.setTimerType(Qt::PreciseTimer);
    clipHold_.setInterval(kClipHoldMs);
    connect(&clipHold_, &QTimer::timeout, this, qOverload<>(&QWidget::update));
    // Reachable by Tab, so that a screen reader can read the level; a click does not take
    // the focus from the controls.
    setFocusPolicy(Qt::TabFocus);
    installWidgetAccessibility();
}

int TNCTAmpBar2::percent(int value) {
    return static_cast<int>(std::lround(toFraction(value) * 100.0));
}

double TNCTAmpBar2::toDb(int value) {
    if (value <= 0)
        return kMinDb;
    const double db = 20.0 * std::log10(static_cast<double>(value) / kMaxValue);
    return std::clamp(db, kMinDb, 0.0);
}

double TNCTAmpBar2::toFraction(int value) {
    return (toDb(value) - kMinDb) / -kMinDb;
}

void TNCTAmpBar2::setValue(int Value) {
    Value = std::clamp(Value, 0, kMaxValue);
    if (Value == kMaxValue) {
        if (!clipHold_.isActive())
            update();
        clipHold_.start();  // held from the last clipped level on
    }
    const double fraction = toFraction(Value);
    if (fraction >= peak_) {
        peak_ = fraction;
        peakAge_.start();
    } else if (!decayTimer_.isActive()) {
        decayTimer_.start();
    }
    if (Value == value_)
        return;
    const bool percentChanged = percent(Value) != percent(value_);
    value_ = Value;
    update();
    if (percentChanged)
        widgetaccess::valueChanged(this, percent(value_));
}

void TNCTAmpBar2::decayPeak() {
    const double level = toFraction(value_);
    if (peakAge_.isValid() && peakAge_.elapsed() < kHoldMs)
        return;
    peak_ = std::max(level, peak_ - kDecayPerTick);
    if (peak_ <= level)
        decayTimer_.stop();
    update();
}

void TNCTAmpBar2::paintEvent(QPaintEvent *) {
    QPainter p(this);
    const QRectF frame = rect();
    widgetstyle::drawPanel(p, frame, 2.0);

    const bool showTicks = height() >= 18;
    const int inset = 2;
    const QRect bar = rect().adjusted(inset + 1, inset, -inset - 1, -inset - (showTicks ? 3 : 0));
    const int step = kSegmentWidth + kSegmentGap;
    const int segments = std::max(1, (bar.width() + kSegmentGap) / step);
    const int used = segments * step - kSegmentGap;
    const int left = bar.left() + (bar.width() - used) / 2;

    const double level = toFraction(value_);
    const int peakSegment =
        peak_ > 0.0 ? std::min(segments - 1, static_cast<int>(peak_ * segments)) : -1;
    for (int i = 0; i < segments; ++i) {
        const double start = static_cast<double>(i) / segments;
        const double db = kMinDb + (start + 0.5 / segments) * -kMinDb;
        const bool lit = value_ > 0 && start < level;
        const bool isPeak = i == peakSegment && peak_ > level;
        p.fillRect(QRect(left + i * step, bar.top(), kSegmentWidth, bar.height()),
                   zoneColour(db, lit || isPeak, isEnabled()));
    }

    if (showTicks) {
        p.setPen(widgetstyle::labelText());
        for (double db : {-48.0, -36.0, -24.0, -12.0, -6.0, -3.0, 0.0}) {
            const int x =
                left + static_cast<int>(std::lround((db - kMinDb) / -kMinDb * (used - 1)));
            p.drawLine(x, bar.bottom() + 2, x, bar.bottom() + 3);
        }
    }
    paintClipMark(p, QRect(left, bar.top(), used, bar.height()));
    focusring::paintIfFocused(p, this, rect());
}

// A bright block over the bar's last segments, so a clip stands out from a loud level.
void TNCTAmpBar2::paintClipMark(QPainter &p, const QRect &bar) {
    if (!clipLit())
        return;
    const int width = std::min(bar.width(), 2 * (kSegmentWidth + kSegmentGap) + kSegmentWidth);
    const QRect mark(bar.right() - width + 1, bar.top(), width, bar.height());
    p.fillRect(mark, isEnabled() ? QColor(0xff, 0x20, 0x20) : widgetstyle::disabledAccent());
    p.setPen(QColor(0xff, 0xe0, 0xe0));
    p.drawRect(mark.adjusted(0, 0, -1, -1));
}
