// Listening on the real sound server (a private headless server started by the test wrapper),
// with tones played into its null sink while the window records the sink's monitor: the
// pre-record buffer puts what played before Record in front of the live audio without a jump
// at the join, and voice start begins at the tone's first frame and pauses in silence.
#include "audio/audio_record2.h"
#include "recording/recording_session.h"
#include "settings/capture_settings.h"
#include "tests/support/test_settings.h"
#include "tests/support/window_fixture.h"
#include "widgets/nct_amp_bar2.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QProcess>

#include <cmath>

using testsupport::spin;
using testsupport::waitUntil;

namespace {

constexpr int kRate = 44100;
constexpr double kToneHz = 1000;

bool loud(const std::vector<int16_t> &samples, size_t frame) {
    return std::abs(samples[frame * 2]) > 4000;
}

// Stretches of the tone in a recording: from the first to the last loud frame of each run
// that no tenth of a second of quiet interrupts.
struct Stretch {
    size_t first = 0;
    size_t last = 0;
    double seconds() const { return double(last + 1 - first) / kRate; }
};

std::vector<Stretch> toneStretches(const std::vector<int16_t> &samples) {
    std::vector<Stretch> stretches;
    for (size_t f = 0; f < samples.size() / 2; ++f) {
        if (!loud(samples, f))
            continue;
        if (stretches.empty() || f - stretches.back().last > kRate / 10)
            stretches.push_back({f, f});
        stretches.back().last = f;
    }
    return stretches;
}

// The largest deviation from a sine's recurrence x[n] = 2 cos(w) x[n-1] - x[n-2] in frames
// [from, to) where the tone plays; a lost or repeated frame breaks it by thousands.
double worstJump(const std::vector<int16_t> &samples, size_t from, size_t to) {
    const double c = 2 * std::cos(2 * M_PI * kToneHz / kRate);
    double worst = 0;
    to = std::min(to, samples.size() / 2);
    for (size_t n = std::max<size_t>(from, 2); n < to; ++n) {
        const double x0 = samples[2 * n], x1 = samples[2 * (n - 1)], x2 = samples[2 * (n - 2)];
        if (std::abs(x0) + std::abs(x1) + std::abs(x2) < 3000)
            continue;  // no tone here
        worst = std::max(worst, std::abs(x0 - (c * x1 - x2)));
    }
    return worst;
}

}  // namespace

class PulseListeningTest : public WindowFixture {
protected:
    void SetUp() override {
        WindowFixture::SetUp();
        testCaptureSettings() = CaptureSettings();
    }
    void TearDown() override {
        player_.kill();
        player_.waitForFinished();
        WindowFixture::TearDown();
        testCaptureSettings() = CaptureSettings();
    }

    // Opens the window and waits until it listens to the sink's monitor.
    TForm1 &openListening(const QByteArray &capture) {
        writeIni("[options]\nsaveformat=.wav\n[tips]\nshowtip=0\n[capture]\n" + capture);
        TForm1 &w = openWindow();
        // The first connection is made in the background; the input opens once it is there.
        EXPECT_TRUE(waitUntil([&] { return w.DeviceComboIn->count() >= 1; }, 5000));
        return w;
    }

    void play(double seconds) {
        const QString tone = writeSineWav(dir_.filePath(QStringLiteral("tone%1.wav").arg(++tones_)),
                                          kToneHz, seconds);
        player_.start(QStringLiteral("paplay"),
                      {QStringLiteral("-d"), QStringLiteral("korvanta_test"), tone});
        ASSERT_TRUE(player_.waitForStarted());
    }
    bool waitForPlayerEnd() {
        return waitUntil([&] { return player_.state() == QProcess::NotRunning; }, 10000);
    }

    std::vector<int16_t> recorded() {
        int channels = 0, frequency = 0;
        auto samples =
            readAll(recordingDir() + QStringLiteral("Untitled1.wav"), &channels, &frequency);
        EXPECT_EQ(channels, 2);
        EXPECT_EQ(frequency, kRate);
        return samples;
    }

    QProcess player_;
    int tones_ = 0;
};

