// The two sides of the mixer, the recorder's input lines and the player's output lines,
// behind one interface, so that the source panels and the advanced dialog are written once.
// Every line property acts on the line selected last, as on the components themselves.
#pragma once

#include <QString>
#include <QVariant>

#include <memory>

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

    // Highest line number of the chosen device; below 0 there is none.
    virtual int count() const = 0;
    virtual void select(int line) = 0;
    virtual int selected() const = 0;
    virtual QString name() const = 0;

    virtual bool volumeEnabled() const = 0;
    virtual int volume() const = 0;  // 0..65535
    virtual void setVolume(int volume) = 0;
    virtual bool balanceEnabled() const = 0;
    virtual int balance() const = 0;  // 0..100, 50 = centre
    virtual void setBalance(int balance) = 0;

    // The line's switch: mute on a playback line, "record from this line" on a recording line.
    virtual bool switchEnabled() const = 0;
    virtual bool switchOn() const = 0;
    virtual void setSwitch(bool on) = 0;

    // Highest advanced value number, -1 for none; a value is a bool switch or an integer.
    virtual int advancedCount() const = 0;
    virtual QString advancedName(int index) const = 0;
    virtual QVariant advancedValue(int index) const = 0;
    virtual void setAdvancedValue(int index, const QVariant &value) = 0;
};

std::shared_ptr<MixerLines> PlaybackLines(TAudioPlayer2 &player);
std::shared_ptr<MixerLines> RecordingLines(TAudioRecord2 &recorder);
// The side chosen by `recording`, from the main window's components.
std::shared_ptr<MixerLines> LinesOf(const MixerComponents &components, bool recording);
