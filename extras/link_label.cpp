#include "extras/link_label.h"

#include <QMouseEvent>

TLinkLabel::TLinkLabel(const QString &text, QWidget *parent) : QLabel(text, parent) {
    setTextFormat(Qt::PlainText);
    setCursor(Qt::PointingHandCursor);
    setHighlighted(false);
}

void TLinkLabel::setHighlighted(bool on) {
    QPalette colours = palette();
    colours.setColor(QPalette::WindowText, on ? hoverColor() : normalColor());
    setPalette(colours);
    QFont underline = font();
    underline.setUnderline(on);
    setFont(underline);
}

void TLinkLabel::enterEvent(QEnterEvent *event) {
    setHighlighted(true);
    QLabel::enterEvent(event);
}

void TLinkLabel::leaveEvent(QEvent *event) {
    setHighlighted(false);
    QLabel::leaveEvent(event);
}

void TLinkLabel::mousePressEvent(QMouseEvent *event) {
    pressed_ = event->button() == Qt::LeftButton;
    QLabel::mousePressEvent(event);
}

// Like a button: the click counts when the mouse is released over the link.
void TLinkLabel::mouseReleaseEvent(QMouseEvent *event) {
    const bool click = pressed_ && event->button() == Qt::LeftButton &&
                       rect().contains(event->position().toPoint());
    pressed_ = false;
    QLabel::mouseReleaseEvent(event);
    if (click)
        Q_EMIT clicked();
}
