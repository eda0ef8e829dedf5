// What the sound server reported about its sinks and sources, numbered for the recorder
// and the player.
//
// Device numbers stay the same for the whole run: a device seen for the first time is
// appended, a device that goes away keeps its number (marked absent), and a device that
// comes back, even after a reconnect, gets its old number again. The server's own indices
// cannot serve for this, since they change whenever a device is re-created.
#pragma once

#include "audio/devices/pulse_api.h"

#include <QString>

#include <cstdint>
#include <string>
#include <vector>

struct PulsePort {
    std::string name;
    QString description;
    bool unplugged = false;  // the jack reports nothing plugged in
};

struct PulseDevice {
    std::string name;  // the server's name, e.g. "alsa_input.pci-0000_00_1f.3.analog-stereo"
    QString description;
    uint32_t serverIndex = PA_INVALID_INDEX;
    bool present = false;
    bool isMonitor = false;
    std::string monitorSource;  // a sink's monitor: the source that records what it plays
    pa_channel_map channelMap{};
    pa_cvolume volume{};
    bool mute = false;
    std::vector<PulsePort> ports;
    std::string activePort;
};

// What a report of the server changed about a device, so that only real changes are
// announced: the device lists (a device appeared or was renamed) and/or its mixer lines
// (volume, mute, ports).
struct PulseDeviceChange {
    int number = -1;
    bool listing = false;
    bool mixer = false;
};

class PulseDeviceTable {
public:
    // Records a device the server reported (present from now on).
    PulseDeviceChange update(PulseDevice device);
    // The device with this server index went away; returns its number, or -1 when no
    // present device had that index.
    int remove(uint32_t serverIndex);
    // The server went away: every device is absent until reported again. Returns whether
    // any device was present.
    bool removeAll();

    // The number of the device with this server name, or -1.
    int find(const std::string &name) const;
    const PulseDevice *at(int number) const;
    PulseDevice *at(int number);
    const std::vector<PulseDevice> &all() const { return devices_; }

private:
    std::vector<PulseDevice> devices_;
};
