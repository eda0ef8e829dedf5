#include "audio/devices/audio_backend.h"

#include "audio/devices/pulse_api.h"
#include "audio/devices/pulse_backend.h"
#include "audio/devices/virtual_backend.h"

#include <QCoreApplication>
#include <QtGlobal>

#include <utility>

namespace {

// Sound switched off on purpose, or the sound server's library missing: no devices, every
// open fails, and the window says why.
class NoDeviceBackend : public AudioBackend {
public:
    explicit NoDeviceBackend(QString reason) : reason_(std::move(reason)) {}
    QString unavailableReason() const override { return reason_; }
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

private:
    QString reason_;
};

}  // namespace

namespace {

bool soundServerChosen() {
    const QString choice = qEnvironmentVariable("KORVANTA_AUDIO");
    return choice != QLatin1String("virtual") && choice != QLatin1String("none");
}

}  // namespace

std::thread startLoadingAudioBackend() {
    if (!soundServerChosen())
        return {};
    return std::thread([] { korvanta::loadPulseApi(nullptr); });
}

std::unique_ptr<AudioBackend> createAudioBackend() {
    const QString choice = qEnvironmentVariable("KORVANTA_AUDIO");
    if (choice == QLatin1String("virtual"))
        return std::make_unique<VirtualBackend>();
    if (choice == QLatin1String("none"))
        return std::make_unique<NoDeviceBackend>(QCoreApplication::translate(
            "BackendFactory", "Sound is switched off (KORVANTA_AUDIO=none)."));
    // Without a reachable server this lists no devices, and picks the server up once it
    // appears.
    QString error;
    if (korvanta::loadPulseApi(&error) == nullptr)
        return std::make_unique<NoDeviceBackend>(error);
    return std::make_unique<PulseBackend>();
}
