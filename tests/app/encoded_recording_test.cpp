// Recording FLAC, Ogg Opus and Ogg Vorbis through the whole window on the virtual card: the
// names, the status bar, auto split into complete parts that join without a gap, the list
// rows and the tag editor.
#include "audio/audio_record2.h"
#include "audio/devices/virtual_backend.h"
#include "tests/support/test_settings.h"
#include "tests/support/window_fixture.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>

#include <cmath>

using testsupport::spin;
using testsupport::waitUntil;

namespace {

struct Recorded {
    const char *ext;
    const char *ini;  // setup.ini beside saveformat
    const char *panelText;
    int rate;
    int channels;
};

const Recorded kFormats[] = {
    {".flac", "[flac]\nfreq=22050\nch=1\n", "FLAC 22050 Hz, 16 bit, mono", 22050, 1},
    {".opus", "[opus]\nbitrate=96\nch=2\n", "Opus 96 kbps, stereo", 48000, 2},
    {".ogg", "[vorbis]\nquality=3\nfreq=48000\nch=2\n", "Vorbis q3, 48000 Hz, stereo", 48000, 2},
};

// Zero crossings per second of one channel over the middle half: its tone's frequency.
double frequencyOf(const std::vector<int16_t> &s, int channels, int rate, int channel) {
    const size_t frames = s.size() / static_cast<size_t>(channels);
    int crossings = 0;
    int last = 0;
    for (size_t i = frames / 4; i < frames * 3 / 4; ++i) {
        const int v = s[i * static_cast<size_t>(channels) + static_cast<size_t>(channel)];
        const int sign = v > 1000 ? 1 : v < -1000 ? -1 : 0;
        if (sign != 0 && last != 0 && sign != last)
            ++crossings;
        if (sign != 0)
            last = sign;
    }
    return crossings / 2.0 / (static_cast<double>(frames / 2) / rate);
}

}  // namespace

class EncodedRecordingTest : public WindowFixture,
                             public ::testing::WithParamInterface<Recorded> {};

TEST_P(EncodedRecordingTest, SplitPartsAreCompleteFilesOfTheCardsSound) {
    const Recorded &f = GetParam();
    writeIni(QByteArray("[options]\nsaveformat=") + f.ext + "\ntimelimit=3\n" + f.ini);
    TForm1 &w = openWindow();
    testRecordingSettings().flgSplit = true;
    testRecordingSettings().SplitTime = 1;
    w.Record1Click();
    ASSERT_TRUE(w.flgRecord);
    EXPECT_EQ(w.statusPanel(2), QLatin1String(f.panelText));
    ASSERT_TRUE(waitUntil([&] { return listedFiles().size() == 3 && !w.flgRecord; }, 8000));

    const QString ext = QLatin1String(f.ext);
    EXPECT_EQ(listedFiles(),
              (QStringList{QStringLiteral("Untitled1") + ext, QStringLiteral("Untitled2") + ext,
                           QStringLiteral("Untitled3") + ext}));
    int64_t partStart = 0;  // on the card's timeline: the capture runs on across the splits
    for (int part = 1; part <= 3; ++part) {
        const QString name = recordingDir() + QStringLiteral("Untitled%1").arg(part) + ext;
        int channels = 0, rate = 0;
        const std::vector<int16_t> samples = readAll(name, &channels, &rate);
        ASSERT_EQ(rate, f.rate) << part;
        ASSERT_EQ(channels, f.channels) << part;
        const double seconds = samples.size() / double(channels) / rate;
        EXPECT_NEAR(seconds, 1.0, 0.3) << part;
        if (ext == QLatin1String(".flac")) {
            // Lossless: the card's tone sample for sample, each part going on exactly where
            // the last one ended, with no frame lost or repeated at the joins.
            size_t mismatch = samples.size();
            for (size_t i = 0; i < samples.size() && mismatch == samples.size(); ++i) {
                if (samples[i] != VirtualBackend::toneSample(
                                      0, 1, partStart + static_cast<int64_t>(i), rate, 1.0))
                    mismatch = i;
            }
            EXPECT_EQ(mismatch, samples.size()) << part;
            partStart += static_cast<int64_t>(samples.size());
        } else {
            // At the file's rate the tone keeps its pitch: the capture ran at that rate too.
            EXPECT_NEAR(frequencyOf(samples, channels, rate, 0), 440.0, 5.0) << part;
            EXPECT_NEAR(frequencyOf(samples, channels, rate, 1), 1000.0, 10.0) << part;
        }
    }
    // The list row of the last part: its size and length as the file has them.
    const QTreeWidgetItem *row = w.ListView1()->topLevelItem(2);
    ASSERT_NE(row, nullptr);
    const qint64 bytes = QFileInfo(recordingDir() + QStringLiteral("Untitled3") + ext).size();
    EXPECT_EQ(row->text(1), QStringLiteral("%1 KB").arg(bytes / 1000));
    EXPECT_TRUE(row->text(2) == QStringLiteral("00:00") || row->text(2) == QStringLiteral("00:01"))
        << row->text(2).toStdString();
}

