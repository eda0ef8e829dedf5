#include "widgets/nct_amp_bar2.h"

#include "widgets/accessibility_events.h"
#include "widgets/focus_ring.h"
#include "widgets/widget_accessibility.h"
#include "widgets/widget_style.h"

#include <QEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {

// Values that keep coming move the falling marker as they arrive; a timer moves it in steps
// of kDecayIntervalMs only while none come for kValuesGapMs (after a stop, or from a slow
// source), so a bar fed every 80 ms does not wake the window thread in between.
constexpr int kDecayIntervalMs = 40;
constexpr int kValuesGapMs = 150;
// Re-arming the timer at every value cost more than the rest of a value's work; it is armed
// this much longer and re-armed only when less than the gap is left.
constexpr int kDecayArmSlackMs = 150;
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
    // Every pixel is painted (the corners in the window's colour), so nothing behind the
    // bar is repainted with it.
    setAttribute(Qt::WA_OpaquePaintEvent);
    decayTimer_.setInterval(kDecayIntervalMs);
    clock_.start();
    connect(&decayTimer_, &QTimer::timeout, this, &TNCTAmpBar2::decayPeak);
    clipHold_.setSingleShot(true);
    clipHold_.setTimerType(Qt::PreciseTimer);
    connect(&clipHold_, &QTimer::timeout, this, &TNCTAmpBar2::clipHoldEnded);
    // Reachable by Tab, so that a screen reader can read the level; a click does not take
    // the focus from the controls.
    setFocusPolicy(Qt::TabFocus);
    installWidgetAccessibility();
}

namespace {

int percentOf(double fraction) {
    return static_cast<int>(std::lround(fraction * 100.0));
}

}  // namespace

int TNCTAmpBar2::percent(int value) {
    return percentOf(toFraction(value));
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
    lastValueMs_ = clock_.elapsed();
    const bool clipped = Value == kMaxValue;
    const double fraction = Value == value_ ? fraction_ : toFraction(Value);
    hold_.level(fraction, clipped, lastValueMs_);
    // Loud sound clips at every tick: the clip timer is moved on when it fires, not
    // restarted at every clip.
    if (clipped && !clipHold_.isActive()) {
        clipHold_.start(kClipHoldMs);
        update();
    }
    // A decay timer already armed stays when the level rises: stopping it at every rise and
    // starting it at the next fall cost more than its one late tick, which finds nothing to do.
    if (hold_.falling())
        armDecay();
    if (Value == value_) {
        repaintChanges();  // the marker may have moved
        return;
    }
    const bool percentChanged = percentOf(fraction) != percentOf(fraction_);
    value_ = Value;
    fraction_ = fraction;
    repaintChanges();
    if (percentChanged)
        widgetaccess::valueChanged(this, percentOf(fraction_));
}

void TNCTAmpBar2::clipHoldEnded() {
    const qint64 left = hold_.clipUntilMs() - clock_.elapsed();
    if (left > 0)
        clipHold_.start(static_cast<int>(left));
    else
        update();
}

// The timer fires only when no value came for at least kValuesGapMs.
void TNCTAmpBar2::armDecay() {
    const qint64 now = lastValueMs_;
    if (decayTimer_.isActive() && decayDueMs_ - now >= kValuesGapMs)
        return;
    decayDueMs_ = now + kValuesGapMs + kDecayArmSlackMs;
    decayTimer_.start(kValuesGapMs + kDecayArmSlackMs);
}

void TNCTAmpBar2::decayPeak() {
    if (decayTimer_.interval() != kDecayIntervalMs &&
        clock_.elapsed() - lastValueMs_ < kValuesGapMs) {
        armDecay();  // values still come and move the marker themselves
        return;
    }
    hold_.advance(clock_.elapsed());
    if (!hold_.falling())
        decayTimer_.stop();
    else
        decayTimer_.setInterval(kDecayIntervalMs);
    repaintChanges();
}

TNCTAmpBar2::Layout TNCTAmpBar2::layout() const {
    const bool showTicks = height() >= 18;
    const int inset = 2;
    const QRect bar = rect().adjusted(inset + 1, inset, -inset - 1, -inset - (showTicks ? 3 : 0));
    Layout l;
    l.step = kSegmentWidth + kSegmentGap;
    l.segments = std::max(1, (bar.width() + kSegmentGap) / l.step);
    const int used = l.segments * l.step - kSegmentGap;
    l.left = bar.left() + (bar.width() - used) / 2;
    return l;
}

