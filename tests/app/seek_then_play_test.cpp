// The slider moved while stopped, then Play: what the virtual card hears first must be the
// frame the slider points at, for a file opened through the Open dialog (WAV and FLAC, both
// read through FFmpeg). Each frame of the files carries its own number, so the check is exact.
#include "audio/audio_file2.h"
#include "tests/support/window_fixture.h"
#include "widgets/nct_slider_b2.h"

#include <QAction>
#include <QFileDialog>
#include <QFileInfo>
#include <QTest>

#include <cstdlib>
#include <functional>

using testsupport::waitUntil;

namespace {

constexpr int kRate = 44100;
constexpr int kFrames = 10 * kRate;
constexpr int kHeaderBytes = 44;  // of the card's WAV recording of what it played
constexpr int kFrameBytes = 4;    // 16-bit stereo

// The left channel counts through 16 bits, the right counts how often the left wrapped.
int64_t frameNumber(const std::vector<int16_t> &s, size_t frame) {
    return (int64_t{s[2 * frame + 1]} << 16) + (s[2 * frame] + 32768);
}

QString writeCounted(const QString &path, bool flac) {
    std::vector<int16_t> s(static_cast<size_t>(kFrames) * 2);
    for (int i = 0; i < kFrames; ++i) {
        s[2 * static_cast<size_t>(i)] = static_cast<int16_t>((i & 0xFFFF) - 32768);
        s[2 * static_cast<size_t>(i) + 1] = static_cast<int16_t>(i >> 16);
    }
    TAudioFile2 file;
    if (flac)
        file.SetFormatFLAC(kRate, 2);
    else
        file.SetFormatPCM(kRate, 2, 16);
    file.CreateFile(path, 0);
    file.WriteFile(SampleArray(2, s));
    file.CloseFile();
    return path;
}

}  // namespace

class SeekThenPlayTest : public WindowFixture {
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

    // Opens `path` as the user does: File > Open, the file chosen in the dialog.
    void openThroughDialog(TForm1 &w, const QString &path) {
        bool answered = false;
        QTimer::singleShot(0, &w, [&] {
            if (auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget())) {
                dialog->selectFile(path);
                static_cast<QDialog *>(dialog)->accept();  // public there, as a button press
                answered = true;
            }
        });
        w.Open1->trigger();
        ASSERT_TRUE(answered);
        ASSERT_EQ(w.mSamples, kFrames);
    }

    int64_t heardFrames() const {
        const int64_t size = QFileInfo(sinkPath_).size();
        return size > kHeaderBytes ? (size - kHeaderBytes) / kFrameBytes : 0;
    }

    // Presses Play, lets a tenth of a second play (or the file end), stops, and returns the
    // number of the first frame heard; -1 when nothing was.
    int64_t playBriefly(TForm1 &w) {
        const int64_t before = heardFrames();
        w.Play1->trigger();
        waitUntil([&] { return heardFrames() >= before + kRate / 10 || !w.flgPlay; }, 3000);
        w.Stop1->trigger();
        int channels = 0, frequency = 0;
        const std::vector<int16_t> heard = readAll(sinkPath_, &channels, &frequency);
        if (static_cast<int64_t>(heard.size() / 2) <= before)
            return -1;
        // What follows the first frame heard goes on without a gap.
        const size_t first = static_cast<size_t>(before);
        for (size_t i = first; i < heard.size() / 2; ++i) {
            if (frameNumber(heard, i) !=
                frameNumber(heard, first) + static_cast<int64_t>(i - first))
                return -2;
        }
        return frameNumber(heard, first);
    }

    // Where Play should start for the slider's value: thousandths of the length, rounded.
    static int64_t frameFor(int value) { return (int64_t{value} * kFrames + 500) / 1000; }

    QString sinkPath_;
};

TEST_F(SeekThenPlayTest, PlayStartsWhereTheSliderWasMovedWhileStopped) {
    const QString wav = writeCounted(dir_.filePath(QStringLiteral("counted.wav")), false);
    const QString flac = writeCounted(dir_.filePath(QStringLiteral("counted.flac")), true);
    TForm1 &w = openWindow();
    TNCTSliderB2 *slider = w.NCTSliderB1;

    // The ways a user moves the thumb: a click on the strip, and keys (Home, Page Up, arrows).
    const auto clickAtTwentyPercent = [&] {
        int x = 0;
        while (x < slider->width() && slider->valueAt(x) < 200)
            ++x;
        const QPoint at(x, slider->height() / 2);
        QTest::mousePress(slider, Qt::LeftButton, {}, at);
        QTest::mouseRelease(slider, Qt::LeftButton, {}, at);
    };
    const auto keys = [&](int pageUps, int rights) {
        return [&, pageUps, rights] {
            QTest::keyClick(slider, Qt::Key_Home);
            for (int i = 0; i < pageUps; ++i)
                QTest::keyClick(slider, Qt::Key_PageUp);
            for (int i = 0; i < rights; ++i)
                QTest::keyClick(slider, Qt::Key_Right);
        };
    };
    const std::vector<std::function<void()>> moves = {clickAtTwentyPercent, keys(4, 6), keys(4, 8),
                                                      keys(9, 5), keys(0, 3)};

    for (const QString &path : {wav, flac}) {
        SCOPED_TRACE(QFileInfo(path).fileName().toStdString());
        openThroughDialog(w, path);
        for (const auto &move : moves) {
            move();
            const int value = slider->Value();
            ASSERT_GT(value, 0);
            EXPECT_EQ(playBriefly(w), frameFor(value)) << "slider at " << value;
            EXPECT_EQ(w.statusPanel(0), QStringLiteral("Stop"));
        }
    }
}
