#include "audio/widgets/nct_time_display2.h"

#include "audio/widgets/accessibility_events.h"
#include "audio/widgets/focus_ring.h"
#include "audio/widgets/seven_segment.h"
#include "audio/widgets/widget_accessibility.h"
#include "audio/widgets/widget_style.h"

#include <QPainter>

#include <algorithm>

TNCTTimeDisplay2::TNCTTimeDisplay2(QWidget *parent) : QWidget(parent) {
    setFocusPolicy(Qt::TabFocus);
    installWidgetAccessibility();
}

void TNCTTimeDisplay2::reportChange() {
    const QString shown = text();
    const QString seconds = shown.left(shown.lastIndexOf(QLatin1Char('.')));
    if (seconds == reported_)
        return;
    reported_ = seconds;
    widgetaccess::nameChanged(this);
}

void TNCTTimeDisplay2::setHours(int Hours) {
    hours_ = std::max(Hours, 0);
    update();
    reportChange();
}

void TNCTTimeDisplay2::setMinutes(int Minutes) {
    minutes_ = std::max(Minutes, 0);
    update();
    reportChange();
}

void TNCTTimeDisplay2::setSeconds(int Seconds) {
    seconds_ = std::max(Seconds, 0);
    update();
    reportChange();
}

void TNCTTimeDisplay2::setMilliseconds(int Milliseconds) {
    // A total is spread whatever its size: a short one must not keep the hours, minutes and
    // seconds of an earlier, longer one, which the recording clock would read back.
    const int total = std::max(Milliseconds, 0);
    hours_ = total / 3600000;
    minutes_ = total / 60000 % 60;
    seconds_ = total / 1000 % 60;
    milliseconds_ = total % 1000;
    update();
    reportChange();
}

QString TNCTTimeDisplay2::text() const {
    return QStringLiteral("%1:%2:%3.%4")
        .arg(hours_, 2, 10, QLatin1Char('0'))
        .arg(minutes_, 2, 10, QLatin1Char('0'))
        .arg(seconds_, 2, 10, QLatin1Char('0'))
        .arg(milliseconds_ / 100 % 10);
}

void TNCTTimeDisplay2::paintEvent(QPaintEvent *) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing, true);
    const QRectF frame = rect();
    widgetstyle::drawPanel(p, frame, 4.0);

    const QString full = text();
    const int dot = full.lastIndexOf(QLatin1Char('.'));
    const QString main = full.left(dot);
    const QString tenths = full.mid(dot);

    const QColor lit = isEnabled() ? QColor(0x66, 0xf0, 0xc0) : widgetstyle::disabledAccent();
    sevensegment::Style style;
    style.lit = lit;
    style.unlit = QColor(lit.red(), lit.green(), lit.blue(), 22);

    // Main digits use most of the height; tenths sit on the baseline, smaller.
    const QRectF area = frame.adjusted(5, 5, -5, -5);
    const qreal smallRatio = 0.62;
    qreal height = area.height();
    auto widthFor = [&](qreal h) {
        return sevensegment::textWidth(main, h) + sevensegment::textWidth(tenths, h * smallRatio);
    };
    if (widthFor(height) > area.width())
        height = height * area.width() / widthFor(height);

    const qreal total = widthFor(height);
    qreal x = area.left() + (area.width() - total) / 2.0;
    const qreal bottom = area.center().y() + height / 2.0;
    x = sevensegment::drawText(p, main, QPointF(x, bottom - height), height, style);
    sevensegment::drawText(p, tenths, QPointF(x, bottom - height * smallRatio), height * smallRatio,
                           style);
    focusring::paintIfFocused(p, this, rect());
}
