#include "audio/widgets/nct_time_display2.h"

#include "audio/widgets/accessibility_events.h"
#include "audio/widgets/focus_ring.h"
#include "audio/widgets/seven_segment.h"
#include "audio/widgets/widget_accessibility.h"
#include "audio/widgets/widget_style.h"

#include <QEvent>
#include <QPaintEvent>
#include <QPainter>

#include <algorithm>

TNCTTimeDisplay2::TNCTTimeDisplay2(QWidget *parent) : QWidget(parent) {
    setFocusPolicy(Qt::TabFocus);
    installWidgetAccessibility();
    // Every pixel is painted (the corners in the window's colour), so nothing behind the
    // readout is repainted with it.
    setAttribute(Qt::WA_OpaquePaintEvent);
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
    textChanged();
    reportChange();
}

void TNCTTimeDisplay2::setMinutes(int Minutes) {
    minutes_ = std::max(Minutes, 0);
    textChanged();
    reportChange();
}

void TNCTTimeDisplay2::setSeconds(int Seconds) {
    seconds_ = std::max(Seconds, 0);
    textChanged();
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
    textChanged();
    reportChange();
}

QString TNCTTimeDisplay2::text() const {
    return QStringLiteral("%1:%2:%3.%4")
        .arg(hours_, 2, 10, QLatin1Char('0'))
        .arg(minutes_, 2, 10, QLatin1Char('0'))
        .arg(seconds_, 2, 10, QLatin1Char('0'))
        .arg(milliseconds_ / 100 % 10);
}

namespace {

constexpr qreal kSmallRatio = 0.62;
constexpr qreal kSlant = 0.07;  // as the digits are drawn

}  // namespace

void TNCTTimeDisplay2::textChanged() {
    const QString now = text();
    if (now.size() != shown_.size() || cells_.size() != static_cast<size_t>(now.size())) {
        shown_ = now;
        update();
        return;
    }
    QRect area;
    for (qsizetype i = 0; i < now.size(); ++i) {
        if (now.at(i) != shown_.at(i))
            area |= cells_[static_cast<size_t>(i)].bounds;
    }
    shown_ = now;
    if (!area.isEmpty())
        update(area);
}

// Main digits use most of the height; tenths sit on the baseline, smaller.
void TNCTTimeDisplay2::layOut(const QString &full) {
    const int dot = full.lastIndexOf(QLatin1Char('.'));
    const QString main = full.left(dot);
    const QString tenths = full.mid(dot);
    const QRectF area = QRectF(rect()).adjusted(5, 5, -5, -5);
    qreal height = area.height();
    auto widthFor = [&](qreal h) {
        return sevensegment::textWidth(main, h) + sevensegment::textWidth(tenths, h * kSmallRatio);
    };
    if (widthFor(height) > area.width())
        height = height * area.width() / widthFor(height);
    const qreal total = widthFor(height);
    qreal x = area.left() + (area.width() - total) / 2.0;
    const qreal bottom = area.center().y() + height / 2.0;

    cells_.clear();
    for (qsizetype i = 0; i < full.size(); ++i) {
        const bool small = i >= dot;
        const qreal h = small ? height * kSmallRatio : height;
        // Spacing goes between the characters of each part; the tenths start right after
        // the main digits.
        if (i > 0 && i != dot)
            x += sevensegment::textWidth(QStringLiteral("00"), h) -
                 2 * sevensegment::textWidth(QStringLiteral("0"), h);
        Cell cell;
        cell.topLeft = QPointF(x, bottom - h);
        cell.height = h;
        const qreal w = sevensegment::textWidth(QString(full.at(i)), h);
        cell.bounds =
            QRectF(x, bottom - h, w + kSlant * h, h).toAlignedRect().adjusted(-2, -2, 2, 2);
        cells_.push_back(cell);
        x += w;
    }
    laidOutLength_ = static_cast<int>(full.size());
}

QColor TNCTTimeDisplay2::litColour() const {
    return isEnabled() ? QColor(0x66, 0xf0, 0xc0) : widgetstyle::disabledAccent();
}

void TNCTTimeDisplay2::resizeEvent(QResizeEvent *event) {
    QWidget::resizeEvent(event);
    invalidatePicture();
}

void TNCTTimeDisplay2::changeEvent(QEvent *event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::EnabledChange || event->type() == QEvent::PaletteChange)
        invalidatePicture();
}

void TNCTTimeDisplay2::invalidatePicture() {
    dark_ = QPixmap();
    laidOutLength_ = -1;
    update();
}

void TNCTTimeDisplay2::paintEvent(QPaintEvent *event) {
    const QString full = text();
    shown_ = full;
    const QColor lit = litColour();
    const QColor unlit(lit.red(), lit.green(), lit.blue(), 22);
    const qreal ratio = devicePixelRatioF();
    if (laidOutLength_ != full.size() || dark_.isNull() || dark_.devicePixelRatio() != ratio) {
        layOut(full);
        // The panel with every digit dark and the separators lit, which never change.
        dark_ = QPixmap((QSizeF(size()) * ratio).toSize());
        dark_.setDevicePixelRatio(ratio);
        dark_.fill(palette().color(backgroundRole()));
        QPainter p(&dark_);
        p.setRenderHint(QPainter::Antialiasing, true);
        widgetstyle::drawPanel(p, rect(), 4.0);
        // An 8 in the unlit colour shows every segment dark.
        const sevensegment::Style dark{unlit, unlit};
        const sevensegment::Style separator{lit, unlit};
        for (size_t i = 0; i < cells_.size(); ++i) {
            const QChar c = full.at(static_cast<qsizetype>(i));
            if (c.isDigit())
                sevensegment::drawText(p, QStringLiteral("8"), cells_[i].topLeft, cells_[i].height,
                                       dark);
            else
                sevensegment::drawText(p, QString(c), cells_[i].topLeft, cells_[i].height,
                                       separator);
        }
    }

    QPainter p(this);
    p.drawPixmap(0, 0, dark_);
    p.setRenderHint(QPainter::Antialiasing, true);
    sevensegment::Style style;
    style.lit = lit;
    style.unlit = Qt::transparent;
    const QRect dirty = event->rect();
    for (size_t i = 0; i < cells_.size(); ++i) {
        const QChar c = full.at(static_cast<qsizetype>(i));
        if (c.isDigit() && dirty.intersects(cells_[i].bounds))
            sevensegment::drawText(p, QString(c), cells_[i].topLeft, cells_[i].height, style);
    }
    focusring::paintIfFocused(p, this, rect());
}
