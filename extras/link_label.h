// A label that acts as a link: blue, turning red and underlined while the mouse is over it,
// with a hand cursor; a left click reports clicked().
#pragma once

#include <QLabel>

class TLinkLabel : public QLabel {
    Q_OBJECT
public:
    explicit TLinkLabel(const QString &text, QWidget *parent = nullptr);

    static QColor normalColor() { return QColor(Qt::blue); }
    static QColor hoverColor() { return QColor(Qt::red); }

Q_SIGNALS:
    void clicked();

protected:
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    void setHighlighted(bool on);

    bool pressed_ = false;
};
