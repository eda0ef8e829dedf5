// The sound server backend: PulseAudio, or PipeWire through its PulseAudio service.
//
// Outputs are the server's sinks, inputs its sources, monitors of outputs included ("record
// what you hear"), named by their descriptions. Mixer lines are described in
// pulse_mixer_map.h. Without a server every list is empty, opening a stream fails with a
// message, and unavailableReason() says why; the connection is retried in the background.
#pragma once

#include "audio/devices/audio_backend.h"

#include <memory>

class PulseConnection;

class PulseBackend : public AudioBackend {
public:
    PulseBackend();
    ~PulseBackend() override;

    QString unavailableReason() const override;

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

private:
    // The device if it can be opened; otherwise nothing, with *error set.
    template <typename Stream, typename Client>
    std::unique_ptr<AudioStream> open(Direction direction, int device, const StreamFormat &format,
                                      Client *client, QString *error);

    std::shared_ptr<PulseConnection> connection_;
};
