#include "audio/devices/pulse_backend.h"

#include "audio/devices/pulse_application_capture.h"
#include "audio/devices/pulse_connection.h"
#include "audio/devices/pulse_mixer_map.h"
#include "audio/devices/pulse_streams.h"

#include <QCoreApplication>

PulseBackend::PulseBackend()
    : connection_(std::make_shared<PulseConnection>(static_cast<PulseConnectionListener *>(this))) {
}

PulseBackend::~PulseBackend() {
    // Streams may keep the connection alive; from here on it reports to nobody. Calls
    // already queued die with this object.
    connection_->detachListener();
}

void PulseBackend::serverDevicesChanged() {
    if (devicesQueued_.exchange(true))
        return;
    QMetaObject::invokeMethod(
        this,
        [this] {
            devicesQueued_ = false;
            Q_EMIT devicesChanged();
        },
        Qt::QueuedConnection);
}

void PulseBackend::serverMixerChanged(Direction direction, int number) {
    bool first = false;
    {
        std::lock_guard<std::mutex> lock(mixerMutex_);
        first = mixerQueued_.empty();
        mixerQueued_.insert({direction, number});
    }
    if (first)
        QMetaObject::invokeMethod(this, &PulseBackend::emitMixerChanges, Qt::QueuedConnection);
}

void PulseBackend::emitMixerChanges() {
    std::set<std::pair<Direction, int>> changed;
    {
        std::lock_guard<std::mutex> lock(mixerMutex_);
        changed.swap(mixerQueued_);
    }
    for (const auto &[direction, number] : changed)
        Q_EMIT mixerChanged(direction, number);
}

QString PulseBackend::unavailableReason() const {
    if (connection_->connected())
        return {};
    if (connection_->attempting())
        return QCoreApplication::translate("PulseBackend", "Connecting to the sound server...");
    return QCoreApplication::translate("PulseBackend",
                                       "No sound server was found (PulseAudio or PipeWire).");
}

std::vector<DeviceInfo> PulseBackend::devices(Direction direction) {
    std::vector<DeviceInfo> list;
    for (const PulseDevice &device : connection_->devices(direction))
        list.push_back({device.description, device.present});  // present devices have "Master"
    return list;
}

int PulseBackend::defaultDevice(Direction direction) {
    return connection_->defaultDevice(direction);
}

std::vector<MixerLine> PulseBackend::mixerLines(Direction direction, int device) {
    const auto found = connection_->device(direction, device);
    return found ? mixerLinesFor(*found, direction) : std::vector<MixerLine>{};
}

void PulseBackend::setLineVolume(Direction direction, int device, int line, int volume) {
    if (line != 0)
        return;  // port lines have no volume of their own
    connection_->changeVolume(direction, device, [volume](const PulseDevice &current) {
        return withKnobVolume(current.volume, volume);
    });
}

void PulseBackend::setLineBalance(Direction direction, int device, int line, int balance) {
    if (line != 0)
        return;
    connection_->changeVolume(direction, device, [balance](const PulseDevice &current) {
        return withBalance(current.volume, current.channelMap, balance);
    });
}

void PulseBackend::setLineMute(Direction direction, int device, int line, bool mute) {
    if (line == 0 && direction == Direction::Output)
        connection_->changeMute(direction, device, mute);
}

void PulseBackend::setLineSelect(Direction direction, int device, int line, bool select) {
    // A device always has one active port, so clearing a port's switch has nothing to do:
    // it reads back as selected.
    if (!select)
        return;
    const auto found = connection_->device(direction, device);
    if (!found)
        return;
    if (const PulsePort *port = portOfLine(*found, direction, line))
        connection_->changePort(direction, device, port->name);
}

void PulseBackend::setLineAdvanced(Direction, int, int, int, int) {}

std::vector<ApplicationInfo> PulseBackend::applications() {
    return connection_->applications();
}

int PulseBackend::deviceVolume(Direction direction, int device) {
    const auto lines = mixerLines(direction, device);
    return lines.empty() ? 0 : lines.front().volume;
}

void PulseBackend::setDeviceVolume(Direction direction, int device, int volume) {
    setLineVolume(direction, device, 0, volume);
}

template <typename Stream, typename Client>
std::unique_ptr<AudioStream> PulseBackend::open(Direction direction, int device,
                                                const StreamFormat &format, Client *client,
                                                QString *error) {
    if (!connection_->connected()) {
        *error = unavailableReason();
        return nullptr;
    }
    const auto found = connection_->device(direction, device);
    if (!found || !found->present) {
        *error = direction == Direction::Input
                     ? QCoreApplication::translate("PulseBackend",
                                                   "The chosen input device is not available.")
                     : QCoreApplication::translate("PulseBackend",
                                                   "The chosen output device is not available.");
        return nullptr;
    }
    auto stream = std::make_unique<Stream>(connection_, *found, format, client);
    if (!stream->start(error))
        return nullptr;
    return stream;
}

std::unique_ptr<AudioStream> PulseBackend::openCapture(int device, const StreamFormat &format,
                                                       CaptureSink *sink, QString *error) {
    if (isApplicationDevice(device)) {
        if (!connection_->connected()) {
            *error = unavailableReason();
            return nullptr;
        }
        const int number = device - kFirstApplicationDevice;
        const auto all = connection_->applications();
        if (number >= static_cast<int>(all.size()) || !all[static_cast<size_t>(number)].playing) {
            *error = QCoreApplication::translate("PulseBackend",
                                                 "The chosen application is not playing.");
            return nullptr;
        }
        auto stream = std::make_unique<PulseApplicationCapture>(connection_, number, format, sink);
        stream->start();
        return stream;
    }
    return open<PulseCaptureStream>(Direction::Input, device, format, sink, error);
}

std::unique_ptr<AudioStream> PulseBackend::openPlayback(int device, const StreamFormat &format,
                                                        PlaybackSource *source, QString *error) {
    return open<PulsePlaybackStream>(Direction::Output, device, format, source, error);
}
