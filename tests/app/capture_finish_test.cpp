// Stop and Pause of a recording whose device still holds captured frames: the window waits
// for them before it stops, keeps the commands given meanwhile for afterwards, and a failure
// ends the wait. The virtual card below hands its frames on as it captures them; this
// backend holds each capture's finish until the test lets it go.
#include "audio/audio_record2.h"
#include "audio/devices/virtual_backend.h"
#include "tests/support/window_fixture.h"

#include <QAction>
#include <QMessageBox>

#include <functional>

using testsupport::spin;
using testsupport::waitUntil;

namespace {

class HeldFinishBackend : public AudioBackend {
public:
    HeldFinishBackend() {
        connect(&card_, &AudioBackend::devicesChanged, this, &AudioBackend::devicesChanged);
        connect(&card_, &AudioBackend::mixerChanged, this, &AudioBackend::mixerChanged);
    }

    // Lets the finish asked for last complete, as a server does when the frames came.
    void release() { std::exchange(pending_, nullptr)(); }
    bool finishAsked() const { return static_cast<bool>(pending_); }
    CaptureSink *lastSink() const { return sink_; }

    std::vector<DeviceInfo> devices(Direction d) override { return card_.devices(d); }
    int defaultDevice(Direction d) override { return card_.defaultDevice(d); }
    std::vector<MixerLine> mixerLines(Direction d, int device) override {
        return card_.mixerLines(d, device);
    }
    void setLineVolume(Direction d, int device, int line, int v) override {
        card_.setLineVolume(d, device, line, v);
    }
    void setLineBalance(Direction d, int device, int line, int v) override {
        card_.setLineBalance(d, device, line, v);
    }
    void setLineMute(Direction d, int device, int line, bool on) override {
        card_.setLineMute(d, device, line, on);
    }
    void setLineSelect(Direction d, int device, int line, bool on) override {
        card_.setLineSelect(d, device, line, on);
    }
    void setLineAdvanced(Direction d, int device, int line, int index, int value) override {
        card_.setLineAdvanced(d, device, line, index, value);
    }
    int deviceVolume(Direction d, int device) override { return card_.deviceVolume(d, device); }
    void setDeviceVolume(Direction d, int device, int v) override {
        card_.setDeviceVolume(d, device, v);
    }
    std::unique_ptr<AudioStream> openCapture(int device, const StreamFormat &format,
                                             CaptureSink *sink, QString *error) override {
        auto inner = card_.openCapture(device, format, sink, error);
        if (!inner)
            return nullptr;
        sink_ = sink;
        return std::make_unique<HeldStream>(std::move(inner), pending_);
    }
    std::unique_ptr<AudioStream> openPlayback(int device, const StreamFormat &format,
                                              PlaybackSource *source, QString *error) override {
        return card_.openPlayback(device, format, source, error);
    }

private:
    class HeldStream : public AudioStream {
    public:
        HeldStream(std::unique_ptr<AudioStream> inner, std::function<void()> &pending)
            : inner_(std::move(inner)), pending_(pending) {}
        bool finish(std::function<void()> done) override {
            pending_ = std::move(done);
            return false;
        }

    private:
        std::unique_ptr<AudioStream> inner_;
        std::function<void()> &pending_;
    };

    VirtualBackend card_;
    std::function<void()> pending_;
    CaptureSink *sink_ = nullptr;
};

constexpr char kWavIni[] = "[options]\nsaveformat=.wav\n[tips]\nshowtip=0\n";

}  // namespace

class CaptureFinishTest : public WindowFixture {};

TEST_F(CaptureFinishTest, StopAndPauseWaitForTheLastFramesAndCommandsWaitForThem) {
    writeIni(kWavIni);
    HeldFinishBackend backend;
    TForm1 &w = openWindow(backend);
    answerMessageBoxes(QMessageBox::Ok);

    w.Record1Click();
    ASSERT_TRUE(w.flgRecord);
    spin(300);
    w.Pause1Click();
    ASSERT_TRUE(backend.finishAsked());
    EXPECT_FALSE(w.flgPauseRecord) << "paused only once the frames are in";
    backend.release();
    ASSERT_TRUE(waitUntil([&] { return w.flgPauseRecord; }, 1000));

    w.Record1Click();  // resumes
    ASSERT_FALSE(w.flgPauseRecord);
    spin(300);
    w.Stop1Click();
    w.Record1Click();  // given while the stop waits: runs after it
    spin(100);
    EXPECT_TRUE(w.flgRecord);
    EXPECT_TRUE(listedFiles().isEmpty());
    backend.release();
    ASSERT_TRUE(waitUntil([&] { return listedFiles().size() == 1 && w.flgRecord; }, 2000))
        << "stopped, listed, and recording again";
    EXPECT_EQ(listedFiles(), QStringList{QStringLiteral("Untitled1.wav")});

    // The device fails while the stop waits: the failure stops the recording, once.
    spin(300);
    w.Stop1Click();
    ASSERT_TRUE(backend.finishAsked());
    backend.lastSink()->failed(QStringLiteral("gone"));
    ASSERT_TRUE(waitUntil([&] { return !w.flgRecord; }, 2000));
    spin(100);
    EXPECT_EQ(listedFiles().size(), 2);
    backend.release();  // too late: nothing happens
    spin(100);
    EXPECT_FALSE(w.flgRecord);
    EXPECT_EQ(listedFiles().size(), 2);
    w.Record1Click();
    EXPECT_TRUE(w.flgRecord) << "no command waits for a stop that is over";
}
