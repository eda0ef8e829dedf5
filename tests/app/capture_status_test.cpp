// The capture report in the whole window, on the virtual card: time left on the disk from a
// made-up free-space figure, the low-space warning once per recording, the gap count in the
// status bar and the summary after the stop (a loss the card reports, and frames the
// recorder's own ring could not take), and the clip marks with the exact clipped count.
#include "app/capture_status.h"
#include "app/status_panel.h"
#include "audio/audio_record2.h"
#include "audio/devices/virtual_backend.h"
#include "recording/recording_session.h"
#include "tests/support/test_settings.h"
#include "tests/support/window_fixture.h"
#include "widgets/nct_amp_bar2.h"

#include <QElapsedTimer>
#include <QStatusBar>

#include <atomic>
#include <memory>

using testsupport::spin;
using testsupport::waitUntil;

namespace {

constexpr QByteArrayView kWavIni = "[options]\nsaveformat=.wav\n";

class EnvGuard {
public:
    EnvGuard(const char *name, const QByteArray &value) : name_(name) { qputenv(name, value); }
    ~EnvGuard() { qunsetenv(name_); }

private:
    const char *name_;
};

// The virtual card, except that its capture streams deliver only what the test hands them,
// on the test's thread: so the window's thread can be kept from draining while more than the
// recorder's ring holds comes in.
class HandFedCard : public VirtualBackend {
public:
    std::unique_ptr<AudioStream> openCapture(int, const StreamFormat &, CaptureSink *sink,
                                             QString *) override {
        sink_ = sink;
        return std::make_unique<AudioStream>();
    }

    // Offers stereo frames [from, to) of a pattern that tells each frame's number.
    void offer(int64_t from, int64_t to) {
        std::vector<int16_t> chunk;
        for (int64_t at = from; at < to; at += kChunk) {
            const int64_t end = std::min(to, at + kChunk);
            chunk.clear();
            for (int64_t f = at; f < end; ++f) {
                chunk.push_back(patternSample(f));
                chunk.push_back(static_cast<int16_t>(-patternSample(f)));
            }
            sink_->captured(chunk.data(), static_cast<int>(end - at));
        }
    }
    static int16_t patternSample(int64_t frame) { return static_cast<int16_t>(frame % 20011); }
    bool open() const { return sink_ != nullptr; }

private:
    static constexpr int64_t kChunk = 441;
    CaptureSink *sink_ = nullptr;
};

QString captureText(TForm1 &w) {
    const auto *panel =
        w.statusBar()->findChild<StatusPanel *>(QStringLiteral("CaptureStatusPanel"));
    return panel ? panel->fullText() : QStringLiteral("(no panel)");
}

int lowSpaceWarnings(TForm1 &w) {
    return static_cast<int>(
        w.findChildren<QMessageBox *>(QStringLiteral("LowDiskSpaceWarning")).size());
}

}  // namespace

class CaptureStatusTest : public WindowFixture {
protected:
    // Every later measurement reports `bytes` free.
    void pretendFree(TForm1 &w, int64_t bytes) {
        *free_ = bytes;
        w.captureStatus().probe().setQuery(
            [free = free_](const QString &) -> int64_t { return free->load(); });
        w.SetFormat();
    }

    // Shared with the worker that asks, which may outlive the test.
    std::shared_ptr<std::atomic<int64_t>> free_ = std::make_shared<std::atomic<int64_t>>(0);
};

TEST_F(CaptureStatusTest, IdleTimeLeftFollowsTheFreeSpaceAndTheFormat) {
    TForm1 &w = openWindow();  // MP3 at 128 kbps: 16000 bytes a second
    const QStringList panels{w.statusPanel(0), w.statusPanel(1), w.statusPanel(2)};
    pretendFree(w, int64_t(16000) * (3 * 3600 + 12 * 60 + 30));
    EXPECT_TRUE(waitUntil([&] { return captureText(w) == QStringLiteral("3 h 12 min left"); }))
        << captureText(w).toStdString();

    // At the window's first size the panel has the room for its whole text, once measured.
    const auto *panel =
        w.statusBar()->findChild<StatusPanel *>(QStringLiteral("CaptureStatusPanel"));
    EXPECT_TRUE(waitUntil([&] { return panel->text() == panel->fullText(); }))
        << panel->text().toStdString();
    // The report has a panel of its own: the three panels keep their texts.
    EXPECT_EQ((QStringList{w.statusPanel(0), w.statusPanel(1), w.statusPanel(2)}), panels);

    RecordingSettings &s = testRecordingSettings();
    s.ext = QStringLiteral(".wav");  // 44100 Hz stereo 16-bit: 176400 bytes a second
    w.SetFormat();
    EXPECT_TRUE(waitUntil([&] { return captureText(w) == QStringLiteral("17 min left"); }))
        << captureText(w).toStdString();

    pretendFree(w, 100000);
    EXPECT_TRUE(waitUntil([&] { return captureText(w) == QStringLiteral("< 1 min left"); }));
    pretendFree(w, -1);  // the disk cannot be asked
    EXPECT_TRUE(waitUntil([&] { return captureText(w).isEmpty(); }));
}

