#include "extras/link_label.h"

#include "extras/readable_colours.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>

TLinkLabel::TLinkLabel(const QString &text, QWidget *parent) : QLabel(text, parent) {
    setTextFormat(Qt::PlainText);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::StrongFocus);
    setHighlighted(false);
}

QColor TLinkLabel::normalColor() const {
    return palette().color(QPalette::Link);
}

QColor TLinkLabel::hoverColor() const {
    // Red is the design's; on a background where it would not show, the underline alone marks
    // the hover.
    const QColor red =
        ColourIfReadable(QColor(Qt::red), {palette().color(QPalette::Window)}, kGraphicContrast);
    return red.isValid() ? red : normalColor();
}

void TLinkLabel::setHighlighted(bool on) {
    highlighted_ = on;
    // Setting our own colour raises a palette change, which must not start this again.
    recolouring_ = true;
    QPalette colours = palette();
    colours.setColor(QPalette::WindowText, on ? hoverColor() : normalColor());
    setPalette(colours);
    recolouring_ = false;
    QFont underline = font();
    underline.setUnderline(on);
    setFont(underline);
}

void TLinkLabel::changeEvent(QEvent *event) {
    QLabel::changeEvent(event);
    // A new desktop palette brings its own link colour.
    if (event->type() == QEvent::PaletteChange && !recolouring_)
        setHighlighted(highlighted_);
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

void TLinkLabel::keyPressEvent(QKeyEvent *event) {
    switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Space:
            if (event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier) {
                Q_EMIT clicked();
                return;
            }
            break;
        default:
            break;
    }
    QLabel::keyPressEvent(event);
}

void TLinkLabel::paintEvent(QPaintEvent *event) {
    QLabel::paintEvent(event);
    if (!hasFocus())
        return;
    // The style's focus frame around the text, so the keyboard user sees where Enter goes.
    QPainter painter(this);
    QStyleOptionFocusRect frame;
    frame.initFrom(this);
    const QRect text = fontMetrics().boundingRect(contentsRect(), int(alignment()), this->text());
    frame.rect = text.adjusted(-2, 0, 2, 0).intersected(rect());
    frame.backgroundColor = palette().color(QPalette::Window);
    style()->drawPrimitive(QStyle::PE_FrameFocusRect, &frame, &painter, this);
}
