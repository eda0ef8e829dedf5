// Filling a device drop-down from a recorder or player: only devices with mixer lines are
// listed, and a current device without lines hands the preselection on to the next number.
#pragma once

#include <QString>

#include <functional>

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
int FillDeviceList(QComboBox *combo, const DeviceListAccess &device);
