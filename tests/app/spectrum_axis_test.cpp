// The spectrum's frequency axis during playback and recording on the virtual card: a tone
// shows at its own frequency whatever the rate of the sound being shown.
#include "audio/audio_file2.h"
#include "tests/support/window_fixture.h"
#include "widgets/audio_visualization2.h"

#include <algorithm>
#include <cmath>

using testsupport::spin;
using testsupport::waitUntil;

namespace {

QString writeToneWav(const QString &path, int frequency, double toneHz, int frames) {
    TAudioFile2 file;
    file.SetFormatPCM(frequency, 2, 16);
    file.CreateFile(path, 0);
    std::vector<int16_t> samples(static_cast<size_t>(frames) * 2);
    for (int i = 0; i < frames; ++i) {
        const double v = 12000.0 * std::sin(2.0 * M_PI * toneHz * i / frequency);
        samples[2 * i] = samples[2 * i + 1] = static_cast<int16_t>(std::lround(v));
    }
    file.WriteFile(SampleArray(2, samples));
    file.CloseFile();
    return path;
}

// The middle of the loudest column, in Hz.
double loudestFrequency(const TAudioVisualization2 &view) {
    const std::vector<float> &levels = view.levels();
    const int loudest =
        static_cast<int>(std::max_element(levels.begin(), levels.end()) - levels.begin());
    return std::sqrt(view.columnLowFrequency(loudest) * view.columnHighFrequency(loudest));
}

}  // namespace

class SpectrumAxisTest : public WindowFixture {};

TEST_F(SpectrumAxisTest, APlayedToneShowsAtItsOwnFrequency) {
    const QString path =
        writeToneWav(dir_.filePath(QStringLiteral("tone.wav")), 22050, 1000.0, 22050 * 3);
    TForm1 &w = openWindow();
    w.setCurrentFileName(path);
    w.Play1Click();
    ASSERT_TRUE(w.flgPlay);
    EXPECT_EQ(w.AudioVisualization1->SampleRate(), 22050);
    ASSERT_TRUE(waitUntil([&] { return !w.AudioVisualization1->isClear(); }, 2000));
    spin(300);  // a few ticks, so the picture holds the tone alone
    const double shown = loudestFrequency(*w.AudioVisualization1);
    EXPECT_GT(shown, 900.0);
    EXPECT_LT(shown, 1100.0);
    w.Stop1Click();
}

TEST_F(SpectrumAxisTest, RecordingGetsItsOwnRateBackAfterAPlayback) {
    const QString path =
        writeToneWav(dir_.filePath(QStringLiteral("tone.wav")), 22050, 1000.0, 22050 * 3);
    TForm1 &w = openWindow();
    answerMessageBoxes(QMessageBox::Ok);
    w.Record1Click();
    ASSERT_TRUE(w.flgRecord);
    const int recordingRate = w.AudioFile2->ArrayFrequency();
    ASSERT_NE(recordingRate, 22050);
    EXPECT_EQ(w.AudioVisualization1->SampleRate(), recordingRate);
    spin(300);

    // A playback while the recording is paused, then the recording resumes.
    w.PauseRecord();
    w.setCurrentFileName(path);
    w.StartPlay();
    ASSERT_TRUE(w.flgPlay);
    EXPECT_EQ(w.AudioVisualization1->SampleRate(), 22050);
    spin(200);
    w.StopPlay();
    w.StartRecord();
    ASSERT_TRUE(w.flgRecord);
    EXPECT_EQ(w.AudioVisualization1->SampleRate(), recordingRate);
    spin(200);

    // A playback during the recording has its own axis until it ends.
    w.StartPlay();
    ASSERT_TRUE(w.flgPlay);
    EXPECT_EQ(w.AudioVisualization1->SampleRate(), 22050);
    spin(200);
    w.StopPlay();
    EXPECT_EQ(w.AudioVisualization1->SampleRate(), recordingRate);
    w.Stop1Click();
}
