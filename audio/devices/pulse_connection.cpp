#include "audio/devices/pulse_connection.h"

#include <algorithm>

namespace {

constexpr pa_usec_t kRetryDelayUs = 2 * PA_USEC_PER_SEC;
// Failed questions for the defaults asked again at once; after that the next news asks.
constexpr int kDefaultsRetries = 3;
// How long after news of devices or the server the defaults are read once more.
constexpr pa_usec_t kDefaultsRecheckUs = 300 * PA_USEC_PER_MSEC;
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

PulseDevice sinkFrom(const pa_sink_info &info) {
    PulseDevice device = deviceFrom(info);
    device.monitorSource = info.monitor_source_name ? info.monitor_source_name : "";
    return device;
}

std::string property(const pa_proplist *properties, const char *key) {
    const char *value = properties ? pa_proplist_gets(properties, key) : nullptr;
    return value ? value : "";
}

}  // namespace

PulseConnection::PulseConnection(PulseConnectionListener *listener)
    : mainloop_(pa_threaded_mainloop_new()), listener_(listener) {
    if (!mainloop_)
        return;
    {
        // The first attempt runs on the mainloop's thread too: nothing here waits for it.
        PulseLock lock(mainloop_.get());
        scheduleRetry(0);
    }
    if (pa_threaded_mainloop_start(mainloop_.get()) < 0) {
        PulseLock lock(mainloop_.get());
        retry_.reset();
        std::lock_guard<std::mutex> cacheLock(mutex_);
        attemptDone_ = true;
    }
}

PulseConnection::~PulseConnection() {
    if (!mainloop_)
        return;
    {
        PulseLock lock(mainloop_.get());
        listener_ = nullptr;
        retry_.reset();
        recheck_.reset();
        dropContext();
    }
    mainloop_.reset();  // joins the mainloop's thread
}

void PulseConnection::detachListener() {
    if (!mainloop_)
        return;
    PulseLock lock(mainloop_.get());
    listener_ = nullptr;
}

void PulseConnection::notifyDevices() {
    if (listener_)
        listener_->serverDevicesChanged();
}

void PulseConnection::notifyMixer(Direction direction, int number) {
    if (listener_)
        listener_->serverMixerChanged(direction, number);
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
    writes_.clear();  // their operations die with the context, callbacks unsent
    listsPending_ = 0;
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
    writes_.clear();
    listsPending_ = 0;
    bool changed = false;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        const bool hadSinks = sinks_.removeAll();
        const bool hadSources = sources_.removeAll();
        const bool hadApplications = applications_.removeAll();
        corkedInputs_.clear();
        // Announced when the lists or unavailableReason() change, not on every retry.
        changed = hadSinks || hadSources || hadApplications || ready_ || !attemptDone_;
        ready_ = false;
        attemptDone_ = true;
    }
    if (changed)
        notifyDevices();
    scheduleRetry(kRetryDelayUs);
}

void PulseConnection::scheduleRetry(pa_usec_t delayUs) {
    pa_mainloop_api *api = pa_threaded_mainloop_get_api(mainloop_.get());
    struct timeval when;
    pa_timeval_add(pa_gettimeofday(&when), delayUs);
    if (retry_.get())
        api->time_restart(retry_.get(), &when);
    else
        retry_ = PulseTimeEvent(api, api->time_new(api, &when, &PulseConnection::onRetry, this));
}

void PulseConnection::onRetry(pa_mainloop_api *api, pa_time_event *event, const struct timeval *,
                              void *self) {
    api->time_restart(event, nullptr);  // disarmed until the next failure
    auto *connection = static_cast<PulseConnection *>(self);
    connection->dropContext();
    connection->connect();
}

void PulseConnection::loadEverything() {
    pa_context *context = context_.get();
    pa_context_set_subscribe_callback(context, &PulseConnection::onEvent, this);
    forgetOperation(
        pa_context_subscribe(context,
                             static_cast<pa_subscription_mask_t>(
                                 PA_SUBSCRIPTION_MASK_SINK | PA_SUBSCRIPTION_MASK_SOURCE |
                                 PA_SUBSCRIPTION_MASK_SERVER | PA_SUBSCRIPTION_MASK_SINK_INPUT),
                             nullptr, nullptr));
    listsPending_ = 4;
    forgetOperation(pa_context_get_server_info(context, &PulseConnection::onServerInfo, this));
    forgetOperation(pa_context_get_sink_info_list(context, &PulseConnection::onSinkList, this));
    forgetOperation(pa_context_get_source_info_list(context, &PulseConnection::onSourceList, this));
    forgetOperation(
        pa_context_get_sink_input_info_list(context, &PulseConnection::onSinkInputList, this));
}

