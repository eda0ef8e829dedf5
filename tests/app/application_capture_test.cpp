// Recording one application on the virtual sound card: its fake applications are listed
// after the devices while they play, recording one gives its tone alone, and a recording
// goes on with silence (and says so) while the application is stopped.
#include "audio/audio_record2.h"
#include "audio/devices/virtual_backend.h"
#include "mixer/source_panels.h"
#include "tests/support/test_settings.h"
#include "tests/support/window_fixture.h"

#include <QComboBox>

#include <cmath>
#include <functional>

using testsupport::spin;
using testsupport::waitUntil;

namespace {

const QString kMicrophone = QStringLiteral("Virtual Microphone");
const QString kEntryA = QStringLiteral("Tone Generator A (application)");
const QString kEntryB = QStringLiteral("Tone Generator B (application)");

QStringList entries(const QComboBox *combo) {
    QStringList names;
    for (int i = 0; i < combo->count(); ++i)
        names << combo->itemText(i);
    return names;
}

// Energy of `hz` in the first channel of frames [from, from + count) (Goertzel).
double toneEnergy(const std::vector<int16_t> &samples, int channels, int rate, double hz,
                  size_t from, size_t count) {
    const double coefficient = 2 * std::cos(2 * M_PI * hz / rate);
    double s1 = 0, s2 = 0;
    for (size_t i = from; i < from + count && i * channels < samples.size(); ++i) {
        const double s0 = samples[i * channels] + coefficient * s1 - s2;
        s2 = s1;
        s1 = s0;
    }
    return s1 * s1 + s2 * s2 - coefficient * s1 * s2;
}

// How far B's tone lies below A's in a stretch, in dB.
double separationDb(const std::vector<int16_t> &samples, int channels, int rate, size_t from,
                    size_t count) {
    const double a = toneEnergy(samples, channels, rate, 300, from, count);
    const double b = toneEnergy(samples, channels, rate, 2000, from, count);
    return 10 * std::log10(a / std::max(b, 1e-9));
}

// The longest run of frames that are all exactly zero.
size_t longestSilence(const std::vector<int16_t> &samples) {
    size_t longest = 0, run = 0;
    for (int16_t s : samples) {
        run = s == 0 ? run + 1 : 0;
        longest = std::max(longest, run);
    }
    return longest;
}

// The frequency of the first channel over frames [from, from + count), by its sign changes
// (a sample of exactly zero belongs to neither side).
double zeroCrossingHz(const std::vector<int16_t> &samples, int channels, int rate, size_t from,
                      size_t count) {
    int changes = 0, sign = 0;
    for (size_t i = from; i < from + count && i * channels < samples.size(); ++i) {
        const int16_t s = samples[i * channels];
        const int now = s > 0 ? 1 : s < 0 ? -1 : 0;
        if (now != 0 && sign != 0 && now != sign)
            ++changes;
        if (now != 0)
            sign = now;
    }
    return changes / 2.0 * rate / static_cast<double>(count);
}

}  // namespace

class ApplicationCapture : public WindowFixture {
protected:
    TForm1 &open() {
        writeIni("[options]\nsaveformat=.wav\n[tips]\nshowtip=0\n");
        window_ = std::make_unique<TForm1>(card_, testRecordingSettings(), testCaptureSettings());
        window_->TimerTip->stop();
        window_->show();
        QCoreApplication::processEvents();
        showMixerTabs(*window_);
        return *window_;
    }

    void choose(const QString &name) {
        QComboBox *combo = window_->DeviceComboIn;
        ASSERT_GE(combo->findText(name), 0) << qPrintable(name);
        combo->setCurrentIndex(combo->findText(name));
        Q_EMIT combo->activated(combo->currentIndex());
    }

    // Records the chosen input until `seconds` are in, with `during` run once half of them
    // are; returns the file's first channel and its rate.
    std::vector<int16_t> record(double seconds, const std::function<void()> &during, int *channels,
                                int *rate) {
        TForm1 &w = *window_;
        w.Record1Click();
        EXPECT_TRUE(w.flgRecord);
        const auto frames = [&w] { return w.AudioRecord1->framesDelivered(); };
        const auto half = static_cast<int64_t>(44100 * seconds / 2);  // the .wav format's rate
        EXPECT_TRUE(waitUntil([&] { return frames() >= half; }, 5000));
        if (during)
            during();
        const int64_t from = frames();
        EXPECT_TRUE(waitUntil([&] { return frames() >= from + half; }, 5000));
        const QString path = w.currentFileName();
        w.StopRecord();
        return readAll(path, channels, rate);
    }

    VirtualBackend card_;
};

