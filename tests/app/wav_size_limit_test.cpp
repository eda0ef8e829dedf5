// A WAV recording that reaches the WAV file size limit goes on in the next part without a
// gap, through the whole window on the virtual card. The limit is made small here, so that a
// second or two of recording reaches it; the real one is 4 GB.
#include "audio/audio_file2.h"
#include "audio/devices/virtual_backend.h"
#include "tests/support/window_fixture.h"

#include <QFileInfo>

using testsupport::waitUntil;

namespace {

constexpr int kRate = 44100;
constexpr int kHeaderBytes = 44;

// Index of the first frame that is not the card's tone, counted from the recording's start.
long firstMismatch(const std::vector<int16_t> &samples) {
    for (size_t f = 0; f < samples.size() / 2; ++f) {
        for (int ch = 0; ch < 2; ++ch) {
            if (samples[f * 2 + ch] != VirtualBackend::toneSample(ch, 2, int64_t(f), kRate, 1.0))
                return static_cast<long>(f);
        }
    }
    return -1;
}

QString numbered(int n) {
    return QStringLiteral("Untitled%1.wav").arg(n);
}

}  // namespace

class WavSizeLimitTest : public WindowFixture {
protected:
    // Records until the auto stop after `seconds` with parts of at most `partFrames` frames
    // (44.1 kHz, 16 bit, stereo); returns the parts' frames joined in the order of the list.
    std::vector<int16_t> recordInParts(int seconds, int partFrames, QString *noticeAtFirstPart) {
        writeIni("[options]\nsaveformat=.wav\ntimelimit=" + QByteArray::number(seconds) + "\n");
        TForm1 &w = openWindow();
        answerMessageBoxes(QMessageBox::Ok);
        w.AudioFile2->setWavSizeLimit(kHeaderBytes + int64_t{partFrames} * 4);
        w.Record1Click();
        EXPECT_TRUE(waitUntil([&] { return !listedFiles().isEmpty() || !w.flgRecord; }, 4000));
        *noticeAtFirstPart = w.statusPanel(1);
        EXPECT_TRUE(w.flgRecord) << "the recording stopped at the first part";
        EXPECT_TRUE(waitUntil([&] { return !w.flgRecord; }, 4000 + seconds * 1000));
        EXPECT_TRUE(messages_.isEmpty()) << messages_.join(QLatin1Char('\n')).toStdString();

        const QStringList listed = listedFiles();
        EXPECT_EQ(listed.size(), recordedFilesOnDisk().size()) << "every part is listed once";
        std::vector<int16_t> joined;
        for (int i = 0; i < listed.size(); ++i) {
            EXPECT_EQ(listed[i].toStdString(), numbered(i + 1).toStdString());
            const QString path = recordingDir() + listed[i];
            int channels = 0, frequency = 0;
            const std::vector<int16_t> part = readAll(path, &channels, &frequency);
            EXPECT_EQ(channels, 2);
            EXPECT_LE(QFileInfo(path).size(), kHeaderBytes + int64_t{partFrames} * 4);
            if (i + 1 < listed.size()) {
                EXPECT_EQ(part.size(), size_t(partFrames) * 2)
                    << listed[i].toStdString() << " is not full";
            }
            joined.insert(joined.end(), part.begin(), part.end());
        }
        return joined;
    }
};

// Parts of a little over a second: the recording runs through them to its auto stop, the
// status bar says why a new part began, and the parts joined are the card's tone exactly.
TEST_F(WavSizeLimitTest, TheRecordingGoesOnInTheNextPartWithoutAGap) {
    // Not a multiple of the tone's period, so a lost or repeated block would show.
    const int partFrames = 50000;
    QString notice;
    const std::vector<int16_t> joined = recordInParts(3, partFrames, &notice);
    EXPECT_EQ(listedFiles().join(QLatin1Char(' ')).toStdString(),
              "Untitled1.wav Untitled2.wav Untitled3.wav");
    EXPECT_TRUE(notice.contains(QLatin1String("size limit"))) << notice.toStdString();
    EXPECT_TRUE(notice.contains(numbered(1)) && notice.contains(numbered(2)))
        << notice.toStdString();
    EXPECT_EQ(firstMismatch(joined), -1);
    // The clock runs on across the parts: the auto stop comes after 3 s of the whole.
    EXPECT_NEAR(joined.size() / 2 / double(kRate), 3.0, 0.25);
}

// A limit smaller than one capture block: every block overflows, several parts begin within
// one tick, and what the stop leaves over goes into parts of its own. Nothing is lost.
TEST_F(WavSizeLimitTest, ALimitBelowOneBlockStillLosesNothing) {
    const int partFrames = 3001;
    QString notice;
    const std::vector<int16_t> joined = recordInParts(1, partFrames, &notice);
    EXPECT_GE(listedFiles().size(), 14);
    EXPECT_EQ(firstMismatch(joined), -1);
    EXPECT_NEAR(joined.size() / 2 / double(kRate), 1.0, 0.25);
}
