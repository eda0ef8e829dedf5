#include "widgets/nct_time_display2.h"

#include "widgets/accessibility_events.h"
#include "widgets/focus_ring.h"
#include "widgets/seven_segment.h"
#include "widgets/widget_accessibility.h"
#include "widgets/widget_style.h"

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

void TNCTTimeDisplay2::setHours(int Hours) {
    hours_ = std::max(Hours, 0);
    textChanged();
}

void TNCTTimeDisplay2::setMinutes(int Minutes) {
    minutes_ = std::max(Minutes, 0);
    textChanged();
}

void TNCTTimeDisplay2::setSeconds(int Seconds) {
    seconds_ = std::max(Seconds, 0);
    textChanged();
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
}

QString TNCTTimeDisplay2::text() const {
    // Written digit by digit into a string of its final length: it is asked for at every
    // tick of a playback.
    const QString hundreds = hours_ >= 100 ? QString::number(hours_ / 10) : QString();
    const qsizetype head = hundreds.isEmpty() ? 1 : hundreds.size();
    QString t(head + 9, Qt::Uninitialized);
    QChar *out = t.data();
    auto digit = [](int v) { return QChar(u'0' + v % 10); };
    if (hundreds.isEmpty())
        *out++ = digit(hours_ / 10);
    else
        out = std::copy(hundreds.cbegin(), hundreds.cend(), out);
    *out++ = digit(hours_);
    *out++ = u':';
    *out++ = digit(minutes_ / 10 % 10);
    *out++ = digit(minutes_);
    *out++ = u':';
    *out++ = digit(seconds_ / 10 % 10);
    *out++ = digit(seconds_);
    *out++ = u'.';
    *out = digit(milliseconds_ / 100);
    return t;
}

namespace {

constexpr qreal kSmallRatio = 0.62;
constexpr qreal kSlant = 0.07;  // as the digits are drawn

}  // namespace

void TNCTTimeDisplay2::textChanged() {
    const QString now = text();
    // Assistive technology hears of the whole seconds only.
    const QStringView seconds = QStringView(now).left(now.lastIndexOf(u'.'));
    if (seconds != QStringView(reported_)) {
        reported_ = seconds.toString();
        widgetaccess::nameChanged(this);
    }
    if (now == shown_)
        return;
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

namespace {

bool drawDirectly = false;

}  // namespace

void TNCTTimeDisplay2::setDrawDigitsDirectly(bool direct) {
    drawDirectly = direct;
}

void TNCTTimeDisplay2::paintDark(const QString &full) {
    const QColor lit = litColour();
    const QColor unlit(lit.red(), lit.green(), lit.blue(), 22);
    const qreal ratio = devicePixelRatioF();
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
            sevensegment::drawText(p, QString(c), cells_[i].topLeft, cells_[i].height, separator);
    }
}

void TNCTTimeDisplay2::findDigitPixels() {
    digitPixels_.assign(cells_.size(), DigitPixels());
    // Whole device pixels only: at a fractional ratio a copied picture would not land on
    // the pixels it was made for.
    picturesUsable_ = dark_.devicePixelRatio() == 1.0;
    if (!picturesUsable_)
        return;
    const QSize pixels = dark_.size();
    std::vector<int> owner(static_cast<size_t>(pixels.width()) * pixels.height(), -1);
    const sevensegment::Style all{Qt::white, Qt::white};
    for (size_t i = 0; i < cells_.size(); ++i) {
        if (!shown_.at(static_cast<qsizetype>(i)).isDigit())
            continue;
        QImage mask(pixels, QImage::Format_ARGB32_Premultiplied);
        mask.fill(Qt::transparent);
        QPainter p(&mask);
        p.setRenderHint(QPainter::Antialiasing, true);
        sevensegment::drawText(p, QStringLiteral("8"), cells_[i].topLeft, cells_[i].height, all);
        p.end();
        QRect owned;
        for (int y = 0; y < pixels.height(); ++y) {
            const auto *line = reinterpret_cast<const QRgb *>(mask.constScanLine(y));
            for (int x = 0; x < pixels.width(); ++x) {
                if (qAlpha(line[x]) == 0)
                    continue;
                int &who = owner[static_cast<size_t>(y) * pixels.width() + x];
                if (who >= 0) {
                    picturesUsable_ = false;
                    return;
                }
                who = static_cast<int>(i);
                owned |= QRect(x, y, 1, 1);
            }
        }
        digitPixels_[i].owned = owned;
        digitPixels_[i].mask = mask.copy(owned);
    }
}

const QImage &TNCTTimeDisplay2::digitPicture(size_t cell, int digit) {
    DigitPixels &d = digitPixels_[cell];
    QImage &picture = d.digits[static_cast<size_t>(digit)];
    if (!picture.isNull() || d.owned.isEmpty())
        return picture;
    // Painted as paintEvent paints it: over the dark panel, then kept where the character's
    // segments may reach.
    QImage full = dark_.toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QPainter p(&full);
    p.setRenderHint(QPainter::Antialiasing, true);
    sevensegment::Style style;
    style.lit = litColour();
    style.unlit = Qt::transparent;
    sevensegment::drawText(p, QString(QChar(u'0' + digit)), cells_[cell].topLeft,
                           cells_[cell].height, style);
    p.end();
    picture = full.copy(d.owned);
    for (int y = 0; y < picture.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(picture.scanLine(y));
        const auto *mask = reinterpret_cast<const QRgb *>(d.mask.constScanLine(y));
        for (int x = 0; x < picture.width(); ++x)
            line[x] = qAlpha(mask[x]) ? (line[x] | 0xff000000u) : 0u;
    }
    return picture;
}

void TNCTTimeDisplay2::paintEvent(QPaintEvent *event) {
    const QString full = text();
    shown_ = full;
    const qreal ratio = devicePixelRatioF();
    if (laidOutLength_ != full.size() || dark_.isNull() || dark_.devicePixelRatio() != ratio) {
        layOut(full);
        paintDark(full);
        findDigitPixels();
    }

    QPainter p(this);
    p.drawPixmap(0, 0, dark_);
    const QRect dirty = event->rect();
    if (picturesUsable_ && !drawDirectly) {
        // Each digit owns its pixels, so the finished pictures go down in any order.
        for (size_t i = 0; i < cells_.size(); ++i) {
            const QChar c = full.at(static_cast<qsizetype>(i));
            if (c.isDigit() && dirty.intersects(cells_[i].bounds))
                p.drawImage(digitPixels_[i].owned.topLeft(), digitPicture(i, c.digitValue()));
        }
    } else {
        p.setRenderHint(QPainter::Antialiasing, true);
        sevensegment::Style style;
        style.lit = litColour();
        style.unlit = Qt::transparent;
        for (size_t i = 0; i < cells_.size(); ++i) {
            const QChar c = full.at(static_cast<qsizetype>(i));
            if (c.isDigit() && dirty.intersects(cells_[i].bounds))
                sevensegment::drawText(p, QString(c), cells_[i].topLeft, cells_[i].height, style);
        }
    }
    focusring::paintIfFocused(p, this, rect());
}
