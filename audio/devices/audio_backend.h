// The device backend under the recorder and the player: device lists, mixer lines and
// capture/playback streams. Implementations: PulseAudio (pulse_backend) and the
// deterministic virtual sound card (virtual_backend); backend_factory picks one.
//
// Threads. Every method of AudioBackend is called on the GUI thread. A stream runs on a
// thread of the backend's own: CaptureSink::captured, PlaybackSource::fill and both
// failed() callbacks are called there, never on the GUI thread, and must not block.
// Destroying a stream stops it; no callback runs after its destructor returned.
//
// Errors. Listing and mixer calls never fail loudly: an unknown device or line yields an
// empty answer and writes are ignored. Opening a stream returns nullptr and fills *error.
//
// Changes. Devices come and go and other programs move mixer controls while we run; the
// backend says so through its signals, which it always emits on the GUI thread.
//
// Applications. Besides devices, an input can be one application's sound: input device
// numbers from kFirstApplicationDevice on stand for the application streams of
// applications().
// Such an entry has no mixer lines. Its capture stream follows the application from output
// to output, and while the application plays nothing (it stopped, or has not started again)
// delivers silence in real time instead of failing, so a recording of it goes on.
#pragma once

#include <QObject>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

enum class Direction { Input, Output };

struct DeviceInfo {
    QString name;
    bool hasMixer = false;  // the device has mixer lines (devSrcEnabled)
};

// One advanced control of a mixer line: a switch or an integer 0..65535.
struct AdvancedControl {
    QString name;
    bool isSwitch = false;
    int value = 0;
};

// A snapshot of one mixer line. Volumes are 0..65535, balance 0..100 with 50 the centre.
struct MixerLine {
    QString name;
    bool hasVolume = false;
    int volume = 0;
    bool hasBalance = false;
    int balance = 50;
    bool hasMute = false;
    bool mute = false;
    bool hasSelect = false;  // may be a recording source; selecting one may clear others
    bool select = false;
    std::vector<AdvancedControl> advanced;
};

// Input device numbers from here on are applications: kFirstApplicationDevice + n records
// application n. Far above any count of real devices.
constexpr int kFirstApplicationDevice = 1 << 20;

inline bool isApplicationDevice(int device) {
    return device >= kFirstApplicationDevice;
}

// An application's stream that played sound in this run. Each stream playing is an entry of
// its own; its number stays the same for the whole run, and once the stream has ended a new
// stream of the same application (same name and program) takes the entry over.
struct ApplicationInfo {
    int device = -1;  // the input device number that records it
    // The name the application gives itself, else its program's name; a second stream of it
    // playing at the same time adds what it plays, or a number ("paplay #2").
    QString name;
    bool playing = false;
};

struct StreamFormat {
    int frequency = 44100;
    int channels = 2;  // 1 or 2, interleaved signed 16-bit
};

class CaptureSink {
public:
    virtual ~CaptureSink() = default;
    // New frames from the device (interleaved, in the stream's format). Audio thread.
    virtual void captured(const int16_t *samples, int frames) = 0;
    // The device went away or failed; no more frames will come. Audio thread.
    virtual void failed(const QString &reason) = 0;
    // The next `frames` frames of the stream were lost on their way (the server overran, or
    // the card dropped them); the stream delivers silence in their place through captured(),
    // so the timeline stays whole. Audio thread.
    virtual void lostFrames(int frames) { (void)frames; }
    // `frames` frames never came: the stream found them missing (a server that dropped them
    // while we did not read, a stream made again elsewhere) and nothing stands in for them.
    // They were due before the frame that captured() handed on `framesAgo` frames before its
    // latest one. Audio thread.
    virtual void missedFrames(int64_t frames, int64_t framesAgo) {
        (void)frames;
        (void)framesAgo;
    }
};

class PlaybackSource {
public:
    virtual ~PlaybackSource() = default;
    // Fills up to `frames` frames; returns how many were real data (the backend plays
    // silence for the rest). Audio thread.
    virtual int fill(int16_t *out, int frames) = 0;
    // True while the end of the data has not been marked: a source that runs dry then is
    // waiting for more, not finished. A backend that buffers may give it a moment before it
    // plays out what it holds. Audio thread.
    virtual bool moreToCome() const { return false; }
    // The device went away or failed. Audio thread.
    virtual void failed(const QString &reason) = 0;
};

