// Playback through the whole window on the virtual card, checked against what the card
// "heard" (KORVANTA_VIRTUAL_SINK), plus the list's rename and delete commands.
#include "audio/audio_file2.h"
#include "files/rename_form.h"
#include "playback/playback_session.h"
#include "tests/support/test_settings.h"
#include "tests/support/window_fixture.h"
#include "widgets/audio_visualization2.h"
#include "widgets/nct_slider_b2.h"
#include "widgets/nct_time_display2.h"

#include <QAction>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>

#include <cmath>
#include <cstdlib>

using testsupport::spin;
using testsupport::waitUntil;

class PlaybackTest : public WindowFixture {
protected:
    void SetUp() override {
        WindowFixture::SetUp();
        sinkPath_ = dir_.filePath(QStringLiteral("heard.wav"));
        setenv("KORVANTA_VIRTUAL_SINK", QFile::encodeName(sinkPath_).constData(), 1);
    }
    void TearDown() override {
        unsetenv("KORVANTA_VIRTUAL_SINK");
        WindowFixture::TearDown();
    }

    std::vector<int16_t> heard() {
        int channels = 0, frequency = 0;
        return readAll(sinkPath_, &channels, &frequency);
    }

    void play(TForm1 &w, const QString &path) {
        w.setCurrentFileName(path);
        w.Play1Click();
    }

    QString sinkPath_;
};

TEST_F(PlaybackTest, AFilePlayedToTheEndArrivesSampleForSample) {
    const QString path = writeRampWav(dir_.filePath(QStringLiteral("ramp.wav")), 44100, 2, 30000);
    TForm1 &w = openWindow();
    play(w, path);
    ASSERT_TRUE(w.flgPlay);
    ASSERT_TRUE(waitUntil([&] { return !w.flgPlay; }, 3000));
    int channels = 0, frequency = 0;
    EXPECT_EQ(heard(), readAll(path, &channels, &frequency));
    EXPECT_EQ(w.NCTSliderB1->Value(), 0);
    EXPECT_EQ(w.NCTTimeDisplay1->Milliseconds(), 0);
    EXPECT_EQ(w.statusPanel(0), QStringLiteral("Stop"));
}

TEST_F(PlaybackTest, PauseAndResumeLoseAndRepeatNothing) {
    const QString path = writeRampWav(dir_.filePath(QStringLiteral("ramp.wav")), 44100, 2, 44100);
    TForm1 &w = openWindow();
    play(w, path);
    spin(300);
    w.Pause1Click();
    spin(300);
    w.Play1Click();
    ASSERT_TRUE(waitUntil([&] { return !w.flgPlay; }, 3000));
    int channels = 0, frequency = 0;
    EXPECT_EQ(heard(), readAll(path, &channels, &frequency));
}

TEST_F(PlaybackTest, ReleasingTheSliderRestartsAtTheNewPosition) {
    const int frames = 88200;
    const QString path = writeRampWav(dir_.filePath(QStringLiteral("ramp.wav")), 44100, 2, frames);
    TForm1 &w = openWindow();
    play(w, path);
    spin(250);
    w.NCTSliderB1MouseDown();
    w.NCTSliderB1->setValue(750);
    w.NCTSliderB1MouseUp();
    EXPECT_EQ(w.playbackSession().StartSamples(), frames * 3 / 4);
    ASSERT_TRUE(waitUntil([&] { return !w.flgPlay; }, 3000));
    int channels = 0, frequency = 0;
    const auto all = readAll(path, &channels, &frequency);
    const auto got = heard();
    const size_t tail = all.size() / 4;
    ASSERT_GE(got.size(), tail);
    EXPECT_TRUE(std::equal(all.end() - tail, all.end(), got.end() - tail));
    EXPECT_LT(got.size(), all.size() / 2);  // the middle was skipped
}

