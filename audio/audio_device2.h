// What the recorder and the player have in common: the selected device with its mixer lines,
// the sample format of the blocks, the millisecond conversions, the periodic timer, the error
// state, and the way audio-thread notifications reach the GUI thread.
//
// Notifications from a device thread are posted as queued calls stamped with the generation
// of the stream that made them, taken when that stream opened; closing a stream moves the
// generation on first, so a call from a stream that is closing or closed is dropped, even one
// posted while the close waits for its thread.
#pragma once

#include "audio/audio_device_mixer.h"
#include "audio/devices/audio_backend.h"

#include <QObject>
#include <QTimer>

#include <atomic>
#include <functional>
#include <memory>
#include <vector>

class TAudioDevice2 : public QObject {
    Q_OBJECT
public:
    int SecToSamples(int Millisec) const;
    int SamplesToSec(int Samples) const;

    bool TimerEnabled() const { return timerEnabled_; }
    void setTimerEnabled(bool on);
    int TimerInterval() const { return timer_.interval(); }
    void setTimerInterval(int ms) { timer_.setInterval(ms); }

    virtual void StartDevice() = 0;
    virtual void StopDevice() = 0;
    bool isRunning() const { return stream_ != nullptr; }
    int LastErrorNum() const { return lastError_; }
    QString LastErrorText() const { return lastErrorText_; }

    // The selected device's mixer lines, read as one value; empty when it has none.
    std::vector<MixerLine> mixerLines() const { return mixer_.lines(); }
    // Writes one line of the selected device by its number; the selected line (srcInput,
    // srcOutput) stays as it is. See AudioDeviceMixer for ranges and unknown lines.
    void setMixerLineVolume(int line, int volume) { mixer_.setLineVolume(line, volume); }
    void setMixerLineBalance(int line, int balance) { mixer_.setLineBalance(line, balance); }
    void setMixerLineMute(int line, bool mute) { mixer_.setLineMute(line, mute); }
    void setMixerLineSelect(int line, bool select) { mixer_.setLineSelect(line, select); }
    void setMixerLineAdvanced(int line, int index, const QVariant &value) {
        mixer_.setLineAdvanced(line, index, value);
    }

Q_SIGNALS:
    // Every TimerInterval while the device runs: the position in samples since the last
    // StartDevice and the peak levels (0..32767) of the left and right channel since the
    // last tick.
    void OnTimer(int position, int leftLevel, int rightLevel);
    // The device failed or disappeared while running; it has been stopped already.
    void OnDeviceError(const QString &reason);

protected:
    enum Error { kNoError = 0, kDeviceOpenFailed = 1, kDeviceLost = 2 };

    TAudioDevice2(AudioBackend &backend, Direction direction, int tickMs, QObject *parent);

    // Clamps to what the devices take: 4000..192000 Hz, one or two channels.
    void setFormat(int frequency, int channels);
    // Opens the stream through `open`; on failure LastErrorNum/Text say why.
    void openStream(const std::function<std::unique_ptr<AudioStream>(QString *error)> &open);
    // Stops the device thread; events it posted are dropped from now on.
    void closeStream();
    // Runs `call` on the GUI thread unless the stream has been stopped meanwhile. Any thread.
    void postToGui(std::function<void()> call);
    // Audio thread: the device is gone; the GUI side stops it and raises OnDeviceError.
    void reportDeviceLost(const QString &reason);
    int generation() const { return generation_.load(); }
    AudioStream *stream() const { return stream_.get(); }

    virtual void tick() = 0;

    AudioDeviceMixer mixer_;
    StreamFormat format_;

private:
    void updateTimer();

    std::unique_ptr<AudioStream> stream_;
    QTimer timer_;
    bool timerEnabled_ = false;
    int lastError_ = kNoError;
    QString lastErrorText_;
    std::atomic<int> generation_{0};
    // The generation of the open stream, set before its thread starts; what its calls carry.
    std::atomic<int> streamGeneration_{0};
};
