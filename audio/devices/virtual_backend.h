// The virtual sound card: deterministic devices and mixer lines, paced in real time.
//
// Inputs "Virtual Microphone" (lines "Microphone", "Line In", "Stereo Mix") and "Virtual
// Line In" (no lines); outputs "Virtual Speakers" (lines "Master", "Wave") and "Virtual
// Line Out" (no lines). Capture yields a phase-continuous 440 Hz sine on the left channel
// and 1000 Hz on the right (mono: the 440 Hz tone), each at half full scale times the
// volume of the selected recording line. Playback consumes frames in real time; when
// KORVANTA_VIRTUAL_SINK names a file, everything played is also written there as WAV.
//
// Tests can make the streams of one direction misbehave as real devices do (setStreamFault):
// a device that has gone away, a stream that fails before its first frame (as a sound server
// does when an asynchronous open fails), or one that reports a failure while being closed.
#pragma once

#include "audio/devices/audio_backend.h"

#include <QString>

#include <array>
#include <atomic>
#include <memory>
#include <mutex>

class WavSinkWriter;

class VirtualBackend : public AudioBackend {
public:
    VirtualBackend();
    ~VirtualBackend() override;

    std::vector<DeviceInfo> devices(Direction direction) override;
    int defaultDevice(Direction) override { return 0; }

    std::vector<MixerLine> mixerLines(Direction direction, int device) override;
    void setLineVolume(Direction direction, int device, int line, int volume) override;
    void setLineBalance(Direction direction, int device, int line, int balance) override;
    void setLineMute(Direction direction, int device, int line, bool mute) override;
    void setLineSelect(Direction direction, int device, int line, bool select) override;
    void setLineAdvanced(Direction direction, int device, int line, int index, int value) override;

    int deviceVolume(Direction direction, int device) override;
    void setDeviceVolume(Direction direction, int device, int volume) override;

    std::unique_ptr<AudioStream> openCapture(int device, const StreamFormat &format,
                                             CaptureSink *sink, QString *error) override;
    std::unique_ptr<AudioStream> openPlayback(int device, const StreamFormat &format,
                                              PlaybackSource *source, QString *error) override;

    enum class StreamFault {
        None,
        Vanished,     // opening fails: the device is gone
        FailAtStart,  // opens, then fails on its thread before any frame
        FailOnClose,  // runs normally, but reports a failure while it is being closed
    };
    // Applies to every stream of `direction` opened from now on. GUI thread.
    void setStreamFault(Direction direction, StreamFault fault);

    // The sample value the card generates for a channel at a frame index (for tests).
    static int16_t toneSample(int channel, int channels, int64_t frame, int frequency, double gain);

private:
    std::vector<MixerLine> *lines(Direction direction, int device);
    MixerLine *line(Direction direction, int device, int index);
    void updateCaptureGain();

    std::vector<MixerLine> inputLines_;
    std::vector<MixerLine> outputLines_;
    std::array<int, 2> inputVolumes_{65535, 65535};
    std::array<int, 2> outputVolumes_{65535, 65535};
    // Gain of the microphone device's capture, read by its thread; 65535 = 1.0.
    std::shared_ptr<std::atomic<int>> microphoneGain_;
    std::shared_ptr<std::atomic<int>> lineInGain_;

    std::array<StreamFault, 2> faults_{StreamFault::None, StreamFault::None};

    std::mutex sinkMutex_;
    std::shared_ptr<WavSinkWriter> sink_;
};
