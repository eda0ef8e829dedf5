// What assistive technology finds in the painted widgets and what it can do with them: roles,
// names, values and ranges, the press action, and the events that report changes.
#include "tests/support/accessibility_probe.h"
#include "widgets/nct_amp_bar2.h"
#include "widgets/nct_equalizer2.h"
#include "widgets/nct_play_button_b2.h"
#include "widgets/nct_slider_b2.h"
#include "widgets/nct_time_display2.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QAccessibleValueInterface>
#include <QApplication>
#include <QTest>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

QAccessibleInterface *accessibleOf(QWidget *widget) {
    return QAccessible::queryAccessibleInterface(widget);
}

QString name(QAccessibleInterface *iface) {
    return iface->text(QAccessible::Name);
}

}  // namespace

TEST(WidgetAccessibility, PositionSliderIsANamedSliderAndSettingItSeeks) {
    TNCTSliderB2 slider;
    std::vector<std::string> seen;
    QObject::connect(&slider, &TNCTSliderB2::OnMouseDown, [&] { seen.push_back("down"); });
    QObject::connect(&slider, &TNCTSliderB2::OnMouseUp, [&] { seen.push_back("up"); });
    QObject::connect(&slider, &TNCTSliderB2::OnValueChange,
                     [&](int v) { seen.push_back(std::to_string(v)); });
    QAccessibleInterface *iface = accessibleOf(&slider);
    ASSERT_NE(iface, nullptr);
    EXPECT_EQ(iface->role(), QAccessible::Slider);
    EXPECT_EQ(name(iface), QStringLiteral("Position"));
    EXPECT_TRUE(iface->state().focusable);
    QAccessibleValueInterface *value = iface->valueInterface();
    ASSERT_NE(value, nullptr);
    EXPECT_EQ(value->minimumValue().toInt(), 0);
    EXPECT_EQ(value->maximumValue().toInt(), 1000);

    AccessibilityProbe probe;
    value->setCurrentValue(453);
    EXPECT_EQ(seen, (std::vector<std::string>{"down", "453", "up"}));
    EXPECT_EQ(value->currentValue().toInt(), 453);
    EXPECT_EQ(iface->text(QAccessible::Value), QStringLiteral("45 %"));
    EXPECT_EQ(AccessibilityProbe::lastValue(&slider).toInt(), 453);
    // The program moving it is reported once per whole percent.
    for (int v : {454, 459, 460, 461, 475})
        slider.setValue(v);
    EXPECT_EQ(AccessibilityProbe::count(&slider, QAccessible::ValueChanged), 3);
    EXPECT_EQ(AccessibilityProbe::lastValue(&slider).toInt(), 475);

    // A name the window gives wins over the built-in one.
    slider.setAccessibleName(QStringLiteral("Where"));
    EXPECT_EQ(name(iface), QStringLiteral("Where"));
}

