#include "audio/devices/pulse_connection.h"

#include <chrono>

namespace {

constexpr auto kFirstListsTimeout = std::chrono::seconds(3);
constexpr pa_usec_t kRetryDelayUs = 2 * PA_USEC_PER_SEC;
constexpr const char *kApplicationName = "Korvanta Sound Recorder";

QString text(const char *utf8) {
    return utf8 ? QString::fromUtf8(utf8) : QString();
}

template <typename Info>
PulseDevice deviceFrom(const Info &info) {
    PulseDevice device;
    device.name = info.name ? info.name : "";
    device.description = info.description ? text(info.description) : text(info.name);
    device.serverIndex = info.index;
    device.channelMap = info.channel_map;
    device.volume = info.volume;
    device.mute = info.mute != 0;
    for (uint32_t i = 0; i < info.n_ports; ++i) {
        const auto *port = info.ports[i];
        device.ports.push_back(
            {port->name, text(port->description), port->available == PA_PORT_AVAILABLE_NO});
    }
    if (info.active_port)
        device.activePort = info.active_port->name;
    return device;
}

}  // namespace

PulseConnection::PulseConnection() : mainloop_(pa_threaded_mainloop_new()) {
    if (!mainloop_)
        return;
    {
        PulseLock lock(mainloop_.get());
        connect();
    }
    if (pa_threaded_mainloop_start(mainloop_.get()) < 0) {
        PulseLock lock(mainloop_.get());
        dropContext();
        return;
    }
    std::unique_lock<std::mutex> lock(mutex_);
    attemptFinished_.wait_for(lock, kFirstListsTimeout, [this] { return attemptDone_; });
}

PulseConnection::~PulseConnection() {
    if (!mainloop_)
        return;
    {
        PulseLock lock(mainloop_.get());
        retry_.reset();
        dropContext();
    }
    mainloop_.reset();  // joins the mainloop's thread
}

// Mainloop lock held.
void PulseConnection::connect() {
    PulsePropListPtr properties(pa_proplist_new());
    pa_proplist_sets(properties.get(), PA_PROP_APPLICATION_NAME, kApplicationName);
    pa_proplist_sets(properties.get(), PA_PROP_APPLICATION_ICON_NAME, "audio-input-microphone");
    context_.reset(pa_context_new_with_proplist(pa_threaded_mainloop_get_api(mainloop_.get()),
                                                kApplicationName, properties.get()));
    if (!context_) {
        lost();
        return;
    }
    pa_context_set_state_callback(context_.get(), &PulseConnection::onContextState, this);
    // No autospawn: a recorder should not start a sound server behind the user's back.
    if (pa_context_connect(context_.get(), nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0)
        lost();
}

// Mainloop lock held.
void PulseConnection::dropContext() {
    if (!context_)
        return;
    pa_context_set_state_callback(context_.get(), nullptr, nullptr);
    pa_context_set_subscribe_callback(context_.get(), nullptr, nullptr);
    pa_context_disconnect(context_.get());  // cancels pending requests: no callback follows
    context_.reset();
}

void PulseConnection::onContextState(pa_context *context, void *self) {
    auto *connection = static_cast<PulseConnection *>(self);
    switch (pa_context_get_state(context)) {
        case PA_CONTEXT_READY:
            connection->loadEverything();
            break;
        case PA_CONTEXT_FAILED:
        case PA_CONTEXT_TERMINATED:
            connection->lost();
            break;
        default:
            break;
    }
}

// Mainloop thread: the connection failed or broke. The context is dropped on the retry,
// not here, so no libpulse object is freed from inside its own callback.
void PulseConnection::lost() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        sinks_.removeAll();
        sources_.removeAll();
        ready_ = false;
    }
    finishAttempt(false);
    scheduleRetry();
}

void PulseConnection::scheduleRetry() {
    pa_mainloop_api *api = pa_threaded_mainloop_get_api(mainloop_.get());
    struct timeval when;
    pa_timeval_add(pa_gettimeofday(&when), kRetryDelayUs);
    if (retry_.get())
        api->time_restart(retry_.get(), &when);
    else
        retry_ = PulseTimeEvent(api, api->time_new(api, &when, &PulseConnection::onRetry, this));
}

