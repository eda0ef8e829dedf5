// Device choice and mixer-line access shared by the recorder and the player.
//
// Counts follow the components' convention: deviceCount() and lineCount() give the highest
// valid number (count - 1), so callers loop 0..Count inclusive and -1 means none. Every
// line property acts on the currently selected line; unknown devices or lines read as
// empty/disabled and writes to them are ignored.
#pragma once

#include "audio/devices/audio_backend.h"

#include <QString>
#include <QVariant>

#include <optional>

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
    bool lineExists() const;

    AudioBackend &backend_;
    Direction direction_;
    int device_;
    int line_ = 0;
};