TEST_F(CaptureStatusTest, LessThanFiveMinutesWarnsOncePerRecordingWithoutStoppingIt) {
    TForm1 &w = openWindow();
    pretendFree(w, int64_t(16000) * 4 * 60 + 8000);  // 4 min 0.5 s at MP3 128 kbps
    ASSERT_TRUE(waitUntil([&] { return captureText(w) == QStringLiteral("4 min left"); }));
    EXPECT_EQ(lowSpaceWarnings(w), 0) << "no warning while idle";

    w.Record1Click();
    ASSERT_TRUE(w.flgRecord);
    ASSERT_TRUE(waitUntil([&] { return lowSpaceWarnings(w) == 1; }));
    auto *box = w.findChild<QMessageBox *>(QStringLiteral("LowDiskSpaceWarning"));
    EXPECT_FALSE(box->isModal()) << "Stop must stay within reach";
    EXPECT_TRUE(box->text().contains(QStringLiteral("4 min left"))) << box->text().toStdString();
    spin(2500);  // refreshed twice more: still one warning, and the recording goes on
    EXPECT_EQ(lowSpaceWarnings(w), 1);
    EXPECT_TRUE(w.flgRecord);
    w.Stop1Click();
    box->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_EQ(lowSpaceWarnings(w), 0);

    // The next recording is warned again; one with room enough is not.
    w.Record1Click();
    EXPECT_TRUE(waitUntil([&] { return lowSpaceWarnings(w) == 1; }));
    w.Stop1Click();
    w.findChild<QMessageBox *>(QStringLiteral("LowDiskSpaceWarning"))->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    // Free space only shrinks on a real disk; here it grew, so an answer still on its way from
    // before would speak of less room than there is. The take starts once the new room shows.
    pretendFree(w, int64_t(16000) * 5 * 60);
    ASSERT_TRUE(waitUntil([&] { return captureText(w) == QStringLiteral("5 min left"); }));
    w.Record1Click();
    spin(1500);
    EXPECT_EQ(lowSpaceWarnings(w), 0);
    EXPECT_EQ(captureText(w), QStringLiteral("5 min left"));
    w.Stop1Click();
}

TEST_F(CaptureStatusTest, AnInjectedDropIsCountedInTheStatusBarAndSummedUpAfterTheStop) {
    const EnvGuard drop("KORVANTA_VIRTUAL_DROP", "400:100");
    TForm1 &w = openWindow();
    pretendFree(w, int64_t(1) << 40);
    answerMessageBoxes(QMessageBox::Ok);
    w.Record1Click();
    ASSERT_TRUE(w.flgRecord);
    ASSERT_TRUE(waitUntil([&] { return captureText(w).startsWith(QStringLiteral("1 gap ")); }))
        << captureText(w).toStdString();
    // Counted while it lasts, and whole once over: 100 ms at 44.1 kHz.
    EXPECT_TRUE(waitUntil([&] { return w.captureStatus().gaps().frames == 4410; }))
        << w.captureStatus().gaps().frames;
    EXPECT_EQ(w.captureStatus().gaps().count, 1);
    spin(300);
    w.Stop1Click();
    ASSERT_TRUE(waitUntil([&] { return !messages_.isEmpty(); }));
    EXPECT_EQ(messages_,
              QStringList{QStringLiteral("1 gap in the recording at 0:00.40, 0.10 s long: the "
                                         "sound was lost there.")});
    EXPECT_FALSE(captureText(w).contains(QStringLiteral("gap"))) << "the count goes with the take";

    // A clean recording afterwards reports nothing.
    qunsetenv("KORVANTA_VIRTUAL_DROP");
    messages_.clear();
    w.Record1Click();
    spin(700);
    w.Stop1Click();
    spin(200);
    EXPECT_TRUE(messages_.isEmpty()) << messages_.join(u'|').toStdString();
}

// Each gap is named at its place on the recording's clock, with its length; a pause between
// them does not move the later one off the clock.
TEST_F(CaptureStatusTest, TheStopNamesEveryGapAtItsPlaceOnTheClock) {
    const EnvGuard drop("KORVANTA_VIRTUAL_DROP", "300:100,900:50");
    TForm1 &w = openWindow();
    pretendFree(w, int64_t(1) << 40);
    answerMessageBoxes(QMessageBox::Ok);
    w.Record1Click();
    ASSERT_TRUE(w.flgRecord);
    ASSERT_TRUE(waitUntil([&] { return w.captureStatus().gaps().frames == 4410; }));
    w.Pause1Click();
    ASSERT_TRUE(w.flgPauseRecord);
    const int pausedAt = w.recordingSession().StartSamples();  // frames
    ASSERT_LT(pausedAt, 44100 * 9 / 10);
    // The stream starts afresh at the resume: its second drop comes 900 ms into it.
    w.Record1Click();
    ASSERT_TRUE(waitUntil([&] { return w.captureStatus().gaps().frames == 4410 * 5 / 2; }, 5000));
    EXPECT_EQ(w.captureStatus().gaps().count, 3);
    w.Stop1Click();
    ASSERT_TRUE(waitUntil([&] { return !messages_.isEmpty(); }));
    const auto place = [](int ms) {
        return QStringLiteral("0:%1").arg(QLocale().toString(ms / 1000.0, 'f', 2), 5,
                                          QLatin1Char('0'));
    };
    EXPECT_EQ(
        messages_.join(u'|').toStdString(),
        QStringList{QStringLiteral("3 gaps in the recording, 0.25 s in total: the sound "
                                   "was lost at %1 (0.10 s), %2 (0.10 s), %3 (0.05 s).")
                        .arg(place(300), place(w.AudioRecord1->SamplesToSec(pausedAt + 13230)),
                             place(w.AudioRecord1->SamplesToSec(pausedAt + 39690)))}
            .join(u'|')
            .toStdString());
}

