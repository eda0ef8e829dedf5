// Twelve vertical band sliders for the playback equaliser, each a gain of -15..+15 dB.
//
// Bands are numbered 1..12 from the lowest frequency. The user drags a band (or clicks in
// its column, turns the wheel over it, double-clicks it back to 0 dB); every change made
// that way reports OnValueChange with the band number. setBand() from the program is quiet.
//
// Keyboard: Tab, Shift+Tab, Left and Right move the focus from band to band; Up and Down
// move the focused band by kDragStepDb, Page Up/Down by kPageStepDb, Home and End to the
// ends of the range. Keys change a band the way the mouse does.
#pragma once

#include <QWidget>

#include <array>

class TNCTEqualizer2 : public QWidget {
    Q_OBJECT

public:
    static constexpr int kBands = 12;
    static constexpr float kMinDb = -15.0f;
    static constexpr float kMaxDb = 15.0f;
    // Steps the mouse moves in; the program may set any value in range.
    static constexpr float kDragStepDb = 0.5f;
    static constexpr float kPageStepDb = 3.0f;

    explicit TNCTEqualizer2(QWidget *parent = nullptr);

    // n runs 1..12; other numbers read 0 and are ignored when set. Gains are clamped.
    float Band(int n) const;
    void setBand(int n, float dB);
    // Sets a band as the user moving it does: OnValueChange follows a change.
    void setUserBand(int n, float dB);

    float Band1() const { return Band(1); }
    float Band2() const { return Band(2); }
    float Band3() const { return Band(3); }
    float Band4() const { return Band(4); }
    float Band5() const { return Band(5); }
    float Band6() const { return Band(6); }
    float Band7() const { return Band(7); }
    float Band8() const { return Band(8); }
    float Band9() const { return Band(9); }
    float Band10() const { return Band(10); }
    float Band11() const { return Band(11); }
    float Band12() const { return Band(12); }

    // Centre frequency of band n in Hz, as labelled under the sliders; 0 for other n.
    static int BandFrequency(int n);
    // The band's name for a screen reader: "32 Hz" ... "16 kHz"; empty for other n.
    static QString BandName(int n);

    // The band the keyboard acts on while the widget has the focus, 1..12.
    int focusedBand() const { return focusBand_; }
    void setFocusedBand(int n);

    // The column of band n (hit area) and the y of a gain on the sliders, in widget pixels.
    QRect bandRect(int n) const;
    int yForDb(float dB) const;

    QSize sizeHint() const override { return QSize(340, 118); }
    QSize minimumSizeHint() const override { return QSize(200, 80); }

Q_SIGNALS:
    void OnValueChange(int Band);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    bool focusNextPrevChild(bool next) override;

private:
    QRect plotArea() const;
    int bandAt(const QPoint &pos) const;
    float dbAtY(int y) const;
    QRectF thumbRect(int n) const;

    std::array<float, kBands> gains_{};
    int dragBand_ = 0;  // band held by the mouse, 0 for none
    int grabOffset_ = 0;
    int hoverBand_ = 0;
    int focusBand_ = 1;
};