TNCTAmpBar2::Lit TNCTAmpBar2::litFor(const Layout &l) const {
    const double level = fraction_;
    const double peak = hold_.peak();
    Lit lit;
    // Segment i is lit when its start i / segments lies below the level.
    if (value_ > 0)
        lit.count = std::clamp(static_cast<int>(std::ceil(level * l.segments)), 0, l.segments);
    const int peakSegment =
        peak > 0.0 ? std::min(l.segments - 1, static_cast<int>(peak * l.segments)) : -1;
    if (peakSegment >= lit.count && peak > level)
        lit.peak = peakSegment;
    return lit;
}

QRect TNCTAmpBar2::segmentsRect(const Layout &l, int first, int last) const {
    return QRect(l.left + first * l.step, 0, (last - first + 1) * l.step, height());
}

void TNCTAmpBar2::repaintChanges() {
    const Layout l = layout();
    const Lit now = litFor(l);
    if (now == shown_)
        return;
    QRegion area;
    if (now.count != shown_.count) {
        area += segmentsRect(l, std::min(now.count, shown_.count),
                             std::max(now.count, shown_.count) - 1);
    }
    if (now.peak != shown_.peak) {
        if (now.peak >= 0)
            area += segmentsRect(l, now.peak, now.peak);
        if (shown_.peak >= 0)
            area += segmentsRect(l, shown_.peak, shown_.peak);
    }
    shown_ = now;
    update(area);
}

void TNCTAmpBar2::resizeEvent(QResizeEvent *event) {
    QWidget::resizeEvent(event);
    invalidatePictures();
}

void TNCTAmpBar2::changeEvent(QEvent *event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::EnabledChange || event->type() == QEvent::PaletteChange)
        invalidatePictures();
}

void TNCTAmpBar2::invalidatePictures() {
    dark_ = QPixmap();
    bright_ = QPixmap();
    update();
}

// The whole bar with every segment dark, or every segment lit.
void TNCTAmpBar2::paintBar(QPixmap &target, bool lit) const {
    const qreal ratio = devicePixelRatioF();
    target = QPixmap((QSizeF(size()) * ratio).toSize());
    target.setDevicePixelRatio(ratio);
    target.fill(palette().color(backgroundRole()));
    QPainter p(&target);
    widgetstyle::drawPanel(p, rect(), 2.0);

    const bool showTicks = height() >= 18;
    const int inset = 2;
    const QRect bar = rect().adjusted(inset + 1, inset, -inset - 1, -inset - (showTicks ? 3 : 0));
    const Layout l = layout();
    for (int i = 0; i < l.segments; ++i) {
        const double start = static_cast<double>(i) / l.segments;
        const double db = kMinDb + (start + 0.5 / l.segments) * -kMinDb;
        p.fillRect(QRect(l.left + i * l.step, bar.top(), kSegmentWidth, bar.height()),
                   zoneColour(db, lit, isEnabled()));
    }

    if (showTicks) {
        const int used = l.segments * l.step - kSegmentGap;
        p.setPen(widgetstyle::labelText());
        for (double db : {-48.0, -36.0, -24.0, -12.0, -6.0, -3.0, 0.0}) {
            const int x =
                l.left + static_cast<int>(std::lround((db - kMinDb) / -kMinDb * (used - 1)));
            p.drawLine(x, bar.bottom() + 2, x, bar.bottom() + 3);
        }
    }
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

void TNCTAmpBar2::paintEvent(QPaintEvent *) {
    const qreal ratio = devicePixelRatioF();
    if (dark_.isNull() || dark_.devicePixelRatio() != ratio) {
        paintBar(dark_, false);
        paintBar(bright_, true);
    }
    const Layout l = layout();
    const Lit lit = litFor(l);
    shown_ = lit;
    QPainter p(this);
    p.drawPixmap(0, 0, dark_);
    // Lit segments come from the bright picture; everything up to the last of them matches.
    auto copyBright = [&](int fromX, int toX) {
        if (toX <= fromX)
            return;
        const QRectF target(fromX, 0, toX - fromX, height());
        const QRectF source(target.topLeft() * ratio, target.size() * ratio);
        p.drawPixmap(target, bright_, source);
    };
    if (lit.count > 0)
        copyBright(l.left, l.left + lit.count * l.step);
    if (lit.peak >= 0)
        copyBright(l.left + lit.peak * l.step, l.left + (lit.peak + 1) * l.step);

    const bool showTicks = height() >= 18;
    const int inset = 2;
    const QRect bar = rect().adjusted(inset + 1, inset, -inset - 1, -inset - (showTicks ? 3 : 0));
    paintClipMark(p, QRect(l.left, bar.top(), l.segments * l.step - kSegmentGap, bar.height()));
    focusring::paintIfFocused(p, this, rect());
}
