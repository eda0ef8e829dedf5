#include "app/status_panel.h"

#include "playback/format_text.h"

#include <QEvent>
#include <QFontMetrics>

StatusPanel::StatusPanel(Shortening shortening, QWidget *parent)
    : QLabel(parent), shortening_(shortening) {}

void StatusPanel::setFullText(const QString &text) {
    fullText_ = text;
    refit();
}

void StatusPanel::resizeEvent(QResizeEvent *event) {
    QLabel::resizeEvent(event);
    refit();
}

void StatusPanel::changeEvent(QEvent *event) {
    QLabel::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        refit();
}

void StatusPanel::refit() {
    const QFontMetrics metrics = fontMetrics();
    const int room = contentsRect().width() - 2 * margin();
    // The panel for paths also shows the odd message (no sound server); that reads best
    // from its start.
    const bool path = shortening_ == Shortening::Path && fullText_.startsWith(QLatin1Char('/'));
    QString shown = fullText_;
    if (path)
        shown = ShortenPath(shown, metrics, room);
    // A file name too long on its own gives way in its middle, keeping the path's start and
    // the name's end (the extension) in sight.
    if (metrics.horizontalAdvance(shown) > room)
        shown = metrics.elidedText(fullText_, path ? Qt::ElideMiddle : Qt::ElideRight, room);
    setText(shown);
    // A path's panel always offers the whole path; others only what they could not show.
    setToolTip(path || shown != fullText_ ? fullText_ : QString());
}
