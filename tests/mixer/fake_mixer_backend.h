// A device backend with mixer lines made to measure, that counts every write: for the mixer
// windows' rules on line counts and advanced values the virtual card does not have. It has
// no streams.
#pragma once

#include "audio/devices/audio_backend.h"

#include <vector>

class FakeMixerBackend : public AudioBackend {
public:
    // Device 0 of each side has the lines below; device 1 has none.
    std::vector<MixerLine> inputLines;
    std::vector<MixerLine> outputLines;
    int writes = 0;

    static MixerLine line(const QString &name, std::vector<AdvancedControl> advanced = {}) {
        MixerLine l;
        l.name = name;
        l.hasVolume = l.hasBalance = l.hasMute = l.hasSelect = true;
        l.volume = 40000;
        l.balance = 30;
        l.advanced = std::move(advanced);
        return l;
    }

    std::vector<DeviceInfo> devices(Direction) override {
        return {{QStringLiteral("Fake Card"), true}, {QStringLiteral("Fake Plain"), false}};
    }
    int defaultDevice(Direction) override { return 0; }
    std::vector<MixerLine> mixerLines(Direction direction, int device) override {
        if (device != 0)
            return {};
        return direction == Direction::Input ? inputLines : outputLines;
    }
    void setLineVolume(Direction d, int device, int index, int volume) override {
        if (MixerLine *l = find(d, device, index))
            l->volume = volume;
    }
    void setLineBalance(Direction d, int device, int index, int balance) override {
        if (MixerLine *l = find(d, device, index))
            l->balance = balance;
    }
    void setLineMute(Direction d, int device, int index, bool mute) override {
        if (MixerLine *l = find(d, device, index))
            l->mute = mute;
    }
    void setLineSelect(Direction d, int device, int index, bool select) override {
        if (MixerLine *l = find(d, device, index))
            l->select = select;
    }
    void setLineAdvanced(Direction d, int device, int index, int control, int value) override {
        MixerLine *l = find(d, device, index);
        if (l && control >= 0 && control < static_cast<int>(l->advanced.size()))
            l->advanced[control].value = value;
    }
    int deviceVolume(Direction, int) override { return 65535; }
    void setDeviceVolume(Direction, int, int) override { ++writes; }
    std::unique_ptr<AudioStream> openCapture(int, const StreamFormat &, CaptureSink *,
                                             QString *error) override {
        *error = QStringLiteral("no streams");
        return nullptr;
    }
    std::unique_ptr<AudioStream> openPlayback(int, const StreamFormat &, PlaybackSource *,
                                              QString *error) override {
        *error = QStringLiteral("no streams");
        return nullptr;
    }

private:
    MixerLine *find(Direction d, int device, int index) {
        ++writes;
        auto &lines = d == Direction::Input ? inputLines : outputLines;
        if (device != 0 || index < 0 || index >= static_cast<int>(lines.size()))
            return nullptr;
        return &lines[index];
    }
};
