// The painted widgets' keys: focus by Tab through every part, and keys that act through the
// same signals as the mouse.
#include "widgets/nct_amp_bar2.h"
#include "widgets/nct_equalizer2.h"
#include "widgets/nct_play_button_b2.h"
#include "widgets/nct_slider_b2.h"
#include "widgets/nct_time_display2.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

// A window with a button before and after the widget under test, so the focus has
// somewhere to come from and go to.
class KeyboardTest : public ::testing::Test {
protected:
    void SetUp() override {
        auto *row = new QHBoxLayout(&window);
        row->addWidget(before);
        row->addWidget(slider);
        row->addWidget(bar);
        row->addWidget(equalizer);
        row->addWidget(level);
        row->addWidget(time);
        row->addWidget(after);
        slider->setMinimumWidth(200);
        bar->setMinimumWidth(290);
        equalizer->setMinimumSize(340, 118);
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    }

    static void press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(QApplication::focusWidget(), static_cast<Qt::Key>(key), modifiers);
    }

    QWidget window;
    QPushButton *before = new QPushButton(QStringLiteral("before"), &window);
    TNCTSliderB2 *slider = new TNCTSliderB2(&window);
    TNCTPlayButtonB2 *bar = new TNCTPlayButtonB2(&window);
    TNCTEqualizer2 *equalizer = new TNCTEqualizer2(&window);
    TNCTAmpBar2 *level = new TNCTAmpBar2(&window);
    TNCTTimeDisplay2 *time = new TNCTTimeDisplay2(&window);
    QPushButton *after = new QPushButton(QStringLiteral("after"), &window);
};

// Where the focus is: a widget's name, with the part for the bar and the equaliser.
std::string focusStop(QWidget *focus, const TNCTPlayButtonB2 *bar,
                      const TNCTEqualizer2 *equalizer) {
    if (focus == bar)
        return "bar" + std::to_string(bar->focusedPart());
    if (focus == equalizer)
        return "band" + std::to_string(equalizer->focusedBand());
    return focus ? focus->metaObject()->className() : "none";
}

}  // namespace

