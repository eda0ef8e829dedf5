// The vertical volume slider of a mixer source panel. Its position runs 0..65535 with 0 at the
// top meaning full volume (the line's volume is 65535 minus the position); assistive
// technology reads and sets it as 0..100 % of full volume instead, the right way round, and
// its hint shows that percentage too.
#pragma once

#include <QSlider>

class TVolumeTrackBar : public QSlider {
    Q_OBJECT
public:
    static constexpr int kMaxVolume = 65535;

    explicit TVolumeTrackBar(QWidget *parent = nullptr);

    // The volume a position stands for, as a whole percentage of full volume, and the
    // position of a percentage.
    static int percentAt(int position);
    static int positionFor(double percent);
    // What the user reads for a position, in the hint and from assistive technology: "57 %".
    static QString percentText(int position);

    // Installs the factory of the slider's accessible interface; every slider calls it when
    // it is made. Later calls do nothing.
    static void installAccessibility();
};
