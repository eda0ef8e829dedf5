#include "app/device_list_rule.h"

#include <QComboBox>

int FillDeviceList(QComboBox *combo, const DeviceListAccess &device) {
    const QSignalBlocker blocker(combo);
    combo->clear();
    int preselected = device.currentDevice();
    const int highest = device.highestDevice();
    for (int i = 0; i <= highest; ++i) {
        device.selectDevice(i);
        if (device.selectedHasMixer())
            combo->addItem(device.selectedName(), i);
        else if (i == preselected)
            ++preselected;
    }
    if (highest < preselected)
        preselected = 0;
    device.selectDevice(preselected);
    combo->setCurrentIndex(combo->findData(preselected));
    return preselected;
}
