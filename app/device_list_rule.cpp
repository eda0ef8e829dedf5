#include "app/device_list_rule.h"

#include "audio/audio_device_mixer.h"

#include <QComboBox>

#include <algorithm>

bool ApplicationPlaying(const std::vector<ApplicationInfo> &applications, int device) {
    return std::any_of(applications.begin(), applications.end(),
                       [device](const ApplicationInfo &application) {
                           return application.playing && application.device == device;
                       });
}

int FillDeviceList(QComboBox *combo, const DeviceListAccess &device,
                   const std::vector<ApplicationInfo> &applications) {
    const QSignalBlocker blocker(combo);
    combo->clear();
    int preselected = device.currentDevice();
    const bool applicationKept = ApplicationPlaying(applications, preselected);
    const int highest = device.highestDevice();
    for (int i = 0; i <= highest; ++i) {
        device.selectDevice(i);
        if (device.selectedHasMixer())
            combo->addItem(device.selectedName(), i);
        else if (i == preselected)
            ++preselected;
    }
    for (const ApplicationInfo &application : applications) {
        if (application.playing)
            combo->addItem(applicationEntryName(application.name), application.device);
    }
    if (highest < preselected && !applicationKept)
        preselected = 0;
    device.selectDevice(preselected);
    combo->setCurrentIndex(combo->findData(preselected));
    return preselected;
}
