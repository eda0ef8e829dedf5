#include "audio/devices/pulse_device_table.h"

int PulseDeviceTable::update(PulseDevice device) {
    device.present = true;
    const int number = find(device.name);
    if (number >= 0) {
        devices_[number] = std::move(device);
        return number;
    }
    devices_.push_back(std::move(device));
    return static_cast<int>(devices_.size()) - 1;
}

void PulseDeviceTable::remove(uint32_t serverIndex) {
    for (PulseDevice &device : devices_) {
        if (device.present && device.serverIndex == serverIndex) {
            device.present = false;
            device.serverIndex = PA_INVALID_INDEX;
        }
    }
}

void PulseDeviceTable::removeAll() {
    for (PulseDevice &device : devices_) {
        device.present = false;
        device.serverIndex = PA_INVALID_INDEX;
    }
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
