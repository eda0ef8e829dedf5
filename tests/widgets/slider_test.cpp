#include "widgets/nct_slider_b2.h"

#include <QImage>
#include <QPixmap>
#include <QTest>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Records the slider's notifications in order, e.g. "down", "value 500", "up".
struct Recorder {
    explicit Recorder(TNCTSliderB2 &s) {
        QObject::connect(&s, &TNCTSliderB2::OnMouseDown, &s, [this] { log.push_back("down"); });
        QObject::connect(&s, &TNCTSliderB2::OnMouseUp, &s, [this] { log.push_back("up"); });
        QObject::connect(&s, &TNCTSliderB2::OnValueChange, &s,
                         [this](int v) { log.push_back("value " + std::to_string(v)); });
    }
    std::vector<std::string> log;
};

class SliderTest : public ::testing::Test {
protected:
    void SetUp() override {
        slider.resize(566, 15);
        slider.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&slider));
    }
    TNCTSliderB2 slider;
};

}  // namespace

TEST_F(SliderTest, SetValueClampsAndReportsOnlyChanges) {
    Recorder r(slider);
    slider.setValue(-1);  // the clock's "unknown length" value
    EXPECT_EQ(slider.Value(), 0);
    slider.setValue(1500);
    EXPECT_EQ(slider.Value(), 1000);
    slider.setValue(1000);
    slider.setValue(250);
    EXPECT_EQ(r.log, (std::vector<std::string>{"value 1000", "value 250"}));
}

TEST_F(SliderTest, StripEndsMapToTheRangeEnds) {
    EXPECT_EQ(slider.valueAt(0), 0);
    EXPECT_EQ(slider.valueAt(slider.width() - 1), 1000);
    EXPECT_EQ(slider.valueAt(-50), 0);
    EXPECT_EQ(slider.valueAt(slider.width() + 50), 1000);
    int previous = 0;
    for (int x = 0; x < slider.width(); ++x) {
        EXPECT_GE(slider.valueAt(x), previous);
        previous = slider.valueAt(x);
    }
}

TEST_F(SliderTest, DragIsBracketedByMouseDownAndUp) {
    Recorder r(slider);
    const int x1 = slider.width() / 2;
    const int x2 = slider.width() * 3 / 4;
    const std::string v1 = std::to_string(slider.valueAt(x1));
    const std::string v2 = std::to_string(slider.valueAt(x2));
    QTest::mousePress(&slider, Qt::LeftButton, {}, QPoint(x1, 7));
    EXPECT_TRUE(slider.isDragging());
    QTest::mouseMove(&slider, QPoint(x2, 7));
    QTest::mouseRelease(&slider, Qt::LeftButton, {}, QPoint(x2, 7));
    EXPECT_FALSE(slider.isDragging());
    EXPECT_EQ(r.log, (std::vector<std::string>{"down", "value " + v1, "value " + v2, "up"}));
    EXPECT_EQ(slider.Value(), slider.valueAt(x2));

    // Dragging past the end stops at 1000.
    r.log.clear();
    const int x3 = slider.width() - 20;
    const std::string v3 = std::to_string(slider.valueAt(x3));
    QTest::mousePress(&slider, Qt::LeftButton, {}, QPoint(x3, 7));
    QTest::mouseMove(&slider, QPoint(slider.width() + 40, 7));
    QTest::mouseRelease(&slider, Qt::LeftButton, {}, QPoint(slider.width() + 40, 7));
    EXPECT_EQ(r.log, (std::vector<std::string>{"down", "value " + v3, "value 1000", "up"}));
}

TEST_F(SliderTest, PressOnTheThumbDoesNotJump) {
    slider.setValue(400);
    Recorder r(slider);
    const QPoint offCentre = slider.thumbRect().center() + QPoint(3, 0);
    QTest::mousePress(&slider, Qt::LeftButton, {}, offCentre);
    QTest::mouseRelease(&slider, Qt::LeftButton, {}, offCentre);
    EXPECT_EQ(slider.Value(), 400);
    EXPECT_EQ(r.log, (std::vector<std::string>{"down", "up"}));
}

TEST_F(SliderTest, DisabledSliderIgnoresTheMouse) {
    slider.setEnabled(false);
    Recorder r(slider);
    QTest::mouseClick(&slider, Qt::LeftButton, {}, QPoint(300, 7));
    EXPECT_TRUE(r.log.empty());
    EXPECT_EQ(slider.Value(), 0);
    // The program still moves it while recording.
    slider.setValue(300);
    EXPECT_EQ(r.log, (std::vector<std::string>{"value 300"}));
}

TEST_F(SliderTest, DisablingDuringADragReleasesIt) {
    // Otherwise the listener would believe the slider is held for good.
    Recorder r(slider);
    QTest::mousePress(&slider, Qt::LeftButton, {}, QPoint(100, 7));
    slider.setEnabled(false);
    EXPECT_FALSE(slider.isDragging());
    EXPECT_EQ(r.log, (std::vector<std::string>{
                         "down", "value " + std::to_string(slider.valueAt(100)), "up"}));
}

TEST_F(SliderTest, StripColourIsKept) {
    slider.setStripColor(QColor(10, 20, 30));
    EXPECT_EQ(slider.StripColor(), QColor(10, 20, 30));
    EXPECT_EQ(slider.grab().toImage().pixelColor(slider.width() / 2, 0), QColor(10, 20, 30));
}