TEST(WidgetAccessibility, TransportBarIsAToolBarOfButtonsAndAVolumeSlider) {
    TNCTPlayButtonB2 bar;
    bar.resize(290, 27);
    std::vector<int> clicks;
    std::vector<int> volumes;
    QObject::connect(&bar, &TNCTPlayButtonB2::OnMouseClick,
                     [&](int code) { clicks.push_back(code); });
    QObject::connect(&bar, &TNCTPlayButtonB2::OnChangeVolume,
                     [&](int volume) { volumes.push_back(volume); });
    QAccessibleInterface *iface = accessibleOf(&bar);
    ASSERT_NE(iface, nullptr);
    EXPECT_EQ(iface->role(), QAccessible::ToolBar);
    EXPECT_FALSE(name(iface).isEmpty());
    ASSERT_EQ(iface->childCount(), 6);

    const QStringList names = {QStringLiteral("Play"), QStringLiteral("Pause"),
                               QStringLiteral("Stop"), QStringLiteral("Record"),
                               QStringLiteral("Mute")};
    for (int i = 0; i < 5; ++i) {
        QAccessibleInterface *button = iface->child(i);
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(button->role(), QAccessible::Button);
        EXPECT_EQ(name(button), names[i]);
        EXPECT_EQ(button->parent(), iface);
        EXPECT_EQ(iface->indexOfChild(button), i);
        EXPECT_EQ(iface->child(i), button);  // made once
        QAccessibleActionInterface *actions = button->actionInterface();
        ASSERT_NE(actions, nullptr);
        EXPECT_EQ(actions->actionNames(), QStringList{QAccessibleActionInterface::pressAction()});
        actions->doAction(QAccessibleActionInterface::pressAction());
    }
    EXPECT_EQ(clicks, (std::vector<int>{1, 2, 3, 4, 7}));
    QAccessibleInterface *mute = iface->child(4);
    EXPECT_TRUE(mute->state().checkable);
    EXPECT_TRUE(mute->state().checked);

    QAccessibleInterface *volume = iface->child(TNCTPlayButtonB2::kVolumePart);
    EXPECT_EQ(volume->role(), QAccessible::Slider);
    EXPECT_EQ(name(volume), QStringLiteral("Volume"));
    QAccessibleValueInterface *value = volume->valueInterface();
    ASSERT_NE(value, nullptr);
    EXPECT_EQ(value->currentValue().toInt(), 100);  // starts at full volume
    EXPECT_EQ(value->maximumValue().toInt(), 100);
    value->setCurrentValue(50);
    EXPECT_EQ(volumes, (std::vector<int>{32768}));
    EXPECT_EQ(volume->text(QAccessible::Value), QStringLiteral("50 %"));

    // Each part sits where it is painted, so a pointer finds it.
    const QRect stop = iface->child(2)->rect();
    EXPECT_EQ(stop.size(), bar.buttonRect(TNCTPlayButtonB2::kStop).size());
    EXPECT_EQ(iface->childAt(stop.center().x(), stop.center().y()), iface->child(2));

    bar.setEnabled(false);
    iface->child(0)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(clicks.size(), 5u);
    EXPECT_TRUE(iface->child(0)->state().disabled);
}

TEST(WidgetAccessibility, EqualizerBandsAreSlidersNamedByFrequencyValuedInDb) {
    TNCTEqualizer2 equalizer;
    equalizer.resize(340, 118);
    std::vector<int> moved;
    QObject::connect(&equalizer, &TNCTEqualizer2::OnValueChange,
                     [&](int band) { moved.push_back(band); });
    QAccessibleInterface *iface = accessibleOf(&equalizer);
    ASSERT_NE(iface, nullptr);
    EXPECT_EQ(name(iface), QStringLiteral("Equalizer"));
    ASSERT_EQ(iface->childCount(), 12);
    QStringList names;
    for (int i = 0; i < 12; ++i) {
        EXPECT_EQ(iface->child(i)->role(), QAccessible::Slider);
        names << name(iface->child(i));
    }
    EXPECT_EQ(
        names,
        (QStringList{QStringLiteral("32 Hz"), QStringLiteral("64 Hz"), QStringLiteral("125 Hz"),
                     QStringLiteral("250 Hz"), QStringLiteral("500 Hz"), QStringLiteral("1 kHz"),
                     QStringLiteral("2 kHz"), QStringLiteral("3 kHz"), QStringLiteral("4 kHz"),
                     QStringLiteral("8 kHz"), QStringLiteral("12 kHz"), QStringLiteral("16 kHz")}));

    QAccessibleValueInterface *band3 = iface->child(2)->valueInterface();
    ASSERT_NE(band3, nullptr);
    EXPECT_DOUBLE_EQ(band3->minimumValue().toDouble(), -15.0);
    EXPECT_DOUBLE_EQ(band3->maximumValue().toDouble(), 15.0);
    AccessibilityProbe probe;
    band3->setCurrentValue(-6.5);
    EXPECT_FLOAT_EQ(equalizer.Band(3), -6.5f);
    EXPECT_EQ(moved, (std::vector<int>{3}));
    EXPECT_EQ(iface->child(2)->text(QAccessible::Value), QStringLiteral("-6.5 dB"));
    equalizer.setBand(4, 3.0f);  // the program's own setting is reported too
    EXPECT_EQ(iface->child(3)->text(QAccessible::Value), QStringLiteral("+3.0 dB"));
    EXPECT_DOUBLE_EQ(AccessibilityProbe::lastValue(&equalizer, 2).toDouble(), -6.5);
    EXPECT_DOUBLE_EQ(AccessibilityProbe::lastValue(&equalizer, 3).toDouble(), 3.0);
}

