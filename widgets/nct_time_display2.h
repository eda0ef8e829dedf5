// Elapsed-time readout: an LCD-style "HH:MM:SS" with tenths of a second.
//
// The four fields are plain properties. setMilliseconds() takes a whole elapsed time and
// spreads it over all four fields, so Hours(), Minutes() and Seconds() read back the split-up
// time.
//
// It takes the focus by Tab only (a screen reader then reads the time) and reports a change
// of the shown time to assistive technology once a second, not at every tenth.
// Cost: the panel with every segment dark is drawn once per size; a change repaints only the
// characters that differ from what is on screen, usually the tenths alone.
#pragma once

#include <QImage>
#include <QPixmap>
#include <QWidget>

#include <array>
#include <vector>

class TNCTTimeDisplay2 : public QWidget {
    Q_OBJECT

public:
    explicit TNCTTimeDisplay2(QWidget *parent = nullptr);

    int Hours() const { return hours_; }
    int Minutes() const { return minutes_; }
    int Seconds() const { return seconds_; }
    int Milliseconds() const { return milliseconds_; }

    void setHours(int Hours);
    void setMinutes(int Minutes);
    void setSeconds(int Seconds);
    // Spreads a total over the four fields. A negative total (a failed conversion) shows as 0.
    void setMilliseconds(int Milliseconds);

    // The readout as text, e.g. "01:02:05.3"; what the display paints.
    QString text() const;

    // Draws every digit with its polygons rather than from the pictures kept of them; for
    // checking that both look the same.
    static void setDrawDigitsDirectly(bool direct);

    QSize sizeHint() const override { return QSize(121, 33); }
    QSize minimumSizeHint() const override { return QSize(60, 16); }

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    // Where one character of the readout goes.
    struct Cell {
        QPointF topLeft;
        qreal height = 0;
        QRect bounds;  // what it may paint, slant and antialiasing included
    };

    void textChanged();
    void layOut(const QString &text);
    void invalidatePicture();
    QColor litColour() const;
    void paintDark(const QString &text);
    // Finds the pixels each digit's segments may touch; the pictures are usable when no
    // pixel belongs to two digits.
    void findDigitPixels();
    const QImage &digitPicture(size_t cell, int digit);

    QString shown_;  // the text the last repaint asked for
    std::vector<Cell> cells_;
    int laidOutLength_ = -1;
    QPixmap dark_;
    // Per character: the pixels its segments may touch (alpha 255, device pixels, from
    // `owned` on), and, made when first needed, each digit as the finished pixels there, the
    // rest transparent, so that drawing one is a copy.
    struct DigitPixels {
        QRect owned;
        QImage mask;
        std::array<QImage, 10> digits;
    };
    std::vector<DigitPixels> digitPixels_;
    bool picturesUsable_ = false;

    int hours_ = 0;
    int minutes_ = 0;
    int seconds_ = 0;
    int milliseconds_ = 0;
    QString reported_;  // the whole seconds last reported
};
