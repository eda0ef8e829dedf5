// A device backend with mixer lines made to measure (the virtual card's are fixed), that
// counts every write. Device 0 of each side has the lines; device 1 has none; no streams.
#pragma once

#include "audio/devices/audio_backend.h"

#include <gtest/gtest.h>

class FakeMixerBackend : public AudioBackend {
public:
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
    std::vector<MixerLine> mixerLines(Direction d, int device) override {
        return device == 0 ? lines(d) : std::vector<MixerLine>{};
    }
    void setLineVolume(Direction d, int device, int i, int v) override {
        at(d, device, i).volume = v;
    }
    void setLineBalance(Direction d, int device, int i, int v) override {
        at(d, device, i).balance = v;
    }
    void setLineMute(Direction d, int device, int i, bool on) override {
        at(d, device, i).mute = on;
    }
    void setLineSelect(Direction d, int device, int i, bool on) override {
        at(d, device, i).select = on;
    }
    void setLineAdvanced(Direction d, int device, int i, int control, int value) override {
        at(d, device, i).advanced.at(control).value = value;
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
    std::vector<MixerLine> &lines(Direction d) {
        return d == Direction::Input ? inputLines : outputLines;
    }
    MixerLine &at(Direction d, int device, int index) {
        ++writes;
        EXPECT_EQ(device, 0);
        return lines(d).at(static_cast<size_t>(index));
    }
};