TEST_F(PlaybackTest, PressingTheSliderDuringAPauseEndsThePlayback) {
    const int frames = 88200;
    const QString path = writeRampWav(dir_.filePath(QStringLiteral("ramp.wav")), 44100, 2, frames);
    TForm1 &w = openWindow();
    play(w, path);
    spin(250);
    w.Pause1Click();
    w.NCTSliderB1MouseDown();
    EXPECT_FALSE(w.flgPlay);
    EXPECT_FALSE(w.flgPause);
    EXPECT_EQ(w.statusPanel(0), QStringLiteral("Stop"));  // not a "Pause" of nothing
    w.NCTSliderB1->setValue(500);
    w.NCTSliderB1MouseUp();
    EXPECT_FALSE(w.SliderBusy);
    w.Play1Click();  // a fresh start at the slider's position
    EXPECT_EQ(w.playbackSession().StartSamples(), frames / 2);
    w.Stop1Click();
}

TEST_F(PlaybackTest, PlayDoesNothingWhilePlayingAndRefusesMissingOrEmptyFiles) {
    const QString path = writeRampWav(dir_.filePath(QStringLiteral("ramp.wav")), 44100, 2, 44100);
    const QString empty = writeRampWav(dir_.filePath(QStringLiteral("empty.wav")), 44100, 2, 0);
    TForm1 &w = openWindow();
    play(w, path);
    spin(200);
    const int before = w.playbackSession().StartSamples();
    play(w, empty);  // guard: the running playback goes on
    EXPECT_TRUE(w.flgPlay);
    EXPECT_EQ(w.playbackSession().StartSamples(), before);
    w.Stop1Click();

    play(w, empty);
    EXPECT_FALSE(w.flgPlay);
    EXPECT_EQ(w.statusPanel(0), QStringLiteral("Stop"));
    play(w, dir_.filePath(QStringLiteral("missing.wav")));
    EXPECT_FALSE(w.flgPlay);
}

TEST_F(PlaybackTest, OtherRatesAndChannelsPlayAtTheirOwnSpeed) {
    const QString path = writeRampWav(dir_.filePath(QStringLiteral("slow.wav")), 22050, 1, 22050);
    TForm1 &w = openWindow();
    QElapsedTimer clock;
    clock.start();
    play(w, path);
    ASSERT_TRUE(waitUntil([&] { return !w.flgPlay; }, 3000));
    EXPECT_NEAR(clock.elapsed(), 1000, 250);
    int channels = 0, frequency = 0;
    const auto got = readAll(sinkPath_, &channels, &frequency);
    EXPECT_EQ(frequency, 22050);
    EXPECT_EQ(channels, 1);
    EXPECT_EQ(got.size(), 22050u);
}

TEST_F(PlaybackTest, CompressedRecordingsPlayAtTheRightPitchAndLength) {
    for (const char *format : {".mp3", ".wma"}) {
        SCOPED_TRACE(format);
        writeIni(QByteArray("[options]\nsaveformat=") + format + "\ntimelimit=1\n");
        testRecordingSettings() = RecordingSettings();
        TForm1 &w = openWindow();
        w.Record1Click();
        ASSERT_TRUE(waitUntil([&] { return !w.flgRecord; }, 3000));
        int channels = 0, frequency = 0;
        const size_t heardBefore = readAll(sinkPath_, &channels, &frequency).size();
        w.Play1Click();  // the current file is the recording just finished
        ASSERT_TRUE(waitUntil([&] { return !w.flgPlay; }, 4000));
        auto got = readAll(sinkPath_, &channels, &frequency);
        got.erase(got.begin(), got.begin() + static_cast<std::ptrdiff_t>(heardBefore));
        ASSERT_EQ(channels, 2);
        EXPECT_NEAR(got.size() / 2.0 / frequency, 1.0, 0.15);
        // Periods of the left channel (the card's 440 Hz tone) over its loud span, counted
        // with hysteresis so the codecs' near-silent lead-in and tail add no crossings.
        int periods = 0;
        size_t first = 0, last = 0;
        bool low = false;
        for (size_t i = 0; i < got.size(); i += 2) {
            if (got[i] < -4000) {
                low = true;
            } else if (low && got[i] > 4000) {
                low = false;
                if (periods++ == 0)
                    first = i;
                last = i;
            }
        }
        const double seconds = double(last - first) / 2 / frequency;
        ASSERT_GT(seconds, 0.5);
        EXPECT_NEAR((periods - 1) / seconds, 440.0, 15.0);
        window_.reset();
        QFile::remove(recordingDir() + QStringLiteral("Untitled1") + QLatin1String(format));
    }
}