TEST_F(ApplicationCapture, PlayingApplicationsAreListedAfterTheDevicesWithoutMixerLines) {
    TForm1 &w = open();
    // Nothing playing: the list is the devices alone.
    EXPECT_EQ(entries(w.DeviceComboIn), QStringList{kMicrophone});

    card_.setApplicationPlaying(0, true);
    card_.setApplicationPlaying(1, true);
    ASSERT_TRUE(waitUntil([&] { return w.DeviceComboIn->count() == 3; }, 500));
    EXPECT_EQ(entries(w.DeviceComboIn), (QStringList{kMicrophone, kEntryA, kEntryB}));
    EXPECT_EQ(w.DeviceComboIn->currentText(), kMicrophone);  // nothing moved the choice

    // An application has no lines of its own to show.
    choose(kEntryB);
    EXPECT_EQ(w.AudioRecord1->devInput(), kFirstApplicationDevice + 1);
    EXPECT_EQ(w.AudioRecord1->devInputName(), kEntryB);
    EXPECT_TRUE(SourcePanelsOf(w.TabSheet3).isEmpty());

    // A device plugged in later still comes before the applications.
    card_.plugDevice(Direction::Input, QStringLiteral("USB Headset"));
    ASSERT_TRUE(waitUntil([&] { return w.DeviceComboIn->count() == 4; }, 500));
    EXPECT_EQ(entries(w.DeviceComboIn),
              (QStringList{kMicrophone, QStringLiteral("USB Headset"), kEntryA, kEntryB}));
    EXPECT_EQ(w.DeviceComboIn->currentText(), kEntryB);

    // The chosen application stops while idle: like an unplugged device, its entry goes.
    card_.setApplicationPlaying(1, false);
    ASSERT_TRUE(waitUntil([&] { return w.DeviceComboIn->count() == 3; }, 500));
    EXPECT_EQ(w.DeviceComboIn->currentText(), kMicrophone);
    EXPECT_EQ(w.AudioRecord1->devInput(), 0);
    EXPECT_EQ(w.statusPanel(1), QStringLiteral("The input device \"%1\" was removed; using \"%2\".")
                                    .arg(kEntryB, kMicrophone));
    EXPECT_EQ(SourcePanelsOf(w.TabSheet3).size(), 3);

    // Playing again, it is back under the same number.
    card_.setApplicationPlaying(1, true);
    ASSERT_TRUE(waitUntil([&] { return w.DeviceComboIn->count() == 4; }, 500));
    EXPECT_EQ(w.DeviceComboIn->itemData(3).toInt(), kFirstApplicationDevice + 1);

    // Gone with the server, back with it.
    card_.setUnavailable(QStringLiteral("No sound server."));
    ASSERT_TRUE(waitUntil([&] { return w.DeviceComboIn->count() == 0; }, 500));
    card_.setUnavailable(QString());
    ASSERT_TRUE(waitUntil([&] { return w.DeviceComboIn->count() == 4; }, 500));
}

TEST_F(ApplicationCapture, RecordingOneApplicationKeepsItsToneAloneAndGoesOnThroughAStop) {
    TForm1 &w = open();
    card_.setApplicationPlaying(0, true);
    card_.setApplicationPlaying(1, true);
    ASSERT_TRUE(waitUntil([&] { return w.DeviceComboIn->count() == 3; }, 500));
    choose(kEntryA);

    w.Record1Click();
    ASSERT_TRUE(w.flgRecord);
    spin(1200);
    // Moved to another output, it is still what is recorded.
    card_.moveApplication(0, 1);
    spin(300);
    card_.setApplicationPlaying(0, false);
    const QString stopped = QStringLiteral("Tone Generator A stopped playing; recording silence.");
    ASSERT_TRUE(waitUntil([&] { return w.statusPanel(1) == stopped; }, 500));
    // The entry being recorded stays listed while the recording goes on.
    EXPECT_EQ(w.DeviceComboIn->currentText(), kEntryA);
    EXPECT_TRUE(w.flgRecord);
    spin(1000);
    card_.setApplicationPlaying(0, true);
    ASSERT_TRUE(waitUntil(
        [&] { return w.statusPanel(1) == QStringLiteral("Tone Generator A is playing again."); },
        500));
    spin(1000);
    const QString path = w.currentFileName();
    w.StopRecord();

    int channels = 0, rate = 0;
    const std::vector<int16_t> samples = readAll(path, &channels, &rate);
    ASSERT_GT(rate, 0);
    const size_t frames = samples.size() / channels;
    // The clock went on through the stop: about 3.5 s of file.
    EXPECT_GT(frames, static_cast<size_t>(rate) * 33 / 10);

    // Before the stop, and after the start again: A's 300 Hz, B's 2000 Hz far below.
    const size_t window = static_cast<size_t>(rate) / 2;
    const double before = separationDb(samples, channels, rate, rate / 5, window);
    const double after = separationDb(samples, channels, rate, frames - window - rate / 10, window);
    EXPECT_GE(before, 40) << "before the stop";
    EXPECT_GE(after, 40) << "after the start again";
    std::printf("tone separation on the virtual card: %.1f dB before, %.1f dB after\n", before,
                after);
    // The stop is silence: exact zeros for most of the second it lasted.
    EXPECT_GT(longestSilence(samples), static_cast<size_t>(rate) * channels * 8 / 10);

    // Over, with A playing: the list is as it was.
    EXPECT_EQ(w.DeviceComboIn->currentText(), kEntryA);
}