TEST_F(PulseListeningTest, PreRecordStartsTheFileWithWhatPlayedBeforeRecordAndJoinsSmoothly) {
    TForm1 &w = openListening("prerecord=2\n");
    // The stream may open again once the device list is in; then it fills the buffer.
    ASSERT_TRUE(waitUntil(
        [&] { return w.isListening() && w.AudioRecord1->nSamplesCurrent() > kRate * 3 / 2; },
        8000));
    play(4);
    ASSERT_TRUE(waitUntil([&] { return w.NCTAmpBar1->Value() > 4000; }, 3000))
        << "the tone shows in the level bars while stopped";
    spin(1000);
    const int64_t pressedAt = w.AudioRecord1->nSamplesCurrent();
    w.Record1Click();
    ASSERT_TRUE(w.flgRecord);
    // The live audio starts with the stream frame after the pre-roll's last.
    const int64_t liveFrom = w.AudioRecord1->framesDelivered();
    spin(1000);
    w.Stop1Click();

    const auto samples = recorded();
    const size_t join = static_cast<size_t>(liveFrom - std::max<int64_t>(0, pressedAt - 2 * kRate));
    ASSERT_GT(join, size_t(kRate * 3 / 2));
    ASSERT_GT(samples.size() / 2, join + kRate / 2);
    const std::vector<Stretch> tone = toneStretches(samples);
    ASSERT_EQ(tone.size(), 1u);
    // A second and more of the tone played before Record is in the file, and it runs on into
    // the live audio.
    EXPECT_LT(tone[0].first + kRate * 9 / 10, join);
    EXPECT_GT(tone[0].last, join + kRate / 2);
    EXPECT_LT(worstJump(samples, join - 2000, join + 2000), 200.0)
        << "a jump in the tone where the pre-roll meets the live audio";
    EXPECT_EQ(w.AudioRecord1->droppedFrames(), 0u);
    EXPECT_TRUE(waitUntil([&] { return w.isListening(); }, 2000)) << "listening after the stop";
}

TEST_F(PulseListeningTest, AToneAfterSilenceStartsTheRecordingAndSilencePausesIt) {
    TForm1 &w = openListening("voicestart=1\nvoicelevel=-30\nvoicepause=1\nvoicesilence=1\n");
    w.Record1Click();
    ASSERT_TRUE(w.isWaitingForSound());
    ASSERT_TRUE(waitUntil([&] { return w.isListening(); }, 5000));
    spin(700);
    EXPECT_FALSE(w.flgRecord) << "the silence of the sink starts nothing";
    EXPECT_TRUE(recordedFilesOnDisk().isEmpty());

    play(1.5);
    ASSERT_TRUE(waitUntil([&] { return w.flgRecord; }, 3000));
    RecordProperty("voiceStartDelayMs", w.lastVoiceStartDelayMs());
    ASSERT_TRUE(waitForPlayerEnd());
    QElapsedTimer quiet;
    quiet.start();
    ASSERT_TRUE(waitUntil(
        [&] { return w.recordingSession().state() == RecordingSession::State::Held; }, 4000));
    // One second of silence, measured from the player's end, which comes a little after the
    // last sound left the server.
    EXPECT_GT(quiet.elapsed(), 500);
    EXPECT_LT(quiet.elapsed(), 2000);
    EXPECT_EQ(w.statusPanel(0), QStringLiteral("Waiting for sound"));

    play(1);
    ASSERT_TRUE(waitUntil(
        [&] { return w.recordingSession().state() == RecordingSession::State::Recording; }, 3000));
    ASSERT_TRUE(waitForPlayerEnd());
    spin(300);
    w.Stop1Click();

    // Both tones whole, the first from the file's first frames on, with about the second of
    // silence that made the pause between them.
    const auto samples = recorded();
    const std::vector<Stretch> tone = toneStretches(samples);
    ASSERT_EQ(tone.size(), 2u);
    EXPECT_LE(tone[0].first, 40u) << "the recording starts at the tone's first loud frame";
    // PulseAudio's null-sink monitor may lose up to a capture fragment (40 ms) of a new
    // stream's onset when the sink rewinds for it; nothing may be lost after the onset.
    EXPECT_NEAR(tone[0].seconds(), 1.5 - 0.015, 0.035);
    EXPECT_NEAR(tone[1].seconds(), 1.0 - 0.015, 0.035);
    EXPECT_NEAR(double(tone[1].first - tone[0].last) / kRate, 1.0, 0.25);
    // The server may cut a stream's first milliseconds (its monitor shows what the sink
    // played before it rewound for the new stream), so the tones' onsets are no measure; the
    // resume's join lies inside the second tone.
    for (const Stretch &s : tone)
        EXPECT_LT(worstJump(samples, s.first + 441, s.last - 441), 200.0);
}