TEST_F(PlaybackTest, VisualisationSettingsTakeEffectAtOnce) {
    TForm1 &w = openWindow();
    w.ComboBox1->setCurrentIndex(2);
    w.ComboBox1Click();
    EXPECT_EQ(w.AudioVisualization1->WindowArraySize(), 4096);
    w.ComboBox2->setCurrentIndex(2);
    w.ComboBox2Click();
    EXPECT_EQ(static_cast<int>(w.AudioVisualization1->WindowFFTType()), 2);
}

TEST_F(PlaybackTest, RenameKeepsTheExtensionAndNeverOverwrites) {
    writeIni("[options]\nsaveformat=.wav\ntimelimit=1\n");
    TForm1 &w = openWindow();
    TRenameForm renameForm(&w);
    w.setRenameForm(&renameForm);
    ASSERT_TRUE(QDir().mkpath(recordingDir()));
    writeRampWav(recordingDir() + QStringLiteral("taken.wav"), 8000, 1, 100);
    w.Record1Click();
    ASSERT_TRUE(waitUntil([&] { return !w.flgRecord; }, 3000));
    w.ListView1()->setCurrentItem(w.ListView1()->topLevelItem(0));

    answerMessageBoxes(QMessageBox::Ok);
    QTimer::singleShot(50, [&] {
        renameForm.Edit1->setText(QStringLiteral("taken.mp3"));  // exists as taken.wav
        renameForm.BtnOKClick();
        renameForm.Edit1->setText(QStringLiteral("take2.mp3"));
        renameForm.BtnOKClick();
    });
    w.Rename1Click();
    EXPECT_EQ(messages_.size(), 1);
    EXPECT_EQ(listedFiles(), QStringList{QStringLiteral("take2.wav")});
    EXPECT_TRUE(QFile::exists(recordingDir() + QStringLiteral("take2.wav")));
    EXPECT_TRUE(QFile::exists(recordingDir() + QStringLiteral("taken.wav")));
    EXPECT_EQ(w.SelectFileName(), recordingDir() + QStringLiteral("take2.wav"));
    EXPECT_EQ(renameForm.Edit1->text(), QStringLiteral("take2.mp3"));  // kept for next time
}

TEST_F(PlaybackTest, DeleteFromDiskAsksFirst) {
    writeIni("[options]\nsaveformat=.wav\ntimelimit=1\n");
    TForm1 &w = openWindow();
    w.Record1Click();
    ASSERT_TRUE(waitUntil([&] { return !w.flgRecord; }, 3000));
    const QString file = recordingDir() + QStringLiteral("Untitled1.wav");
    w.ListView1()->setCurrentItem(w.ListView1()->topLevelItem(0));
    EXPECT_TRUE(w.Delete1()->isEnabled());

    answerMessageBoxes(QMessageBox::No);
    w.Delete1Click();
    EXPECT_TRUE(QFile::exists(file));
    EXPECT_EQ(listedFiles().size(), 1);

    answerMessageBoxes(QMessageBox::Yes);
    w.Delete1Click();
    EXPECT_FALSE(QFile::exists(file));
    EXPECT_TRUE(listedFiles().isEmpty());
    EXPECT_TRUE(w.SelectFileName().isEmpty());
    EXPECT_FALSE(w.Play2()->isEnabled());
}