void PulseConnection::askDefaults() {
    pa_context *context = context_.get();
    if (!context || pa_context_get_state(context) != PA_CONTEXT_READY)
        return;  // a new connection reads them with everything else
    {
        std::lock_guard<std::mutex> lock(mutex_);
        ++traffic_.defaultsAsked;
    }
    forgetOperation(pa_context_get_server_info(context, &PulseConnection::onDefaultsChanged, this));
}

void PulseConnection::recheckDefaultsSoon() {
    pa_mainloop_api *api = pa_threaded_mainloop_get_api(mainloop_.get());
    struct timeval when;
    pa_timeval_add(pa_gettimeofday(&when), kDefaultsRecheckUs);
    if (recheck_.get())
        api->time_restart(recheck_.get(), &when);
    else
        recheck_ =
            PulseTimeEvent(api, api->time_new(api, &when, &PulseConnection::onRecheck, this));
}

void PulseConnection::onRecheck(pa_mainloop_api *api, pa_time_event *event, const struct timeval *,
                                void *self) {
    api->time_restart(event, nullptr);  // disarmed until the next news
    static_cast<PulseConnection *>(self)->askDefaults();
}

void PulseConnection::defaultsFailed() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        ++traffic_.defaultsFailed;
    }
    if (++defaultsFailedInRow_ <= kDefaultsRetries)
        askDefaults();
}

void PulseConnection::listDone() {
    if (listsPending_ == 0 || --listsPending_ > 0)
        return;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        ready_ = true;
        attemptDone_ = true;
    }
    notifyDevices();
}

void PulseConnection::onEvent(pa_context *context, pa_subscription_event_type_t type,
                              uint32_t index, void *self) {
    auto *connection = static_cast<PulseConnection *>(self);
    const unsigned facility = type & PA_SUBSCRIPTION_EVENT_FACILITY_MASK;
    const bool removed = (type & PA_SUBSCRIPTION_EVENT_TYPE_MASK) == PA_SUBSCRIPTION_EVENT_REMOVE;
    const bool deviceNews =
        facility == PA_SUBSCRIPTION_EVENT_SINK || facility == PA_SUBSCRIPTION_EVENT_SOURCE;
    if (deviceNews || facility == PA_SUBSCRIPTION_EVENT_SERVER) {
        std::lock_guard<std::mutex> lock(connection->mutex_);
        ++(deviceNews ? connection->traffic_.deviceEvents : connection->traffic_.serverEvents);
    }
    if (deviceNews) {
        const bool sink = facility == PA_SUBSCRIPTION_EVENT_SINK;
        if (removed) {
            int number = -1;
            {
                std::lock_guard<std::mutex> lock(connection->mutex_);
                number = (sink ? connection->sinks_ : connection->sources_).remove(index);
            }
            if (number >= 0)
                connection->notifyDevices();
        } else if (sink) {
            forgetOperation(pa_context_get_sink_info_by_index(context, index,
                                                              &PulseConnection::onSinkInfo, self));
        } else {
            forgetOperation(pa_context_get_source_info_by_index(
                context, index, &PulseConnection::onSourceInfo, self));
        }
        // A device coming or going often moves a default, and a sound server may not send
        // its own news for that (or send it before the move is visible): the defaults are
        // read again after every device's news. The answer comes after the device's.
        connection->askDefaults();
        connection->recheckDefaultsSoon();
    } else if (facility == PA_SUBSCRIPTION_EVENT_SINK_INPUT) {
        if (removed) {
            bool changed = false;
            {
                std::lock_guard<std::mutex> lock(connection->mutex_);
                changed = connection->applications_.remove(index);
                connection->corkedInputs_.erase(index);
            }
            if (changed)
                connection->notifyDevices();
        } else {
            // New, renamed or moved to another sink.
            forgetOperation(pa_context_get_sink_input_info(
                context, index, &PulseConnection::onSinkInputInfo, self));
        }
    } else if (facility == PA_SUBSCRIPTION_EVENT_SERVER) {
        // The default sink or source may have changed. This answer does not count towards
        // the first load, which is over by then.
        connection->askDefaults();
        connection->recheckDefaultsSoon();
    }
}

void PulseConnection::takeDefaults(const pa_server_info &info) {
    const std::string sink = info.default_sink_name ? info.default_sink_name : "";
    const std::string source = info.default_source_name ? info.default_source_name : "";
    defaultsFailedInRow_ = 0;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        ++traffic_.defaultsAnswered;
        traffic_.defaultSink = sink;
        traffic_.defaultSource = source;
        if (sink == defaultSink_ && source == defaultSource_)
            return;
        defaultSink_ = sink;
        defaultSource_ = source;
    }
    notifyDevices();
}