TEST_F(CaptureStatusTest, FullScaleLightsTheClipMarksAndTheStopCountsEveryClippedSample) {
    const EnvGuard gain("KORVANTA_VIRTUAL_GAIN", "2");
    writeIni(QByteArray(kWavIni.data(), kWavIni.size()));
    TForm1 &w = openWindow();
    answerMessageBoxes(QMessageBox::Ok);
    w.Record1Click();
    ASSERT_TRUE(w.flgRecord);
    ASSERT_TRUE(waitUntil([&] { return w.NCTAmpBar1->clipLit() && w.NCTAmpBar2->clipLit(); }));
    spin(700);
    w.Stop1Click();
    QElapsedTimer sinceStop;
    sinceStop.start();
    EXPECT_TRUE(w.NCTAmpBar1->clipLit()) << "held past the stop";

    // Every sample of the file, as the card made it: count those at full scale.
    const int frames = w.mSamples;
    ASSERT_GT(frames, 44100 / 2);
    int64_t clipped = 0;
    for (int f = 0; f < frames; ++f) {
        for (int ch = 0; ch < 2; ++ch) {
            const int16_t s = VirtualBackend::toneSample(ch, 2, f, 44100, 2.0);
            clipped += s >= 32767 || s <= -32767;
        }
    }
    ASSERT_TRUE(waitUntil([&] { return !messages_.isEmpty(); }));
    EXPECT_EQ(
        messages_,
        QStringList{QStringLiteral("%1 samples reached full scale and are clipped.").arg(clipped)});

    EXPECT_TRUE(
        waitUntil([&] { return !w.NCTAmpBar1->clipLit() && !w.NCTAmpBar2->clipLit(); }, 4000));
    EXPECT_GE(sinceStop.elapsed(), TNCTAmpBar2::kClipHoldMs - 300);
}

// The window's thread stalls for longer than the recorder's 30-second ring lasts: the frames
// that did not fit are one gap of exactly their length, the file goes on with the frame after
// them, and the stop says so.
TEST_F(CaptureStatusTest, FramesTheRingCouldNotTakeAreOneGapOfTheirLengthInTheStopMessage) {
    writeIni(QByteArray(kWavIni.data(), kWavIni.size()));
    HandFedCard card;
    TForm1 &w = openWindow(card);
    pretendFree(w, int64_t(1) << 40);
    answerMessageBoxes(QMessageBox::Ok);
    w.Record1Click();
    ASSERT_TRUE(w.flgRecord);
    ASSERT_TRUE(card.open());

    // No event is handled meanwhile: 30 s fill the ring, the next 1.5 s are lost.
    constexpr int64_t kRing = 30 * 44100;
    constexpr int64_t kLost = 44100 * 3 / 2;
    card.offer(0, kRing + kLost);
    EXPECT_EQ(w.AudioRecord1->droppedFrames(), uint64_t(kLost));
    spin(100);
    card.offer(kRing + kLost, kRing + kLost + 44100 / 2);
    spin(300);
    EXPECT_EQ(w.captureStatus().gaps().count, 1);
    EXPECT_EQ(w.captureStatus().gaps().frames, kLost);
    w.Stop1Click();
    ASSERT_TRUE(waitUntil([&] { return !messages_.isEmpty(); }));
    EXPECT_EQ(messages_,
              QStringList{QStringLiteral("1 gap in the recording at 0:30.00, 1.50 s long: the "
                                         "sound was lost there.")});

    int channels = 0, frequency = 0;
    const auto samples =
        readAll(recordingDir() + QStringLiteral("Untitled1.wav"), &channels, &frequency);
    ASSERT_EQ(channels, 2);
    ASSERT_EQ(samples.size(), size_t(kRing + 44100 / 2) * 2);
    long wrong = -1;
    for (size_t f = 0; f < samples.size() / 2 && wrong < 0; ++f) {
        const int64_t offered = int64_t(f) < kRing ? int64_t(f) : int64_t(f) + kLost;
        if (samples[2 * f] != HandFedCard::patternSample(offered) ||
            samples[2 * f + 1] != -HandFedCard::patternSample(offered))
            wrong = static_cast<long>(f);
    }
    EXPECT_EQ(wrong, -1) << "first frame that is not the one offered there";
}