TEST_F(ApplicationCapture, AnApplicationStoppedDuringARecordingIsDroppedFromTheListAfterIt) {
    TForm1 &w = open();
    card_.setApplicationPlaying(1, true);
    ASSERT_TRUE(waitUntil([&] { return w.DeviceComboIn->count() == 2; }, 500));
    choose(kEntryB);
    w.Record1Click();
    spin(300);
    card_.setApplicationPlaying(1, false);
    ASSERT_TRUE(waitUntil(
        [&] {
            return w.statusPanel(1) ==
                   QStringLiteral("Tone Generator B stopped playing; recording silence.");
        },
        500));
    w.StopRecord();
    EXPECT_EQ(entries(w.DeviceComboIn), QStringList{kMicrophone});
    EXPECT_EQ(w.AudioRecord1->devInput(), 0);
}

// Two players under one name (two clients of one program): each stream is an entry of its
// own, told apart by what it plays, or by a number when that is the same too.
TEST_F(ApplicationCapture, TwoStreamsOfOneNameAreTwoEntriesEachRecordingItsOwnTone) {
    const QString name = QStringLiteral("Tone Generator");
    const int low = card_.addApplication(name, 300, QStringLiteral("low.wav"));
    const int high = card_.addApplication(name, 2000, QStringLiteral("high.wav"));
    const QString lowEntry = QStringLiteral("Tone Generator (application)");
    const QString highEntry = QStringLiteral("Tone Generator \u2014 high.wav (application)");
    TForm1 &w = open();
    card_.setApplicationPlaying(low, true);
    card_.setApplicationPlaying(high, true);
    ASSERT_TRUE(waitUntil([&] { return w.DeviceComboIn->count() == 3; }, 500))
        << entries(w.DeviceComboIn).join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(entries(w.DeviceComboIn), (QStringList{kMicrophone, lowEntry, highEntry}));

    // The older stream is chosen and recorded, not the newest of that name.
    choose(lowEntry);
    int channels = 0, rate = 0;
    std::vector<int16_t> samples = record(1, {}, &channels, &rate);
    ASSERT_GT(rate, 0);
    size_t frames = samples.size() / channels;
    EXPECT_NEAR(zeroCrossingHz(samples, channels, rate, rate / 10, frames - rate / 5), 300, 3);

    // The other stream goes and comes back: the chosen entry keeps its name and the choice.
    card_.setApplicationPlaying(high, false);
    ASSERT_TRUE(waitUntil([&] { return w.DeviceComboIn->count() == 2; }, 500));
    EXPECT_EQ(w.DeviceComboIn->currentText(), lowEntry);
    card_.setApplicationPlaying(high, true);
    ASSERT_TRUE(waitUntil([&] { return w.DeviceComboIn->count() == 3; }, 500));
    EXPECT_EQ(entries(w.DeviceComboIn), (QStringList{kMicrophone, lowEntry, highEntry}));
    EXPECT_EQ(w.DeviceComboIn->currentText(), lowEntry);
    EXPECT_EQ(w.AudioRecord1->devInputName(), lowEntry);

    // The second entry records its own tone, also while a third stream of the name, playing
    // the same file name, starts during the recording: that one is told apart by a number.
    choose(highEntry);
    const int third = card_.addApplication(name, 900, QStringLiteral("high.wav"));
    samples = record(
        1,
        [&] {
            card_.setApplicationPlaying(third, true);
            ASSERT_TRUE(waitUntil([&] { return w.DeviceComboIn->count() == 4; }, 500));
        },
        &channels, &rate);
    frames = samples.size() / channels;
    EXPECT_EQ(entries(w.DeviceComboIn).last(), QStringLiteral("Tone Generator #3 (application)"));
    EXPECT_NEAR(zeroCrossingHz(samples, channels, rate, rate / 10, frames / 2 - rate / 10), 2000,
                3);
    EXPECT_NEAR(zeroCrossingHz(samples, channels, rate, frames / 2, frames / 2 - rate / 10), 2000,
                3)
        << "after the third stream started";
    EXPECT_EQ(w.DeviceComboIn->currentText(), highEntry);
}
