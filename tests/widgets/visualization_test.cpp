#include "widgets/audio_visualization2.h"

#include "tests/widgets/test_signals.h"

#include <QImage>
#include <QPixmap>

#include <gtest/gtest.h>

#include <algorithm>

using testsignals::sine;
using VisType = TAudioVisualization2::TVisType;
using WindowType = TAudioVisualization2::TWindowFFTType;

namespace {

int loudestColumn(const TAudioVisualization2 &v) {
    const auto &l = v.levels();
    return static_cast<int>(std::max_element(l.begin(), l.end()) - l.begin());
}

// What the program does every tick: twice the FFT size from the device.
void feed(TAudioVisualization2 &v, double hz, double amplitude = 0.5) {
    v.SendArray(sine(hz, 2 * v.WindowArraySize(), amplitude));
}

}  // namespace

TEST(Visualization, StartsWith1024NoWindowAndNormalLook) {
    TAudioVisualization2 v;
    EXPECT_EQ(v.WindowArraySize(), 1024);
    EXPECT_EQ(v.WindowFFTType(), WindowType::None);
    EXPECT_EQ(v.VisType(), VisType::vtFFTNormal);
    EXPECT_TRUE(v.isClear());
}

TEST(Visualization, SettingsTakeTheListValues) {
    TAudioVisualization2 v;
    for (int size : {256, 4096, 1024}) {
        v.setWindowArraySize(size);
        EXPECT_EQ(v.WindowArraySize(), size);
    }
    v.setWindowArraySize(1000);
    EXPECT_EQ(v.WindowArraySize(), 1024);
    v.setWindowFFTType(static_cast<WindowType>(2));
    EXPECT_EQ(v.WindowFFTType(), WindowType::Barlett);
    v.setVisType(static_cast<VisType>(0));
    EXPECT_EQ(v.VisType(), VisType::vtFFTAnalog);
}

TEST(Visualization, ToneShowsInTheColumnOfItsFrequencyForEveryLook) {
    TAudioVisualization2 v;
    v.resize(360, 230);
    v.setWindowFFTType(WindowType::Hanning);
    for (int type = 0; type < 6; ++type) {
        v.setVisType(static_cast<VisType>(type));
        for (int size : {256, 1024, 4096}) {
            v.SendArray(SampleArray());
            v.setWindowArraySize(size);
            feed(v, 1000.0);
            ASSERT_FALSE(v.isClear());
            const int column = loudestColumn(v);
            // The column holding the tone's bin; neighbours within one bin width also pass.
            const double slack = 44100.0 / size;
            EXPECT_LE(v.columnLowFrequency(column), 1000.0 + slack) << type << "/" << size;
            EXPECT_GE(v.columnHighFrequency(column), 1000.0 - slack) << type << "/" << size;
        }
    }
}

TEST(Visualization, EmptyArrayClearsTheView) {
    TAudioVisualization2 v;
    v.resize(360, 230);
    const QImage blank = v.grab().toImage();
    feed(v, 1000.0);
    EXPECT_FALSE(v.isClear());
    EXPECT_NE(v.grab().toImage(), blank);
    v.SendArray(SampleArray());
    EXPECT_TRUE(v.isClear());
    EXPECT_EQ(v.grab().toImage(), blank);
}

TEST(Visualization, ColumnsFallBackGradually) {
    TAudioVisualization2 v;
    v.resize(360, 230);
    feed(v, 1000.0, 1.0);
    const int column = loudestColumn(v);
    const float loud = v.levels()[static_cast<size_t>(column)];
    v.SendArray(testsignals::silence(2048));
    const float after = v.levels()[static_cast<size_t>(column)];
    EXPECT_LT(after, loud);
    EXPECT_GT(after, 0.5f * loud);
    for (int i = 0; i < 40; ++i)
        v.SendArray(testsignals::silence(2048));
    EXPECT_EQ(v.levels()[static_cast<size_t>(column)], 0.0f);
}

TEST(Visualization, ResizingKeepsThePicture) {
    TAudioVisualization2 v;
    v.resize(360, 230);
    feed(v, 1000.0);
    v.resize(500, 300);
    (void)v.grab();  // delivers the pending resize
    EXPECT_FALSE(v.isClear());
}

TEST(Visualization, SixLooksDrawDifferently) {
    std::vector<QImage> images;
    for (int type = 0; type < 6; ++type) {
        TAudioVisualization2 v;
        v.resize(360, 230);
        v.setVisType(static_cast<VisType>(type));
        for (double hz : {150.0, 1000.0, 6000.0})
            feed(v, hz, 0.3);
        images.push_back(v.grab().toImage());
    }
    for (size_t i = 0; i < images.size(); ++i) {
        for (size_t j = i + 1; j < images.size(); ++j)
            EXPECT_NE(images[i], images[j]) << "looks " << i << " and " << j;
    }
}
