#include "app/live_device_list.h"

#include "audio/audio_device_mixer.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QSignalBlocker>

#include <algorithm>
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

// What the backend lists for one side: its devices and, for the input, the applications.
struct Listing {
    std::vector<DeviceInfo> devices;
    std::vector<ApplicationInfo> applications;

    bool listed(int device) const {
        if (ApplicationPlaying(applications, device))
            return true;
        return device >= 0 && device < static_cast<int>(devices.size()) &&
               devices[static_cast<size_t>(device)].hasMixer;
    }
    QString name(int device) const {
        for (const ApplicationInfo &application : applications) {
            if (application.device == device)
                return applicationEntryName(application.name);
        }
        return device >= 0 && device < static_cast<int>(devices.size())
                   ? devices[static_cast<size_t>(device)].name
                   : QString();
    }
};

}  // namespace

LiveDeviceList::LiveDeviceList(AudioBackend &backend, Side side)
    : backend_(backend), side_(std::move(side)) {}

std::vector<ApplicationInfo> LiveDeviceList::applications() const {
    return side_.direction == Direction::Input ? backend_.applications()
                                               : std::vector<ApplicationInfo>{};
}

void LiveDeviceList::fill() {
    FillDeviceList(side_.combo, side_.component, applications());
    remember();
}

void LiveDeviceList::remember() {
    const Listing listing{backend_.devices(side_.direction), applications()};
    const int inUse = side_.component.currentDevice();
    inUseListed_ = listing.listed(inUse);
    if (inUseListed_)
        inUseName_ = listing.name(inUse);
}

void LiveDeviceList::chosen() {
    userChose_ = true;
    heldBack_ = false;
    remember();
}

LiveDeviceList::Outcome LiveDeviceList::refresh() {
    Listing listing{backend_.devices(side_.direction), applications()};
    const std::vector<DeviceInfo> &devices = listing.devices;
    const int inUse = side_.component.currentDevice();
    bool keptStopped = false;
    if (side_.busy()) {
        // A recording of an application that stopped goes on (with silence), so its entry
        // stays until the recording is over.
        for (ApplicationInfo &application : listing.applications) {
            keptStopped = keptStopped || (!application.playing && application.device == inUse);
            application.playing = application.playing || application.device == inUse;
        }
    }
    const bool keep = userChose_ && listing.listed(inUse);
    // Without a default the system names, the list starts at its first device.
    int cursor = keep ? inUse : std::max(backend_.defaultDevice(side_.direction), 0);
    int wanted =
        FillDeviceList(side_.combo, snapshotAccess(devices, &cursor), listing.applications);
    Outcome outcome;
    if (side_.combo->count() == 0) {
        // Nothing to choose from (the server went away): the component keeps its device, which
        // comes back with the same number when the server does.
        inUseListed_ = false;
        heldBack_ = false;
        return outcome;
    }
    if (!listing.listed(wanted))
        wanted = side_.combo->itemData(0).toInt();

    if (inUseListed_ && !listing.listed(inUse)) {
        outcome.message = describe(inUseName_, listing.name(wanted));
        outcome.brief = describeBriefly(listing.name(wanted));
        userChose_ = false;
    }
    heldBack_ = (wanted != inUse && side_.busy()) || keptStopped;
    if (heldBack_) {
        // The list shows what is in use until the recording or playback is over.
        if (listing.listed(inUse)) {
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

// The device now in use comes first: where even this is cut short, what was cut is the
// reason, which the whole message (the panel's tooltip) gives.
QString LiveDeviceList::describeBriefly(const QString &used) const {
    if (side_.direction == Direction::Input)
        return QCoreApplication::translate("LiveDeviceList",
                                           "Input now \"%1\" (the device in use was removed)")
            .arg(used);
    return QCoreApplication::translate("LiveDeviceList",
                                       "Output now \"%1\" (the device in use was removed)")
        .arg(used);
}