TEST_F(KeyboardTest, TabStopsAtEveryPartForwardAndBack) {
    before->setFocus(Qt::OtherFocusReason);
    std::vector<std::string> forward;
    for (int i = 0; i < 22; ++i) {
        press(Qt::Key_Tab);
        forward.push_back(focusStop(QApplication::focusWidget(), bar, equalizer));
    }
    std::vector<std::string> expected = {"TNCTSliderB2"};
    for (int part = 0; part < TNCTPlayButtonB2::kParts; ++part)
        expected.push_back("bar" + std::to_string(part));
    for (int band = 1; band <= TNCTEqualizer2::kBands; ++band)
        expected.push_back("band" + std::to_string(band));
    expected.insert(expected.end(), {"TNCTAmpBar2", "TNCTTimeDisplay2", "QPushButton"});
    EXPECT_EQ(forward, expected);

    // Shift+Tab enters the equaliser at its last band and the bar at the volume.
    press(Qt::Key_Backtab, Qt::ShiftModifier);  // time display
    press(Qt::Key_Backtab, Qt::ShiftModifier);  // level bar
    press(Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(focusStop(QApplication::focusWidget(), bar, equalizer), "band12");
    for (int i = 0; i < TNCTEqualizer2::kBands; ++i)
        press(Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(focusStop(QApplication::focusWidget(), bar, equalizer), "bar5");

    // A click on a button gives that button the focus.
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->buttonRect(TNCTPlayButtonB2::kStop).center());
    EXPECT_EQ(focusStop(QApplication::focusWidget(), bar, equalizer), "bar2");
}

TEST_F(KeyboardTest, SliderKeysAreOnePressAndReleaseEach) {
    std::vector<std::string> seen;
    QObject::connect(slider, &TNCTSliderB2::OnMouseDown, [&] { seen.push_back("down"); });
    QObject::connect(slider, &TNCTSliderB2::OnMouseUp, [&] { seen.push_back("up"); });
    QObject::connect(slider, &TNCTSliderB2::OnValueChange,
                     [&](int v) { seen.push_back(std::to_string(v)); });
    slider->setFocus(Qt::TabFocusReason);

    press(Qt::Key_PageUp);
    press(Qt::Key_Right);
    press(Qt::Key_Down);
    press(Qt::Key_End);
    press(Qt::Key_PageUp);  // at the end: a press and a release, no value
    press(Qt::Key_Home);
    EXPECT_EQ(seen, (std::vector<std::string>{"down", "100", "up", "down", "110", "up", "down",
                                              "100", "up", "down", "1000", "up", "down", "up",
                                              "down", "0", "up"}));
    EXPECT_FALSE(slider->isDragging());

    // A held key is one drag: auto-repeated presses move it, the real release ends it.
    seen.clear();
    QTest::keyPress(slider, Qt::Key_Right);
    QTest::keyRelease(slider, Qt::Key_Right);
    QKeyEvent repeatRelease(QEvent::KeyRelease, Qt::Key_Right, Qt::NoModifier, QString(), true);
    QApplication::sendEvent(slider, &repeatRelease);
    EXPECT_EQ(seen, (std::vector<std::string>{"down", "10", "up"}));
    seen.clear();
    QTest::keyPress(slider, Qt::Key_Right);
    QKeyEvent repeated(QEvent::KeyPress, Qt::Key_Right, Qt::NoModifier, QString(), true);
    QApplication::sendEvent(slider, &repeatRelease);
    QApplication::sendEvent(slider, &repeated);
    EXPECT_TRUE(slider->isDragging());
    // The focus going elsewhere ends the drag, since the release will not come here.
    after->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(seen, (std::vector<std::string>{"down", "20", "30", "up"}));
    EXPECT_FALSE(slider->isDragging());

    // Keys with Ctrl or Alt belong to the window.
    slider->setFocus(Qt::TabFocusReason);
    seen.clear();
    press(Qt::Key_Right, Qt::ControlModifier);
    EXPECT_TRUE(seen.empty());
}

TEST_F(KeyboardTest, BarKeysPressTheFocusedButtonAndMoveTheVolume) {
    std::vector<int> clicks;
    std::vector<int> volumes;
    QObject::connect(bar, &TNCTPlayButtonB2::OnMouseClick,
                     [&](int code) { clicks.push_back(code); });
    QObject::connect(bar, &TNCTPlayButtonB2::OnChangeVolume,
                     [&](int volume) { volumes.push_back(volume); });
    bar->setFocus(Qt::TabFocusReason);

    press(Qt::Key_Space);   // play
    press(Qt::Key_Right);   // pause
    press(Qt::Key_Return);  // pressed
    press(Qt::Key_Right);
    press(Qt::Key_Enter);  // stop
    press(Qt::Key_Right);
    press(Qt::Key_Space);  // record
    press(Qt::Key_Left);
    press(Qt::Key_Up);  // nothing on a button
    EXPECT_EQ(clicks, (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(bar->focusedPart(), 2);

    // M flips mute from any part; Space on the mute button too.
    press(Qt::Key_M);
    EXPECT_TRUE(bar->Mute());
    bar->setFocusedPart(4);
    press(Qt::Key_Space);
    EXPECT_FALSE(bar->Mute());
    EXPECT_EQ(clicks, (std::vector<int>{1, 2, 3, 4, 7, 7}));

    bar->setFocusedPart(TNCTPlayButtonB2::kVolumePart);
    bar->ChangeVolume(30000);
    press(Qt::Key_Down);
    press(Qt::Key_Right);
    press(Qt::Key_Right);
    press(Qt::Key_PageDown);
    press(Qt::Key_End);
    press(Qt::Key_Up);  // already full
    press(Qt::Key_Home);
    press(Qt::Key_Space);  // the volume has no click
    EXPECT_EQ(volumes, (std::vector<int>{29345, 30000, 30655, 24101, 65535, 0}));
    EXPECT_EQ(clicks.size(), 6u);

    // A disabled bar takes no keys and no clicks from anyone.
    bar->setEnabled(false);
    bar->pressButton(TNCTPlayButtonB2::kPlay);
    EXPECT_EQ(clicks.size(), 6u);
}

TEST_F(KeyboardTest, EqualizerKeysMoveTheFocusedBandLikeTheMouse) {
    std::vector<int> moved;
    QObject::connect(equalizer, &TNCTEqualizer2::OnValueChange,
                     [&](int band) { moved.push_back(band); });
    equalizer->setFocus(Qt::TabFocusReason);
    ASSERT_EQ(equalizer->focusedBand(), 1);

    press(Qt::Key_Up);
    EXPECT_FLOAT_EQ(equalizer->Band(1), 0.5f);
    press(Qt::Key_Right);
    press(Qt::Key_Right);
    press(Qt::Key_PageDown);
    EXPECT_FLOAT_EQ(equalizer->Band(3), -3.0f);
    press(Qt::Key_End);
    EXPECT_FLOAT_EQ(equalizer->Band(3), 15.0f);
    press(Qt::Key_PageUp);  // at the top: no change, no report
    press(Qt::Key_Left);
    press(Qt::Key_Home);
    EXPECT_FLOAT_EQ(equalizer->Band(2), -15.0f);
    EXPECT_EQ(moved, (std::vector<int>{1, 3, 3, 2}));

    // A gain the program set off the mouse's grid steps back onto it.
    equalizer->setBand(5, 1.3f);
    equalizer->setFocusedBand(5);
    press(Qt::Key_Up);
    EXPECT_FLOAT_EQ(equalizer->Band(5), 2.0f);

    // The focus stays within the twelve bands.
    equalizer->setFocusedBand(12);
    press(Qt::Key_Right);
    EXPECT_EQ(equalizer->focusedBand(), 12);
}
