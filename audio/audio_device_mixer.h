// Device choice and mixer-line access shared by the recorder and the player.
//
// lines() reads every line of the device as one value, and the setLine... calls write one
// line by its number; that is how the mixer windows and the main window use the lines. The
// selected line (setLine) and the properties that act on it serve the components' src...
// properties, and are read from the same snapshot.
//
// Counts follow the components' convention: deviceCount() and lineCount() give the highest
// valid number (count - 1), so callers loop 0..Count inclusive and -1 means none. Unknown
// devices or lines read as empty/disabled and writes to them are ignored; values written are
// brought into range (volumes 0..65535, balance 0..100).
#pragma once

#include "audio/devices/audio_backend.h"

#include <QString>
#include <QVariant>

#include <optional>
#include <vector>

// How an application appears in a device list: "<name> (application)".
QString applicationEntryName(const QString &application);

// The application an input device number records, if it is one the backend knows.
std::optional<ApplicationInfo> applicationOf(AudioBackend &backend, int device);

class AudioDeviceMixer {
public:
    AudioDeviceMixer(AudioBackend &backend, Direction direction);

    int deviceCount() const;
    int device() const { return device_; }
    void setDevice(int device);
    QString deviceName() const;
    bool deviceHasMixer() const;

    // The device's mixer lines as they are now; empty when it has none.
    std::vector<MixerLine> lines() const;
    void setLineVolume(int line, int volume);
    void setLineBalance(int line, int balance);
    void setLineMute(int line, bool mute);
    // Selecting a recording line may clear the others; lines() shows what the device made of it.
    void setLineSelect(int line, bool select);
    // A bool for a switch, an int for anything else.
    void setLineAdvanced(int line, int index, const QVariant &value);

    int lineCount() const;
    int line() const { return line_; }
    void setLine(int line) { line_ = line; }
    QString lineName() const;

    bool volumeEnabled() const;
    int volume() const;
    void setVolume(int volume);
    bool balanceEnabled() const;
    int balance() const;
    void setBalance(int balance);
    bool muteEnabled() const;
    bool mute() const;
    void setMute(bool mute);
    bool selectEnabled() const;
    bool select() const;
    void setSelect(bool select);

    // Highest advanced-control index of the line, -1 when it has none.
    int advancedCount() const;
    QString advancedName(int index) const;
    // A bool for a switch, an int for anything else; invalid for an unknown index.
    QVariant advancedValue(int index) const;
    void setAdvancedValue(int index, const QVariant &value);

    int deviceVolume() const;
    void setDeviceVolume(int volume);

    AudioBackend &backend() const { return backend_; }

private:
    MixerLine currentLine() const;
    // The line numbered `line`, if the device has it now.
    std::optional<MixerLine> lineAt(int line) const;

    AudioBackend &backend_;
    Direction direction_;
    int device_;
    int line_ = 0;
};
