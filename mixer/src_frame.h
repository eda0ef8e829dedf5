// One mixer source panel: a line's name, balance, volume, mute or select switch and an
// "Advanced" button, in an 81 x 185 frame (wider where a larger font needs it). The panel holds no
// mixer state of its own; whoever builds it fills the controls and binds them (source_panels.h).
#pragma once

#include "mixer/volume_track_bar.h"

#include <QStringList>
#include <QWidget>

class QCheckBox;
class QFrame;
class QLabel;
class QPushButton;
class QSlider;

class TsrcFrame : public QWidget {
    Q_OBJECT
public:
    static constexpr int kWidth = 81;
    static constexpr int kHeight = 185;

    explicit TsrcFrame(QWidget *parent = nullptr);

    // Captions the switch ("Mute" or "Select"), widening it if the caption needs more room.
    void setSwitchCaption(const QString &caption);

    // The panel's width in this font: 81, or more where a caption or a word of the line name
    // would not fit. The controls follow the panel's width.
    int neededWidth() const;
    // The width panels for lines of these names need in this font, with the switch captioned
    // `switchCaption`, found without building them: the same measure as neededWidth() on a
    // caption, a button and a switch made for it in `sheet`, where the panels would stand.
    static int neededWidthFor(QWidget *sheet, const QStringList &lineNames,
                              const QString &switchCaption);

    // The mixer line this panel shows: the "Tag" every control of the panel reports.
    int Tag = 0;

    QFrame *Panel1 = nullptr;
    QLabel *Label1 = nullptr;              // line name
    QSlider *TrackBar2 = nullptr;          // balance 0..100
    QFrame *Panel2 = nullptr;              // separator
    TVolumeTrackBar *TrackBar1 = nullptr;  // volume, as 65535 - volume: the top is loudest
    QCheckBox *CheckBox1 = nullptr;        // "Mute", or "Select" on recording panels
    QPushButton *Button1 = nullptr;        // "Advanced"

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void placeControls();
};
