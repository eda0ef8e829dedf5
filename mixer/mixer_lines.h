// The two sides of the mixer, the recorder's input lines and the player's output lines,
// behind one interface, so that the source panels and the advanced dialog are written once.
// The lines are read as one snapshot and written by number. The selected line is the
// component's (srcInput, srcOutput): the panels select the line they act on, and the
// advanced dialog shows the selected one.
#pragma once

#include "audio/devices/audio_backend.h"

#include <QString>
#include <QVariant>

#include <memory>
#include <vector>

class TAudioPlayer2;
class TAudioRecord2;

// The audio components the mixer windows act on. The main window owns them.
struct MixerComponents {
    TAudioRecord2 *AudioRecord1 = nullptr;
    TAudioPlayer2 *AudioPlayer1 = nullptr;
};

class MixerLines {
public:
    virtual ~MixerLines() = default;

    // True for the recorder's lines.
    virtual bool isRecording() const = 0;

    // The chosen device's lines as they are now; empty when it has none.
    virtual std::vector<MixerLine> lines() const = 0;
    virtual void select(int line) = 0;
    virtual int selected() const = 0;

    virtual void setVolume(int line, int volume) = 0;    // 0..65535
    virtual void setBalance(int line, int balance) = 0;  // 0..100, 50 = centre
    // The line's switch: mute on a playback line, "record from this line" on a recording line.
    virtual void setSwitch(int line, bool on) = 0;
    // A bool for a switch value, an integer for any other.
    virtual void setAdvancedValue(int line, int index, const QVariant &value) = 0;

    // The switch of `line` as this side means it.
    bool switchEnabled(const MixerLine &line) const {
        return isRecording() ? line.hasSelect : line.hasMute;
    }
    bool switchOn(const MixerLine &line) const { return isRecording() ? line.select : line.mute; }
};

std::shared_ptr<MixerLines> PlaybackLines(TAudioPlayer2 &player);
std::shared_ptr<MixerLines> RecordingLines(TAudioRecord2 &recorder);
// The side chosen by `recording`, from the main window's components.
std::shared_ptr<MixerLines> LinesOf(const MixerComponents &components, bool recording);
