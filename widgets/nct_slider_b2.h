// Position slider: a horizontal strip with a thumb, Value 0..1000 (thousandths of a file).
//
// A mouse press anywhere on the strip starts a drag: OnMouseDown, then the thumb jumps to
// the pointer (unless the press hit the thumb itself), OnValueChange for every new value,
// and OnMouseUp on release. OnValueChange also fires when the program calls setValue().
// The keyboard moves the thumb the same way: a key press is a press at the new value, its
// release the release (arrows by kKeyStep, Page Up/Down by kPageStep, Home and End).
#pragma once

#include <QColor>
#include <QPixmap>
#include <QWidget>

class QPainter;

class TNCTSliderB2 : public QWidget {
    Q_OBJECT

public:
    static constexpr int kMaxValue = 1000;
    static constexpr int kKeyStep = 10;
    static constexpr int kPageStep = 100;

    explicit TNCTSliderB2(QWidget *parent = nullptr);

    int Value() const { return value_; }
    // Clamped to 0..1000; emits OnValueChange when the value changes.
    void setValue(int Value);
    // Moves the thumb as a click at that value would: OnMouseDown, OnValueChange, OnMouseUp.
    // What assistive technology setting the value does.
    void seekTo(int Value);

    // Colour of the strip behind the track.
    QColor StripColor() const { return stripColor_; }
    void setStripColor(const QColor &StripColor);

    bool isDragging() const { return dragging_; }
    // Where the thumb sits for a value, and the value under an x position; in widget pixels.
    QRect thumbRect() const;
    int valueAt(int x) const;

    // Draws the groove and thumb with their outlines rather than from the pictures kept of
    // them; for checking that both look the same.
    static void setDrawDirectly(bool direct);

    QSize sizeHint() const override { return QSize(300, 15); }
    QSize minimumSizeHint() const override { return QSize(40, 11); }

Q_SIGNALS:
    void OnValueChange(int Value);
    void OnMouseDown();
    void OnMouseUp();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void changeEvent(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    struct Pictures {
        QSize size;
        qreal ratio = 0;
        QRgb strip = 0;
        int thumbState = -1;  // disabled, dragged, under the pointer, resting
        QPixmap idle;         // the strip and the groove with nothing played
        QPixmap played;       // ... played to the end
        QPixmap thumb;
    };

    int thumbWidth() const;
    void drawGroove(QPainter &p, int playedTo) const;
    void drawThumb(QPainter &p, const QRect &at) const;
    const Pictures &pictures();
    int thumbXFor(int value) const;
    void finishDrag();
    void updateBetween(int oldX, int newX);

    int value_ = 0;
    QColor stripColor_;
    bool dragging_ = false;
    bool hoverThumb_ = false;
    int grabOffset_ = 0;    // pointer x minus thumb centre when the press hit the thumb
    bool keyDrag_ = false;  // the drag is held by a key, not the mouse
    Pictures pictures_;
};
