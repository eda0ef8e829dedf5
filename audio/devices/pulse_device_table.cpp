#include "audio/devices/pulse_device_table.h"

#include <algorithm>

namespace {

bool samePorts(const std::vector<PulsePort> &a, const std::vector<PulsePort> &b) {
    return std::equal(
        a.begin(), a.end(), b.begin(), b.end(), [](const PulsePort &x, const PulsePort &y) {
            return x.name == y.name && x.description == y.description && x.unplugged == y.unplugged;
        });
}

bool sameMixer(const PulseDevice &a, const PulseDevice &b) {
    return pa_cvolume_equal(&a.volume, &b.volume) &&
           pa_channel_map_equal(&a.channelMap, &b.channelMap) && a.mute == b.mute &&
           a.activePort == b.activePort && samePorts(a.ports, b.ports);
}

}  // namespace

PulseDeviceChange PulseDeviceTable::update(PulseDevice device) {
    device.present = true;
    PulseDeviceChange change;
    change.number = find(device.name);
    if (change.number < 0) {
        devices_.push_back(std::move(device));
        change.number = static_cast<int>(devices_.size()) - 1;
        change.listing = true;
        return change;
    }
    PulseDevice &known = devices_[change.number];
    change.listing = !known.present || known.description != device.description ||
                     known.isMonitor != device.isMonitor;
    change.mixer = !known.present || !sameMixer(known, device);
    known = std::move(device);
    return change;
}

int PulseDeviceTable::remove(uint32_t serverIndex) {
    int removed = -1;
    for (size_t i = 0; i < devices_.size(); ++i) {
        PulseDevice &device = devices_[i];
        if (device.present && device.serverIndex == serverIndex) {
            device.present = false;
            device.serverIndex = PA_INVALID_INDEX;
            removed = static_cast<int>(i);
        }
    }
    return removed;
}

bool PulseDeviceTable::removeAll() {
    bool any = false;
    for (PulseDevice &device : devices_) {
        any = any || device.present;
        device.present = false;
        device.serverIndex = PA_INVALID_INDEX;
    }
    return any;
}

int PulseDeviceTable::find(const std::string &name) const {
    for (size_t i = 0; i < devices_.size(); ++i) {
        if (devices_[i].name == name)
            return static_cast<int>(i);
    }
    return -1;
}

const PulseDevice *PulseDeviceTable::at(int number) const {
    if (number < 0 || number >= static_cast<int>(devices_.size()))
        return nullptr;
    return &devices_[number];
}

PulseDevice *PulseDeviceTable::at(int number) {
    if (number < 0 || number >= static_cast<int>(devices_.size()))
        return nullptr;
    return &devices_[number];
}
