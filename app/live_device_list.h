// One side's device drop-down kept in step with the sound backend while the program runs:
// devices plugged in appear, devices unplugged go, and the device the side uses follows the
// rules below. The listing itself is the start-up list rule (device_list_rule.h); on the
// input side it includes the applications playing, which come and go like devices (an
// application that stops is "removed" once nothing records it any more).
//
// Which device a side uses after a change:
// - a device the user picked from the list in this run is kept while it is listed;
// - otherwise the side follows the system's default device, so that a headset plugged in
//   and made the default is what the next recording or playback uses;
// - when the device in use goes away, the side falls back to the default device and says
//   so; from then on it follows the default again.
// A device is never changed under a running or paused recording or playback: the change
// is held back until the side is idle again (see resume()).
#pragma once

#include "app/device_list_rule.h"
#include "audio/devices/audio_backend.h"

#include <QString>

#include <functional>
#include <vector>

class QComboBox;

class LiveDeviceList {
public:
    struct Side {
        Direction direction = Direction::Input;
        QComboBox *combo = nullptr;
        DeviceListAccess component;  // the recorder's or the player's device choice
        std::function<bool()> busy;  // a recording or playback of this side runs or pauses
    };

    // What a refill did, for the window to show.
    struct Outcome {
        bool deviceChanged = false;  // the component now uses another device
        QString message;             // non-empty: the device in use went away
        QString brief;               // the message short enough for the status bar
    };

    LiveDeviceList(AudioBackend &backend, Side side);

    // The first fill, when the window is shown, from the component's current device.
    void fill();
    // Refills the list after the backend reported a change.
    Outcome refresh();
    // The user picked the component's current device from the list.
    void chosen();
    // The side became idle: a change held back meanwhile is made now.
    Outcome resume();

private:
    QString describe(const QString &removed, const QString &used) const;
    QString describeBriefly(const QString &used) const;
    std::vector<ApplicationInfo> applications() const;
    void remember();

    AudioBackend &backend_;
    Side side_;
    bool userChose_ = false;
    bool heldBack_ = false;
    // The device in use as last listed: its name, and whether it was listed.
    QString inUseName_;
    bool inUseListed_ = false;
};