void PulseConnection::onRetry(pa_mainloop_api *, pa_time_event *, const struct timeval *,
                              void *self) {
    auto *connection = static_cast<PulseConnection *>(self);
    connection->dropContext();
    connection->connect();
}

void PulseConnection::finishAttempt(bool ready) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        ready_ = ready;
        attemptDone_ = true;
    }
    attemptFinished_.notify_all();
}

void PulseConnection::loadEverything() {
    pa_context *context = context_.get();
    pa_context_set_subscribe_callback(context, &PulseConnection::onEvent, this);
    forgetOperation(pa_context_subscribe(
        context,
        static_cast<pa_subscription_mask_t>(
            PA_SUBSCRIPTION_MASK_SINK | PA_SUBSCRIPTION_MASK_SOURCE | PA_SUBSCRIPTION_MASK_SERVER),
        nullptr, nullptr));
    listsPending_ = 3;
    forgetOperation(pa_context_get_server_info(context, &PulseConnection::onServerInfo, this));
    forgetOperation(pa_context_get_sink_info_list(context, &PulseConnection::onSinkList, this));
    forgetOperation(pa_context_get_source_info_list(context, &PulseConnection::onSourceList, this));
}

void PulseConnection::listDone() {
    if (listsPending_ > 0 && --listsPending_ == 0)
        finishAttempt(true);
}

void PulseConnection::onEvent(pa_context *context, pa_subscription_event_type_t type,
                              uint32_t index, void *self) {
    auto *connection = static_cast<PulseConnection *>(self);
    const unsigned facility = type & PA_SUBSCRIPTION_EVENT_FACILITY_MASK;
    const bool removed = (type & PA_SUBSCRIPTION_EVENT_TYPE_MASK) == PA_SUBSCRIPTION_EVENT_REMOVE;
    if (facility == PA_SUBSCRIPTION_EVENT_SINK || facility == PA_SUBSCRIPTION_EVENT_SOURCE) {
        const bool sink = facility == PA_SUBSCRIPTION_EVENT_SINK;
        if (removed) {
            std::lock_guard<std::mutex> lock(connection->mutex_);
            (sink ? connection->sinks_ : connection->sources_).remove(index);
        } else if (sink) {
            forgetOperation(pa_context_get_sink_info_by_index(context, index,
                                                              &PulseConnection::onSinkInfo, self));
        } else {
            forgetOperation(pa_context_get_source_info_by_index(
                context, index, &PulseConnection::onSourceInfo, self));
        }
    } else if (facility == PA_SUBSCRIPTION_EVENT_SERVER) {
        // The default sink or source may have changed. This answer does not count towards
        // the first load, which is over by then.
        forgetOperation(pa_context_get_server_info(
            context,
            [](pa_context *, const pa_server_info *info, void *connection) {
                if (!info)
                    return;
                auto *c = static_cast<PulseConnection *>(connection);
                std::lock_guard<std::mutex> lock(c->mutex_);
                c->defaultSink_ = info->default_sink_name ? info->default_sink_name : "";
                c->defaultSource_ = info->default_source_name ? info->default_source_name : "";
            },
            self));
    }
}

void PulseConnection::onServerInfo(pa_context *, const pa_server_info *info, void *self) {
    auto *connection = static_cast<PulseConnection *>(self);
    if (info) {
        std::lock_guard<std::mutex> lock(connection->mutex_);
        connection->defaultSink_ = info->default_sink_name ? info->default_sink_name : "";
        connection->defaultSource_ = info->default_source_name ? info->default_source_name : "";
    }
    connection->listDone();
}

void PulseConnection::onSinkList(pa_context *, const pa_sink_info *info, int eol, void *self) {
    auto *connection = static_cast<PulseConnection *>(self);
    if (eol != 0) {  // the end of the list, or an error that ends it
        connection->listDone();
        return;
    }
    std::lock_guard<std::mutex> lock(connection->mutex_);
    connection->sinks_.update(deviceFrom(*info));
}

void PulseConnection::onSinkInfo(pa_context *, const pa_sink_info *info, int eol, void *self) {
    if (eol != 0 || !info)
        return;  // gone again before the answer came
    auto *connection = static_cast<PulseConnection *>(self);
    std::lock_guard<std::mutex> lock(connection->mutex_);
    connection->sinks_.update(deviceFrom(*info));
}

