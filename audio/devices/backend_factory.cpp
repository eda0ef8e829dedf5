#include "audio/devices/audio_backend.h"

#include "audio/devices/pulse_backend.h"
#include "audio/devices/virtual_backend.h"

#include <QCoreApplication>
#include <QtGlobal>

namespace {

// Sound switched off on purpose: no devices, every open fails.
class NoDeviceBackend : public AudioBackend {
public:
    QString unavailableReason() const override {
        return QCoreApplication::translate("BackendFactory",
                                           "Sound is switched off (KORVANTA_AUDIO=none).");
    }
    std::vector<DeviceInfo> devices(Direction) override { return {}; }
    int defaultDevice(Direction) override { return 0; }
    std::vector<MixerLine> mixerLines(Direction, int) override { return {}; }
    void setLineVolume(Direction, int, int, int) override {}
    void setLineBalance(Direction, int, int, int) override {}
    void setLineMute(Direction, int, int, bool) override {}
    void setLineSelect(Direction, int, int, bool) override {}
    void setLineAdvanced(Direction, int, int, int, int) override {}
    int deviceVolume(Direction, int) override { return 0; }
    void setDeviceVolume(Direction, int, int) override {}
    std::unique_ptr<AudioStream> openCapture(int, const StreamFormat &, CaptureSink *,
                                             QString *error) override {
        *error = QCoreApplication::translate("BackendFactory", "No sound device is available.");
        return nullptr;
    }
    std::unique_ptr<AudioStream> openPlayback(int, const StreamFormat &, PlaybackSource *,
                                              QString *error) override {
        *error = QCoreApplication::translate("BackendFactory", "No sound device is available.");
        return nullptr;
    }
};

}  // namespace

std::unique_ptr<AudioBackend> createAudioBackend() {
    const QString choice = qEnvironmentVariable("KORVANTA_AUDIO");
    if (choice == QLatin1String("virtual"))
        return std::make_unique<VirtualBackend>();
    if (choice == QLatin1String("none"))
        return std::make_unique<NoDeviceBackend>();
    // Without a reachable server this lists no devices, and picks the server up once it
    // appears.
    return std::make_unique<PulseBackend>();
}
