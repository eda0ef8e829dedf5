#include "app/live_device_list.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QSignalBlocker>

#include <vector>

namespace {

// The list rule run over a snapshot of the backend's devices instead of the component, so
// that working out the choice does not move the component.
DeviceListAccess snapshotAccess(const std::vector<DeviceInfo> &devices, int *cursor) {
    auto valid = [&devices, cursor] {
        return *cursor >= 0 && *cursor < static_cast<int>(devices.size());
    };
    return {[&devices] { return static_cast<int>(devices.size()) - 1; },
            [cursor] { return *cursor; }, [cursor](int device) { *cursor = device; },
            [&devices, cursor, valid] {
                return valid() && devices[static_cast<size_t>(*cursor)].hasMixer;
            },
            [&devices, cursor, valid] {
                return valid() ? devices[static_cast<size_t>(*cursor)].name : QString();
            }};
}

bool listed(const std::vector<DeviceInfo> &devices, int device) {
    return device >= 0 && device < static_cast<int>(devices.size()) &&
           devices[static_cast<size_t>(device)].hasMixer;
}

}  // namespace

LiveDeviceList::LiveDeviceList(AudioBackend &backend, Side side)
    : backend_(backend), side_(std::move(side)) {}

void LiveDeviceList::fill() {
    FillDeviceList(side_.combo, side_.component);
    remember();
}

void LiveDeviceList::remember() {
    const std::vector<DeviceInfo> devices = backend_.devices(side_.direction);
    const int inUse = side_.component.currentDevice();
    inUseListed_ = listed(devices, inUse);
    if (inUseListed_)
        inUseName_ = devices[static_cast<size_t>(inUse)].name;
}

void LiveDeviceList::chosen() {
    userChose_ = true;
    heldBack_ = false;
    remember();
}

LiveDeviceList::Outcome LiveDeviceList::refresh() {
    const std::vector<DeviceInfo> devices = backend_.devices(side_.direction);
    const int inUse = side_.component.currentDevice();
    const bool keep = userChose_ && listed(devices, inUse);
    int cursor = keep ? inUse : backend_.defaultDevice(side_.direction);
    int wanted = FillDeviceList(side_.combo, snapshotAccess(devices, &cursor));
    Outcome outcome;
    if (side_.combo->count() == 0) {
        // Nothing to choose from (the server went away): the component keeps its device, which
        // comes back with the same number when the server does.
        inUseListed_ = false;
        heldBack_ = false;
        return outcome;
    }
    if (!listed(devices, wanted))
        wanted = side_.combo->itemData(0).toInt();

    if (inUseListed_ && !listed(devices, inUse)) {
        outcome.message = describe(inUseName_, devices[static_cast<size_t>(wanted)].name);
        userChose_ = false;
    }
    heldBack_ = wanted != inUse && side_.busy();
    if (heldBack_) {
        // The list shows what is in use until the recording or playback is over.
        if (listed(devices, inUse)) {
            const QSignalBlocker blocker(side_.combo);
            side_.combo->setCurrentIndex(side_.combo->findData(inUse));
        }
    } else if (wanted != inUse) {
        side_.component.selectDevice(wanted);
        outcome.deviceChanged = true;
    }
    remember();
    return outcome;
}

LiveDeviceList::Outcome LiveDeviceList::resume() {
    if (!heldBack_ || side_.busy())
        return {};
    return refresh();
}

QString LiveDeviceList::describe(const QString &removed, const QString &used) const {
    const QString side = side_.direction == Direction::Input
                             ? QCoreApplication::translate("LiveDeviceList", "input")
                             : QCoreApplication::translate("LiveDeviceList", "output");
    return QCoreApplication::translate("LiveDeviceList",
                                       "The %1 device \"%2\" was removed; using \"%3\".")
        .arg(side, removed, used);
}
