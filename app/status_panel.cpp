#include "app/status_panel.h"

#include "playback/format_text.h"

#include <QEvent>
#include <QFontMetrics>
#include <QLayout>

#include <algorithm>

StatusPanel::StatusPanel(Shortening shortening, QWidget *parent)
    : QLabel(parent), shortening_(shortening) {}

void StatusPanel::setFullText(const QString &text, const QString &brief) {
    fullText_ = text;
    brief_ = brief;
    if (wantsWholeText_) {
        updateGeometry();
        // The room for the new text at once, not at the next turn of the event loop: until
        // then the panel would show the new text cut to the old one's width.
        if (QWidget *bar = parentWidget(); bar && bar->layout())
            bar->layout()->activate();
    }
    refit();
}

void StatusPanel::setWantsWholeText(bool wants) {
    wantsWholeText_ = wants;
    updateGeometry();
}

int StatusPanel::wholeTextWidth() const {
    const QMargins m = contentsMargins();
    const QString &shown = brief_.isEmpty() ? fullText_ : brief_;
    // A pixel or two over the text's advance, so that rounding never elides it.
    const int width =
        fontMetrics().horizontalAdvance(shown) + m.left() + m.right() + 2 * margin() + 2;
    return std::min(width, maximumWidth());
}

void StatusPanel::setPreferredWidth(int width) {
    preferredWidth_ = width;
    updateGeometry();
}

QSize StatusPanel::sizeHint() const {
    if (wantsWholeText_)
        return {wholeTextWidth(), QLabel::sizeHint().height()};
    if (preferredWidth_ >= 0)
        return {preferredWidth_, QLabel::sizeHint().height()};
    return QLabel::sizeHint();
}

QSize StatusPanel::minimumSizeHint() const {
    if (!wantsWholeText_)
        return QLabel::minimumSizeHint();
    return {wholeTextWidth(), QLabel::minimumSizeHint().height()};
}

void StatusPanel::resizeEvent(QResizeEvent *event) {
    QLabel::resizeEvent(event);
    refit();
}

void StatusPanel::changeEvent(QEvent *event) {
    QLabel::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        refit();
        if (wantsWholeText_)
            updateGeometry();
    }
}

void StatusPanel::refit() {
    const QFontMetrics metrics = fontMetrics();
    const int room = contentsRect().width() - 2 * margin();
    // The panel for paths also shows the odd message (no sound server); that reads best
    // from its start.
    // A brief form, where the text has one, stands in for the whole text in the panel.
    const QString &source = brief_.isEmpty() ? fullText_ : brief_;
    const bool path = shortening_ == Shortening::Path && brief_.isEmpty() &&
                      fullText_.startsWith(QLatin1Char('/'));
    QString shown = source;
    if (path)
        shown = ShortenPath(shown, metrics, room);
    // A file name too long on its own gives way in its middle, keeping the path's start and
    // the name's end (the extension) in sight.
    if (metrics.horizontalAdvance(shown) > room) {
        shown = metrics.elidedText(source, path ? Qt::ElideMiddle : Qt::ElideRight, room);
    }
    setText(shown);
    // A path's panel always offers the whole path; others only what they could not show.
    const bool shortened = shown != fullText_;
    setToolTip(path || shortened ? fullText_ : QString());
    // A screen reader reads the label's text as its name: what was cut off is described.
    setAccessibleDescription(shortened ? fullText_ : QString());
}
