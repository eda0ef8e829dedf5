// The virtual sound card: deterministic devices and mixer lines, paced in real time (or
// KORVANTA_VIRTUAL_PACE times faster, for tests that only look at what was recorded or played).
//
// Inputs "Virtual Microphone" (lines "Microphone", "Line In", "Stereo Mix") and "Virtual
// Line In" (no lines); outputs "Virtual Speakers" (lines "Master", "Wave") and "Virtual
// Line Out" (no lines). Capture yields a phase-continuous 440 Hz sine on the left channel
// and 1000 Hz on the right (mono: the 440 Hz tone), each at half full scale times the
// volume of the selected recording line. Playback consumes frames in real time; when
// KORVANTA_VIRTUAL_SINK names a file, everything played is also written there as WAV.
//
// Like the sound server, the card reports every change through the backend's signals,
// queued to the event loop: mixer writes raise mixerChanged, whoever made them. The
// plug/unplug, default and server hooks below let tests play the desktop around the
// program; device numbers stay stable, as on the server (an unplugged device stays listed,
// without mixer lines, and gets its number back when plugged in again).
//
// Two fake applications play sound to the outputs: "Tone Generator A" (a 300 Hz sine) and
// "Tone Generator B" (2000 Hz), both at half full scale on every channel. They are stopped
// at start, so the input list is the devices alone, unless KORVANTA_VIRTUAL_APPLICATIONS=1
// starts them; tests start, stop and move them with the hooks below, and add more players,
// also under a name already taken (as two clients of one program are). The input list is made
// from their streams as from the server's (application_table.h). Recording an entry gives the
// tone of the stream it stands for alone, and silence while none does.
// Two environment switches make capture imperfect on purpose: KORVANTA_VIRTUAL_DROP=
// "at_ms:length_ms[,...]" loses those spans of every capture stream (counted from its start;
// they are reported lost and delivered as silence, as the sound server does with a hole), and
// KORVANTA_VIRTUAL_GAIN multiplies the tones' level (2 or more drives them into clipping).
//
// Tests can make the streams of one direction misbehave as real devices do (setStreamFault):
// a device that has gone away, a stream that fails before its first frame (as a sound server
// does when an asynchronous open fails), or one that reports a failure while being closed.
#pragma once

#include "audio/devices/application_table.h"
#include "audio/devices/audio_backend.h"

#include <QString>

#include <array>
#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

class WavSinkWriter;

class VirtualBackend : public AudioBackend {
public:
    VirtualBackend();
    ~VirtualBackend() override;

    QString unavailableReason() const override { return unavailable_; }
    std::vector<DeviceInfo> devices(Direction direction) override;
    int defaultDevice(Direction direction) override;

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

    // Plugs in a device with one "Master" line, or plugs an unplugged device of that name in
    // again; returns its number.
    int plugDevice(Direction direction, const QString &name);
    // Unplugs a device: it stays listed without mixer lines, and its running streams fail.
    void unplugDevice(Direction direction, int device);
    void setDefaultDevice(Direction direction, int device);
    // Replaces a device's lines, as when its ports change.
    void setMixerLines(Direction direction, int device, std::vector<MixerLine> lines);
    // A non-empty reason: the server went away (every device is absent); empty: it is back.
    void setUnavailable(const QString &reason);

    std::vector<ApplicationInfo> applications() override;
    // Adds a fake player, stopped, playing a sine of `toneHz` at half full scale on every
    // channel; `media` is what its stream says it plays. Returns its number for the hooks
    // below (A is 0, B is 1).
    int addApplication(const QString &name, int toneHz, const QString &media = {});
    // Starts or stops a fake player. Started again, it is a new stream.
    void setApplicationPlaying(int application, bool playing);
    // Moves a fake player to another output; its capture follows without a gap.
    void moveApplication(int application, int output);
    // Which output a fake player plays to.
    int applicationOutput(int application) const;
    int applicationToneHz(int application) const;

    // The sample value the card generates for a channel at a frame index (for tests).
    static int16_t toneSample(int channel, int channels, int64_t frame, int frequency, double gain);

private:
    struct Device {
        QString name;
        bool plugged = true;
        std::vector<MixerLine> lines;
        int volume = 65535;
        // Shared with the device's streams: capture gain (65535 = 1.0) and whether the
        // device can still be reached.
        std::shared_ptr<std::atomic<int>> gain = std::make_shared<std::atomic<int>>(65535);
        std::shared_ptr<std::atomic<bool>> reachable = std::make_shared<std::atomic<bool>>(true);
    };

    // A fake player; its number is its stream's index in table_.
    struct Application {
        QString name;
        QString media;
        int toneHz = 0;
        int output = 0;
        bool started = false;
    };

    std::vector<Device> &side(Direction direction);
    Application *application(int number);
    Device *device(Direction direction, int number);
    MixerLine *line(Direction direction, int device, int index);
    void lineChanged(Direction direction, int device);
    void updateCaptureGain(Device &device);
    void updateReachable();
    void emitDevicesChanged();

    std::vector<Application> applications_;
    ApplicationTable table_;
    // What each entry of table_ plays now, shared with the capture streams recording it: the
    // tone in Hz, 0 while no stream plays there (stopped, or the server is away).
    std::vector<std::shared_ptr<std::atomic<int>>> entryTones_;
    std::vector<Device> inputs_;
    std::vector<Device> outputs_;
    int defaultInput_ = 0;
    int defaultOutput_ = 0;
    QString unavailable_;
    std::array<StreamFault, 2> faults_{StreamFault::None, StreamFault::None};

    std::mutex sinkMutex_;
    std::shared_ptr<WavSinkWriter> sink_;
};