void PulseConnection::onServerInfo(pa_context *, const pa_server_info *info, void *self) {
    auto *connection = static_cast<PulseConnection *>(self);
    if (info)
        connection->takeDefaults(*info);
    else
        connection->defaultsFailed();
    connection->listDone();
}

void PulseConnection::onDefaultsChanged(pa_context *, const pa_server_info *info, void *self) {
    auto *connection = static_cast<PulseConnection *>(self);
    if (info)
        connection->takeDefaults(*info);
    else
        connection->defaultsFailed();
}

bool PulseConnection::writing(Direction direction, int number, MixerField field) const {
    return std::any_of(writes_.begin(), writes_.end(), [&](const PendingWrite &write) {
        return write.direction == direction && write.number == number && write.field == field;
    });
}

void PulseConnection::received(Direction direction, PulseDevice device) {
    PulseDeviceChange change;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        PulseDeviceTable &devices = table(direction);
        const int number = devices.find(device.name);
        if (const PulseDevice *known = devices.at(number); known && known->present) {
            // The server answered before applying a change of ours it has been sent: the
            // cache already holds what it will have.
            if (writing(direction, number, MixerField::Volume))
                device.volume = known->volume;
            if (writing(direction, number, MixerField::Mute))
                device.mute = known->mute;
            if (writing(direction, number, MixerField::Port))
                device.activePort = known->activePort;
        }
        change = devices.update(std::move(device));
    }
    if (change.listing)
        notifyDevices();
    if (change.mixer)
        notifyMixer(direction, change.number);
}

void PulseConnection::onSinkList(pa_context *, const pa_sink_info *info, int eol, void *self) {
    auto *connection = static_cast<PulseConnection *>(self);
    if (eol != 0) {  // the end of the list, or an error that ends it
        connection->listDone();
        return;
    }
    connection->received(Direction::Output, sinkFrom(*info));
}

void PulseConnection::onSinkInfo(pa_context *, const pa_sink_info *info, int eol, void *self) {
    if (eol < 0)  // gone again before the answer came, and maybe a default with it
        static_cast<PulseConnection *>(self)->askDefaults();
    if (eol != 0 || !info)
        return;
    static_cast<PulseConnection *>(self)->received(Direction::Output, sinkFrom(*info));
}

void PulseConnection::receivedSinkInput(pa_context *context, const pa_sink_input_info &info) {
    if (info.client != PA_INVALID_INDEX && info.client == pa_context_get_index(context))
        return;  // our own playback
    const std::string name = property(info.proplist, PA_PROP_APPLICATION_NAME);
    std::string binary = property(info.proplist, PA_PROP_APPLICATION_PROCESS_BINARY);
    std::string media = property(info.proplist, PA_PROP_MEDIA_NAME);
    if (media.empty())
        media = info.name ? info.name : "";
    if (name.empty() && binary.empty())
        binary = media;  // nameless: the stream's own name
    bool changed = false;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        changed = applications_.update(info.index, name, binary, media, info.sink);
        if (info.corked)
            corkedInputs_.insert(info.index);
        else
            corkedInputs_.erase(info.index);
    }
    if (changed)
        notifyDevices();
}

void PulseConnection::onSinkInputList(pa_context *context, const pa_sink_input_info *info, int eol,
                                      void *self) {
    auto *connection = static_cast<PulseConnection *>(self);
    if (eol != 0) {
        connection->listDone();
        return;
    }
    connection->receivedSinkInput(context, *info);
}

void PulseConnection::onSinkInputInfo(pa_context *context, const pa_sink_input_info *info, int eol,
                                      void *self) {
    if (eol != 0 || !info)
        return;
    static_cast<PulseConnection *>(self)->receivedSinkInput(context, *info);
}

void PulseConnection::onSourceList(pa_context *, const pa_source_info *info, int eol, void *self) {
    auto *connection = static_cast<PulseConnection *>(self);
    if (eol != 0) {
        connection->listDone();
        return;
    }
    PulseDevice device = deviceFrom(*info);
    device.isMonitor = info->monitor_of_sink != PA_INVALID_INDEX;
    connection->received(Direction::Input, std::move(device));
}

void PulseConnection::onSourceInfo(pa_context *, const pa_source_info *info, int eol, void *self) {
    if (eol < 0)
        static_cast<PulseConnection *>(self)->askDefaults();
    if (eol != 0 || !info)
        return;
    PulseDevice device = deviceFrom(*info);
    device.isMonitor = info->monitor_of_sink != PA_INVALID_INDEX;
    static_cast<PulseConnection *>(self)->received(Direction::Input, std::move(device));
}