TEST_P(EncodedRecordingTest, TheTagEditorWritesAndReadsTheFinishedFile) {
    const Recorded &f = GetParam();
    writeIni(QByteArray("[options]\nsaveformat=") + f.ext + "\n" + f.ini);
    TForm1 &w = openWindow();
    w.Record1Click();
    spin(600);
    w.Pause1Click();
    spin(300);
    w.Record1Click();  // resumes into the same file
    spin(600);
    w.Stop1Click();
    ASSERT_EQ(listedFiles().size(), 1);
    const QString file = recordingDir() + QStringLiteral("Untitled1") + QLatin1String(f.ext);
    int channels = 0, rate = 0;
    const double seconds = readAll(file, &channels, &rate).size() / double(f.channels) / f.rate;
    EXPECT_NEAR(seconds, 1.2, 0.3) << "the pause is left out";

    ASSERT_TRUE(w.btnApply()->isEnabled());
    w.infoTitle()->setText(QStringLiteral("Morning take"));
    w.infoArtist()->setText(QStringLiteral("Band"));
    w.infoYear()->setText(QStringLiteral("2026"));
    w.infoTrack()->setText(QStringLiteral("3"));
    w.infoComment()->setText(QStringLiteral("first try"));
    w.btnApply()->click();
    w.infoTitle()->clear();
    w.infoYear()->clear();
    w.btnReset()->click();
    EXPECT_EQ(w.infoTitle()->text(), QStringLiteral("Morning take"));
    EXPECT_EQ(w.infoArtist()->text(), QStringLiteral("Band"));
    EXPECT_EQ(w.infoYear()->text(), QStringLiteral("2026"));
    EXPECT_EQ(w.infoTrack()->text(), QStringLiteral("3"));
    EXPECT_EQ(w.infoComment()->text(), QStringLiteral("first try"));
    // Still the same sound after the tags were written.
    EXPECT_NEAR(readAll(file, &channels, &rate).size() / double(f.channels) / f.rate, seconds,
                1e-9);
}

INSTANTIATE_TEST_SUITE_P(Formats, EncodedRecordingTest, ::testing::ValuesIn(kFormats),
                         [](const ::testing::TestParamInfo<Recorded> &tested) {
                             return std::string(tested.param.ext + 1);
                         });

// The status bar describes what is being recorded for every format while it records.
TEST_F(WindowFixture, TheStatusBarNamesTheFormatBeingRecorded) {
    const std::pair<const char *, const char *> formats[] = {
        {".wav", "PCM  44100 Hz, 16 bit, stereo"},  {".mp3", "MP3  44100 Hz, 128 kbps, stereo"},
        {".flac", "FLAC 44100 Hz, 16 bit, stereo"}, {".opus", "Opus 128 kbps, stereo"},
        {".ogg", "Vorbis q5, 44100 Hz, stereo"},
    };
    for (const auto &[ext, text] : formats) {
        writeIni(QByteArray("[options]\nsaveformat=") + ext + "\n");
        testRecordingSettings() = RecordingSettings();
        TForm1 &w = openWindow();
        w.Record1Click();
        EXPECT_EQ(w.statusPanel(2).toStdString(), text);
        spin(300);
        w.Stop1Click();
    }
}
