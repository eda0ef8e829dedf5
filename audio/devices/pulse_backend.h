// The sound server backend: PulseAudio, or PipeWire through its PulseAudio service.
//
// Outputs are the server's sinks, inputs its sources, monitors of outputs included ("record
// what you hear"), named by their descriptions; after them the applications playing (see
// pulse_application_capture.h for how one is recorded). Mixer lines are described in
// pulse_mixer_map.h. Without a server every list is empty, opening a stream fails with a
// message, and unavailableReason() says why; the connection is retried in the background.
//
// Nothing waits for the server: the connection is made in the background, and streams open
// in the background too (a failure to open arrives through failed()). What the server
// reports reaches devicesChanged and mixerChanged by queued calls, a burst of news as one
// call: at most one devicesChanged, and one mixerChanged per device, wait at any time.
#pragma once

#include "audio/devices/audio_backend.h"
#include "audio/devices/pulse_connection.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <set>
#include <utility>

class PulseBackend : public AudioBackend, private PulseConnectionListener {
public:
    PulseBackend();
    ~PulseBackend() override;

    QString unavailableReason() const override;

    std::vector<DeviceInfo> devices(Direction direction) override;
    int defaultDevice(Direction direction) override;
    // What the connection heard and asked, for the messages of tests that miss a change.
    PulseTraffic traffic() const { return connection_->traffic(); }

    std::vector<MixerLine> mixerLines(Direction direction, int device) override;
    void setLineVolume(Direction direction, int device, int line, int volume) override;
    void setLineBalance(Direction direction, int device, int line, int balance) override;
    void setLineMute(Direction direction, int device, int line, bool mute) override;
    void setLineSelect(Direction direction, int device, int line, bool select) override;
    void setLineAdvanced(Direction direction, int device, int line, int index, int value) override;

    std::vector<ApplicationInfo> applications() override;

    int deviceVolume(Direction direction, int device) override;
    void setDeviceVolume(Direction direction, int device, int volume) override;

    std::unique_ptr<AudioStream> openCapture(int device, const StreamFormat &format,
                                             CaptureSink *sink, QString *error) override;
    std::unique_ptr<AudioStream> openPlayback(int device, const StreamFormat &format,
                                              PlaybackSource *source, QString *error) override;

private:
    // Mainloop thread.
    void serverDevicesChanged() override;
    void serverMixerChanged(Direction direction, int number) override;
    // GUI thread.
    void emitMixerChanges();

    // The device if it can be opened; otherwise nothing, with *error set.
    template <typename Stream, typename Client>
    std::unique_ptr<AudioStream> open(Direction direction, int device, const StreamFormat &format,
                                      Client *client, QString *error);

    std::atomic<bool> devicesQueued_{false};
    std::mutex mixerMutex_;  // held only to add or take the queued devices
    std::set<std::pair<Direction, int>> mixerQueued_;
    // Last: it calls the members above from its own thread from the start.
    std::shared_ptr<PulseConnection> connection_;
};
