// A label that acts as a link: in the palette's link colour, turning red (where red reads on
// the background, else staying in the link colour) and underlined while the mouse is over it,
// with a hand cursor. A left click, or Enter or Space while it has the keyboard focus, reports
// clicked(); Tab reaches it like a button.
#pragma once

#include <QLabel>

class TLinkLabel : public QLabel {
    Q_OBJECT
public:
    explicit TLinkLabel(const QString &text, QWidget *parent = nullptr);

    QColor normalColor() const;
    QColor hoverColor() const;

Q_SIGNALS:
    void clicked();

protected:
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void setHighlighted(bool on);

    bool pressed_ = false;
    bool highlighted_ = false;
    bool recolouring_ = false;
};