// Mainloop thread: the server took (or refused) a change of ours.
void PulseConnection::onWriteDone(pa_context *, int success, void *write) {
    const PendingWrite done = *static_cast<PendingWrite *>(write);
    PulseConnection *connection = done.connection;
    connection->writes_.remove_if([write](const PendingWrite &w) { return &w == write; });
    if (!success)
        connection->refresh(done.direction, done.number);  // the cache is wrong: read again
}

void PulseConnection::refresh(Direction direction, int number) {
    std::string name;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        name = presentName(direction, number);
    }
    if (name.empty() || !context_)
        return;
    forgetOperation(direction == Direction::Output
                        ? pa_context_get_sink_info_by_name(context_.get(), name.c_str(),
                                                           &PulseConnection::onSinkInfo, this)
                        : pa_context_get_source_info_by_name(context_.get(), name.c_str(),
                                                             &PulseConnection::onSourceInfo, this));
}

bool PulseConnection::connected() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return ready_;
}

bool PulseConnection::attempting() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return !attemptDone_;
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

std::vector<ApplicationInfo> PulseConnection::applications() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return ready_ ? applications_.list() : std::vector<ApplicationInfo>{};
}

std::optional<PulseConnection::ApplicationStream> PulseConnection::applicationStream(
    int number) const {
    std::lock_guard<std::mutex> lock(mutex_);
    const auto input = applications_.streamOf(number);
    if (!ready_ || !input)
        return std::nullopt;
    for (const PulseDevice &sink : sinks_.all()) {
        if (sink.present && sink.serverIndex == input->sink && !sink.monitorSource.empty())
            return ApplicationStream{input->index, sink.monitorSource,
                                     corkedInputs_.count(input->index) == 0};
    }
    return std::nullopt;
}

int PulseConnection::defaultDevice(Direction direction) const {
    std::lock_guard<std::mutex> lock(mutex_);
    const int number =
        table(direction).find(direction == Direction::Output ? defaultSink_ : defaultSource_);
    const PulseDevice *device = table(direction).at(number);
    return device && device->present ? number : -1;
}

PulseTraffic PulseConnection::traffic() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return traffic_;
}

std::string PulseConnection::presentName(Direction direction, int number) const {
    const PulseDevice *device = table(direction).at(number);
    return device && device->present && ready_ ? device->name : std::string();
}

void PulseConnection::changeDevice(
    Direction direction, int number, MixerField field,
    const std::function<bool(PulseDevice &)> &update,
    const std::function<pa_operation *(const char *name, pa_context_success_cb_t done, void *write)>
        &send) {
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
    if (!context_)
        return;
    writes_.push_back({this, direction, number, field});
    if (pa_operation *operation =
            send(name.c_str(), &PulseConnection::onWriteDone, &writes_.back()))
        pa_operation_unref(operation);
    else
        writes_.pop_back();
    // The server's own news of the change finds the cache holding it already and says
    // nothing; every control showing the line (a mute switch shown twice) hears of it here.
    notifyMixer(direction, number);
}

void PulseConnection::changeVolume(Direction direction, int number,
                                   const std::function<pa_cvolume(const PulseDevice &)> &change) {
    pa_cvolume volume;
    changeDevice(
        direction, number, MixerField::Volume,
        [&](PulseDevice &device) {
            volume = change(device);
            if (!pa_cvolume_valid(&volume) || pa_cvolume_equal(&volume, &device.volume))
                return false;
            device.volume = volume;
            return true;
        },
        [&](const char *name, pa_context_success_cb_t done, void *write) {
            return direction == Direction::Output ? pa_context_set_sink_volume_by_name(
                                                        context_.get(), name, &volume, done, write)
                                                  : pa_context_set_source_volume_by_name(
                                                        context_.get(), name, &volume, done, write);
        });
}

void PulseConnection::changeMute(Direction direction, int number, bool mute) {
    changeDevice(
        direction, number, MixerField::Mute,
        [&](PulseDevice &device) {
            if (device.mute == mute)
                return false;
            device.mute = mute;
            return true;
        },
        [&](const char *name, pa_context_success_cb_t done, void *write) {
            return direction == Direction::Output
                       ? pa_context_set_sink_mute_by_name(context_.get(), name, mute, done, write)
                       : pa_context_set_source_mute_by_name(context_.get(), name, mute, done,
                                                            write);
        });
}

void PulseConnection::changePort(Direction direction, int number, const std::string &port) {
    changeDevice(
        direction, number, MixerField::Port,
        [&](PulseDevice &device) {
            if (device.activePort == port)
                return false;
            device.activePort = port;
            return true;
        },
        [&](const char *name, pa_context_success_cb_t done, void *write) {
            return direction == Direction::Output
                       ? pa_context_set_sink_port_by_name(context_.get(), name, port.c_str(), done,
                                                          write)
                       : pa_context_set_source_port_by_name(context_.get(), name, port.c_str(),
                                                            done, write);
        });
}
