#include "app/device_list_rule.h"

#include <gtest/gtest.h>

#include <QComboBox>

#include <vector>

namespace {

// A component with devices 0..n-1, of which those marked true have mixer lines.
struct FakeDevices {
    std::vector<bool> hasMixer;
    int current = 0;

    DeviceListAccess access() {
        return {
            [this] { return static_cast<int>(hasMixer.size()) - 1; }, [this] { return current; },
            [this](int d) { current = d; },
            [this] { return current >= 0 && current < int(hasMixer.size()) && hasMixer[current]; },
            [this] { return QStringLiteral("Device %1").arg(current); }};
    }
};

QStringList entries(const QComboBox &combo) {
    QStringList list;
    for (int i = 0; i < combo.count(); ++i)
        list << combo.itemText(i) + QLatin1Char('=') + combo.itemData(i).toString();
    return list;
}

}  // namespace

TEST(DeviceListRule, ListsOnlyDevicesWithMixerLinesAndKeepsTheCurrentOne) {
    FakeDevices devices{{true, false, true, true}, 3};
    QComboBox combo;
    EXPECT_EQ(FillDeviceList(&combo, devices.access()), 3);
    EXPECT_EQ(entries(combo),
              (QStringList{QStringLiteral("Device 0=0"), QStringLiteral("Device 2=2"),
                           QStringLiteral("Device 3=3")}));
    EXPECT_EQ(devices.current, 3);
    EXPECT_EQ(combo.currentData().toInt(), 3);  // selected by device number, not position
}

TEST(DeviceListRule, ACurrentDeviceWithoutLinesHandsThePreselectionOn) {
    FakeDevices devices{{true, false, true}, 1};
    QComboBox combo;
    EXPECT_EQ(FillDeviceList(&combo, devices.access()), 2);
    EXPECT_EQ(combo.currentText(), QStringLiteral("Device 2"));
}

TEST(DeviceListRule, FallsBackToDeviceZeroWhenNoLaterDeviceHasLines) {
    FakeDevices devices{{true, true, false, false}, 2};
    QComboBox combo;
    EXPECT_EQ(FillDeviceList(&combo, devices.access()), 0);
    EXPECT_EQ(devices.current, 0);
    EXPECT_EQ(combo.currentText(), QStringLiteral("Device 0"));
}

TEST(DeviceListRule, NoDevicesLeavesTheListEmpty) {
    FakeDevices devices{{}, 0};
    QComboBox combo;
    combo.addItem(QStringLiteral("stale"));
    FillDeviceList(&combo, devices.access());
    EXPECT_EQ(combo.count(), 0);
    EXPECT_EQ(combo.currentIndex(), -1);
}

TEST(DeviceListRule, PlayingApplicationsFollowTheDevicesAndAPlayingOneStaysChosen) {
    const std::vector<ApplicationInfo> applications = {
        {kFirstApplicationDevice, QStringLiteral("Player"), true},
        {kFirstApplicationDevice + 1, QStringLiteral("Stopped"), false},
        {kFirstApplicationDevice + 2, QStringLiteral("Browser"), true}};
    FakeDevices devices{{true, false, true}, kFirstApplicationDevice + 2};
    QComboBox combo;
    EXPECT_EQ(FillDeviceList(&combo, devices.access(), applications), kFirstApplicationDevice + 2);
    EXPECT_EQ(
        entries(combo),
        (QStringList{QStringLiteral("Device 0=0"), QStringLiteral("Device 2=2"),
                     QStringLiteral("Player (application)=%1").arg(kFirstApplicationDevice),
                     QStringLiteral("Browser (application)=%1").arg(kFirstApplicationDevice + 2)}));
    EXPECT_EQ(combo.currentText(), QStringLiteral("Browser (application)"));
    EXPECT_EQ(devices.current, kFirstApplicationDevice + 2);

    // One that stopped playing is not listed and hands the choice to device 0.
    devices.current = kFirstApplicationDevice + 1;
    EXPECT_EQ(FillDeviceList(&combo, devices.access(), applications), 0);
    EXPECT_EQ(combo.count(), 4);
    EXPECT_EQ(combo.currentText(), QStringLiteral("Device 0"));
}