void PulseConnection::onSourceList(pa_context *, const pa_source_info *info, int eol, void *self) {
    auto *connection = static_cast<PulseConnection *>(self);
    if (eol != 0) {
        connection->listDone();
        return;
    }
    PulseDevice device = deviceFrom(*info);
    device.isMonitor = info->monitor_of_sink != PA_INVALID_INDEX;
    std::lock_guard<std::mutex> lock(connection->mutex_);
    connection->sources_.update(std::move(device));
}

void PulseConnection::onSourceInfo(pa_context *, const pa_source_info *info, int eol, void *self) {
    if (eol != 0 || !info)
        return;
    auto *connection = static_cast<PulseConnection *>(self);
    PulseDevice device = deviceFrom(*info);
    device.isMonitor = info->monitor_of_sink != PA_INVALID_INDEX;
    std::lock_guard<std::mutex> lock(connection->mutex_);
    connection->sources_.update(std::move(device));
}

bool PulseConnection::connected() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return ready_;
}

std::vector<PulseDevice> PulseConnection::devices(Direction direction) const {
    std::lock_guard<std::mutex> lock(mutex_);
    return table(direction).all();
}

std::optional<PulseDevice> PulseConnection::device(Direction direction, int number) const {
    std::lock_guard<std::mutex> lock(mutex_);
    const PulseDevice *device = table(direction).at(number);
    if (!device)
        return std::nullopt;
    return *device;
}

int PulseConnection::defaultDevice(Direction direction) const {
    std::lock_guard<std::mutex> lock(mutex_);
    const int number =
        table(direction).find(direction == Direction::Output ? defaultSink_ : defaultSource_);
    return number < 0 ? 0 : number;
}

std::string PulseConnection::presentName(Direction direction, int number) const {
    const PulseDevice *device = table(direction).at(number);
    return device && device->present && ready_ ? device->name : std::string();
}

void PulseConnection::changeDevice(Direction direction, int number,
                                   const std::function<bool(PulseDevice &)> &update,
                                   const std::function<pa_operation *(const char *name)> &send) {
    if (!mainloop_)
        return;
    PulseLock lock(mainloop_.get());
    std::string name;
    {
        std::lock_guard<std::mutex> cacheLock(mutex_);
        name = presentName(direction, number);
        if (name.empty() || !update(*table(direction).at(number)))
            return;
    }
    if (context_)
        forgetOperation(send(name.c_str()));
}

void PulseConnection::changeVolume(Direction direction, int number,
                                   const std::function<pa_cvolume(const PulseDevice &)> &change) {
    pa_cvolume volume;
    changeDevice(
        direction, number,
        [&](PulseDevice &device) {
            volume = change(device);
            if (!pa_cvolume_valid(&volume) || pa_cvolume_equal(&volume, &device.volume))
                return false;
            device.volume = volume;
            return true;
        },
        [&](const char *name) {
            return direction == Direction::Output
                       ? pa_context_set_sink_volume_by_name(context_.get(), name, &volume, nullptr,
                                                            nullptr)
                       : pa_context_set_source_volume_by_name(context_.get(), name, &volume,
                                                              nullptr, nullptr);
        });
}

void PulseConnection::changeMute(Direction direction, int number, bool mute) {
    changeDevice(
        direction, number,
        [&](PulseDevice &device) {
            device.mute = mute;
            return true;
        },
        [&](const char *name) {
            return direction == Direction::Output
                       ? pa_context_set_sink_mute_by_name(context_.get(), name, mute, nullptr,
                                                          nullptr)
                       : pa_context_set_source_mute_by_name(context_.get(), name, mute, nullptr,
                                                            nullptr);
        });
}

void PulseConnection::changePort(Direction direction, int number, const std::string &port) {
    changeDevice(
        direction, number,
        [&](PulseDevice &device) {
            device.activePort = port;
            return true;
        },
        [&](const char *name) {
            return direction == Direction::Output
                       ? pa_context_set_sink_port_by_name(context_.get(), name, port.c_str(),
                                                          nullptr, nullptr)
                       : pa_context_set_source_port_by_name(context_.get(), name, port.c_str(),
                                                            nullptr, nullptr);
        });
}
