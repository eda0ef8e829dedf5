// Transport bar: Play, Pause, Stop and Record buttons, a mute switch and a volume slider.
//
// The buttons only report clicks (OnMouseClick with the button's code); which state the
// bar shows is up to the program, through Play(), Pause(), Stop() and Record_(). The mute
// switch flips its own state before it reports code 7. The volume runs 0..65535; the user
// moving it reports OnChangeVolume, the program setting it (ChangeVolume) does not.
//
// Keyboard: Tab and Shift+Tab stop at each button and then at the volume, so that a screen
// reader meets every part as a control of its own; Left and Right also move between the
// buttons. Space or Enter presses the focused button, M flips mute wherever the focus is in
// the bar, and the arrows, Page Up/Down, Home and End move the volume when it has the focus.
// Over the volume the hint shows it in percent; elsewhere the bar's own hint.
#pragma once

#include <QWidget>

class TNCTPlayButtonB2 : public QWidget {
    Q_OBJECT

public:
    // Button codes reported by OnMouseClick.
    static constexpr int kPlay = 1;
    static constexpr int kPause = 2;
    static constexpr int kStop = 3;
    static constexpr int kRecord = 4;
    static constexpr int kMute = 7;
    static constexpr int kMaxVolume = 65535;
    static constexpr int kVolumeKeyStep = 655;    // 1 %
    static constexpr int kVolumePageStep = 6554;  // 10 %

    // The parts the keyboard focus moves between, in Tab order: the five buttons (play,
    // pause, stop, record, mute), then the volume.
    static constexpr int kParts = 6;
    static constexpr int kVolumePart = 5;
    // The button code of a part (0 for the volume), and the part of a button code (-1 for
    // other codes).
    static int partCode(int part);
    static int partOf(int Button);

    enum class TShownState { Stop, Play, Pause, Record };

    explicit TNCTPlayButtonB2(QWidget *parent = nullptr);

    void Play();
    void Pause();
    void Stop();
    void Record_();
    TShownState ShownState() const { return state_; }

    // Sets the volume slider (clamped to 0..65535) without reporting it.
    void ChangeVolume(int Volume);
    int Volume() const { return volume_; }
    // Sets it as the user moving the knob does: OnChangeVolume follows a change.
    void setUserVolume(int volume);
    // The volume as a whole percentage of full volume.
    static int volumePercent(int volume);
    // The hint over the volume, and while it is dragged: "Volume: 57 %".
    QString volumeHint() const;

    bool Mute() const { return mute_; }
    void setMute(bool Mute);

    // A click on a button, whoever makes it (mouse, keyboard, assistive technology): the
    // mute switch flips, then OnMouseClick reports the code. Nothing while disabled.
    void pressButton(int Button);

    int focusedPart() const { return focusPart_; }
    void setFocusedPart(int part);
    QRect partRect(int part) const;

    // Where a button (by code) or the volume slider sits; an empty rect for other codes.
    QRect buttonRect(int Button) const;
    QRect volumeRect() const;

    QSize sizeHint() const override { return QSize(290, 27); }
    QSize minimumSizeHint() const override { return QSize(200, 20); }

Q_SIGNALS:
    void OnMouseClick(int Button);
    void OnChangeVolume(int Volume);

protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void changeEvent(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    bool focusNextPrevChild(bool next) override;

private:
    struct Layout {
        int buttonWidth = 0;
        QRect buttons[5];  // play, pause, stop, record, mute
        QRect volume;      // the slider's hit area
        QRect groove;
    };
    Layout layout() const;
    int buttonAt(const QPoint &pos) const;
    int volumeAt(int x) const;
    void showVolumeHint(const QMouseEvent *event);
    void setShownState(TShownState state);

    void paintButton(QPainter &p, const QRect &r, int code) const;
    void paintIcon(QPainter &p, const QRectF &r, int code, const QColor &colour) const;
    void paintVolume(QPainter &p) const;

    TShownState state_ = TShownState::Stop;
    int volume_ = kMaxVolume;
    bool mute_ = false;
    int hovered_ = 0;  // button code under the mouse, 0 for none
    int pressed_ = 0;  // button code held down, 0 for none
    bool draggingVolume_ = false;
    bool hoverVolume_ = false;
    int focusPart_ = 0;  // the part the keyboard acts on while the bar has the focus
};