class AudioStream {
public:
    virtual ~AudioStream() = default;  // stops the stream and joins its thread

    // Playback: frames of real data the listener has heard since the stream opened, or -1
    // when the backend plays frames the moment fill() hands them out (the source's own
    // count is exact then). A sound server buffers what fill() handed out, so there this
    // lags behind that count; such a backend keeps calling fill() at least every few tens of
    // milliseconds while it plays out, so the source sees the end arrive. Any thread.
    virtual int64_t framesPlayed() const { return -1; }
    // Playback: how long the device plays on from its own buffer, at least, after fill()
    // last handed out frames, while it is kept supplied; 0 for a backend that plays what
    // fill() hands out at once. A late block costs nothing audible within this.
    virtual int playsOnMs() const { return 0; }

    // Capture: hands on, through captured(), every frame captured up to this moment and no
    // later one. True when that is done already (the backend delivers frames as it captures
    // them); otherwise `done` is called once, on the audio thread, when the last of them
    // came, or after at most about a second of waiting for a server that does not deliver
    // them (unless failed() came first). The stream stays open until it is destroyed. GUI
    // thread; a call while one is under way completes with it.
    virtual bool finish(std::function<void()> done) {
        (void)done;
        return true;
    }
};

class AudioBackend : public QObject {
    Q_OBJECT
public:
    ~AudioBackend() override = default;

    // Empty while the devices can be reached; otherwise one line for the user saying why
    // not (e.g. no sound server is running).
    virtual QString unavailableReason() const { return {}; }

    // Devices in a stable order: the index is the device number.
    virtual std::vector<DeviceInfo> devices(Direction direction) = 0;
    // The device the system would use by default (an index into devices()); -1 when the
    // system names none, or one that is not listed.
    virtual int defaultDevice(Direction direction) = 0;

    // Mixer lines of a device; empty when it has none.
    virtual std::vector<MixerLine> mixerLines(Direction direction, int device) = 0;
    virtual void setLineVolume(Direction direction, int device, int line, int volume) = 0;
    virtual void setLineBalance(Direction direction, int device, int line, int balance) = 0;
    virtual void setLineMute(Direction direction, int device, int line, bool mute) = 0;
    virtual void setLineSelect(Direction direction, int device, int line, bool select) = 0;
    virtual void setLineAdvanced(Direction direction, int device, int line, int index,
                                 int value) = 0;

    // Every application stream entry of this run, in the order of their numbers; those
    // playing now are listed for recording. A change of this list raises devicesChanged.
    virtual std::vector<ApplicationInfo> applications() { return {}; }

    // Overall volume of a device, 0..65535.
    virtual int deviceVolume(Direction direction, int device) = 0;
    virtual void setDeviceVolume(Direction direction, int device, int volume) = 0;

    virtual std::unique_ptr<AudioStream> openCapture(int device, const StreamFormat &format,
                                                     CaptureSink *sink, QString *error) = 0;
    virtual std::unique_ptr<AudioStream> openPlayback(int device, const StreamFormat &format,
                                                      PlaybackSource *source, QString *error) = 0;

Q_SIGNALS:
    // The device lists, the default devices or unavailableReason() changed: a device was
    // plugged in or out, or the server appeared or went away.
    void devicesChanged();
    // Mixer lines of a device changed, whoever changed them (another program included).
    void mixerChanged(Direction direction, int device);
};

// The backend the environment asks for: KORVANTA_AUDIO=virtual selects the virtual sound
// card, KORVANTA_AUDIO=none no devices at all, anything else (or nothing) the PulseAudio
// backend (which also serves PipeWire). Created once, in main, and passed to the window.
std::unique_ptr<AudioBackend> createAudioBackend();

// Starts opening the sound server's library on a thread of its own when the environment asks
// for that backend, so that it loads while Qt starts; createAudioBackend() waits for it if it
// comes first. Join the thread (not joinable when there is nothing to load) before leaving.
std::thread startLoadingAudioBackend();