TEST(WidgetAccessibility, LevelBarsAndTimeReadOutWhatTheyShow) {
    TNCTAmpBar2 level;
    QAccessibleInterface *bar = accessibleOf(&level);
    EXPECT_EQ(bar->role(), QAccessible::ProgressBar);
    EXPECT_EQ(name(bar), QStringLiteral("Level"));
    level.setAccessibleName(QStringLiteral("Left level"));
    EXPECT_EQ(name(bar), QStringLiteral("Left level"));
    EXPECT_TRUE(bar->state().readOnly);

    AccessibilityProbe probe;
    level.setValue(TNCTAmpBar2::kMaxValue);
    EXPECT_EQ(bar->valueInterface()->currentValue().toInt(), 100);
    EXPECT_EQ(bar->text(QAccessible::Value), QStringLiteral("0 dB"));
    level.setValue(TNCTAmpBar2::kMaxValue - 1);  // the same percentage: no report
    level.setValue(0);
    EXPECT_EQ(AccessibilityProbe::count(&level, QAccessible::ValueChanged), 2);
    EXPECT_EQ(bar->valueInterface()->currentValue().toInt(), 0);

    TNCTTimeDisplay2 time;
    time.setToolTip(QStringLiteral("Time Elapsed"));
    QAccessibleInterface *clock = accessibleOf(&time);
    EXPECT_EQ(clock->role(), QAccessible::StaticText);
    time.setMilliseconds(3725400);
    EXPECT_EQ(name(clock), QStringLiteral("01:02:05.4"));
    EXPECT_EQ(clock->text(QAccessible::Description), QStringLiteral("Time Elapsed"));
    // Reported once a second, not at every tenth.
    for (int ms : {3725500, 3725900, 3726000, 3726100})
        time.setMilliseconds(ms);
    EXPECT_EQ(AccessibilityProbe::count(&time, QAccessible::NameChanged), 2);
}

TEST(WidgetAccessibility, FocusAndChangesOfAPartAreReportedForThatPart) {
    QWidget window;
    auto *bar = new TNCTPlayButtonB2(&window);
    bar->resize(290, 27);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    QAccessibleInterface *iface = accessibleOf(bar);

    AccessibilityProbe probe;
    bar->setFocus(Qt::TabFocusReason);
    bar->setFocusedPart(3);
    QCoreApplication::processEvents();
    // The part's report comes after the widget's own, so it is what a reader announces last.
    std::vector<int> focusChildren;
    for (const SeenAccessibleEvent &e : AccessibilityProbe::seen()) {
        if (e.object == bar && e.type == QAccessible::Focus)
            focusChildren.push_back(e.child);
    }
    ASSERT_FALSE(focusChildren.empty());
    EXPECT_EQ(focusChildren.back(), 3);
    EXPECT_EQ(iface->focusChild(), iface->child(3));
    EXPECT_TRUE(iface->child(3)->state().focused);
    EXPECT_FALSE(iface->child(0)->state().focused);

    bar->setMute(true);
    EXPECT_EQ(AccessibilityProbe::count(bar, QAccessible::StateChanged, 4), 1);
    bar->ChangeVolume(0);
    EXPECT_EQ(AccessibilityProbe::lastValue(bar, TNCTPlayButtonB2::kVolumePart).toInt(), 0);
}
