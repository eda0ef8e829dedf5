// Filling a device drop-down from a recorder or player: only devices with mixer lines are
// listed, and a current device without lines hands the preselection on to the next number.
// Applications playing sound follow the devices, each as "<name> (application)".
#pragma once

#include "audio/devices/audio_backend.h"

#include <QString>

#include <functional>
#include <vector>

class QComboBox;

struct DeviceListAccess {
    std::function<int()> highestDevice;  // devInputCount / devOutputCount
    std::function<int()> currentDevice;
    std::function<void(int)> selectDevice;
    std::function<bool()> selectedHasMixer;  // devSrcEnabled
    std::function<QString()> selectedName;
};

// Fills `combo` (each entry carrying its device number as user data), selects the
// preselected device on the component and shows its entry. Returns that device number.
// The playing ones of `applications` are listed after the devices; a current application
// that is not playing hands the preselection to device 0.
int FillDeviceList(QComboBox *combo, const DeviceListAccess &device,
                   const std::vector<ApplicationInfo> &applications = {});

// Whether `device` is one of the playing applications.
bool ApplicationPlaying(const std::vector<ApplicationInfo> &applications, int device);
