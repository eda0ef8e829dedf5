// The process's connection to the sound server: a libpulse context on a threaded mainloop.
//
// Sinks and sources (descriptions, volumes, ports) are cached from the server's change
// events, so reading them costs no round trip; mixer changes go into the cache at once and
// are sent without waiting for the answer. Nothing here waits for the server: connecting
// happens on the mainloop's thread, and until the first device lists have arrived
// attempting() says so. When the server goes away every device becomes absent, and a new
// connection is tried every two seconds; devices keep their numbers across that (see
// PulseDeviceTable). What changes is reported to a listener. The applications playing (sink
// inputs other than ours) are cached the same way (ApplicationTable); applications
// starting or stopping count as a change of the device lists.
//
// Our own mixer changes are not undone by older news: while a change of ours is on its way,
// what the server reports for that value is ignored (the server applies ours after it).
//
// Threads: the public methods may be called from any thread except the mainloop's own
// (they take its lock or the cache's mutex); the libpulse callbacks run on the mainloop's
// thread with its lock held, and take the cache's mutex after it, never the other way.
#pragma once

#include "audio/devices/application_table.h"
#include "audio/devices/audio_backend.h"
#include "audio/devices/pulse_device_table.h"
#include "audio/devices/pulse_handles.h"

#include <functional>
#include <list>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

// Told about changes on the mainloop's thread, with its lock held; must not block.
class PulseConnectionListener {
public:
    virtual ~PulseConnectionListener() = default;
    // A device appeared, went away or was renamed, the defaults changed, or the server
    // appeared or went away.
    virtual void serverDevicesChanged() = 0;
    // The volume, mute or ports of a device changed.
    virtual void serverMixerChanged(Direction direction, int number) = 0;
};

// What passed between the server and this connection about devices and defaults, so that a
// test that misses a change can say whether the server's news or an answer went missing.
struct PulseTraffic {
    int deviceEvents = 0;   // sink and source news
    int serverEvents = 0;   // news of the server itself (the defaults among it)
    int defaultsAsked = 0;  // questions for the defaults
    int defaultsAnswered = 0;
    int defaultsFailed = 0;   // questions answered with an error
    std::string defaultSink;  // the names in the last answer
    std::string defaultSource;
};

class PulseConnection {
public:
    explicit PulseConnection(PulseConnectionListener *listener = nullptr);
    ~PulseConnection();
    PulseConnection(const PulseConnection &) = delete;
    PulseConnection &operator=(const PulseConnection &) = delete;

    // No more calls to the listener once this returned.
    void detachListener();

    // Connected, and the device lists are loaded.
    bool connected() const;
    // The first connection attempt is still under way.
    bool attempting() const;

    std::vector<PulseDevice> devices(Direction direction) const;
    std::optional<PulseDevice> device(Direction direction, int number) const;
    // The number of the server's default sink or source; -1 while the server names none or
    // one not (yet) listed.
    int defaultDevice(Direction direction) const;
    PulseTraffic traffic() const;

    // `change` computes the new volume from the cached state. Absent devices are left alone.
    void changeVolume(Direction direction, int number,
                      const std::function<pa_cvolume(const PulseDevice &)> &change);
    void changeMute(Direction direction, int number, bool mute);
    void changePort(Direction direction, int number, const std::string &port);

    pa_threaded_mainloop *mainloop() const { return mainloop_.get(); }
    std::vector<ApplicationInfo> applications() const;
    // Where application entry `number` plays now: its sink input and the monitor source of that
    // sink. Nothing while it plays nothing (or its sink is not known yet).
    struct ApplicationStream {
        uint32_t sinkInput = PA_INVALID_INDEX;
        std::string monitorSource;
        bool playing = true;  // not paused (corked); no part of the stream's identity
        bool operator==(const ApplicationStream &other) const {
            return sinkInput == other.sinkInput && monitorSource == other.monitorSource;
        }
        bool operator!=(const ApplicationStream &other) const { return !(*this == other); }
    };
    std::optional<ApplicationStream> applicationStream(int number) const;

    // The current context, null while there is none. Only with the mainloop's lock held.
    pa_context *context() const { return context_.get(); }

private:
    enum class MixerField { Volume, Mute, Port };
    // A change of ours the server has not acknowledged yet.
    struct PendingWrite {
        PulseConnection *connection;
        Direction direction;
        int number;
        MixerField field;
    };

    static void onContextState(pa_context *context, void *self);
    static void onEvent(pa_context *context, pa_subscription_event_type_t type, uint32_t index,
                        void *self);
    static void onServerInfo(pa_context *context, const pa_server_info *info, void *self);
    static void onDefaultsChanged(pa_context *context, const pa_server_info *info, void *self);
    static void onSinkList(pa_context *context, const pa_sink_info *info, int eol, void *self);
    static void onSinkInfo(pa_context *context, const pa_sink_info *info, int eol, void *self);
    static void onSourceList(pa_context *context, const pa_source_info *info, int eol, void *self);
    static void onSourceInfo(pa_context *context, const pa_source_info *info, int eol, void *self);
    static void onSinkInputList(pa_context *context, const pa_sink_input_info *info, int eol,
                                void *self);
    static void onSinkInputInfo(pa_context *context, const pa_sink_input_info *info, int eol,
                                void *self);
    void receivedSinkInput(pa_context *context, const pa_sink_input_info &info);
    static void onWriteDone(pa_context *context, int success, void *write);
    static void onRetry(pa_mainloop_api *api, pa_time_event *event, const struct timeval *tv,
                        void *self);
    static void onRecheck(pa_mainloop_api *api, pa_time_event *event, const struct timeval *tv,
                          void *self);

    void connect();
    void dropContext();
    void loadEverything();
    void listDone();
    void lost();
    void scheduleRetry(pa_usec_t delayUs);
    // Mainloop thread: a device as the server reported it.
    void received(Direction direction, PulseDevice device);
    // Asks the server for its defaults again; the answer goes to onDefaultsChanged.
    void askDefaults();
    // Asks once more a moment after the last news of a burst: a server may announce a new
    // default before its answers show it, and send nothing after.
    void recheckDefaultsSoon();
    void takeDefaults(const pa_server_info &info);
    // A question for the defaults was answered with an error.
    void defaultsFailed();
    void refresh(Direction direction, int number);
    bool writing(Direction direction, int number, MixerField field) const;
    // With the lock held: a present device's server name, or empty.
    std::string presentName(Direction direction, int number) const;
    // Updates a present device's cached state (`update` returns false when there is nothing
    // to send) and then sends the change to the server by the device's name.
    void changeDevice(Direction direction, int number, MixerField field,
                      const std::function<bool(PulseDevice &)> &update,
                      const std::function<pa_operation *(
                          const char *name, pa_context_success_cb_t done, void *write)> &send);
    void notifyDevices();
    void notifyMixer(Direction direction, int number);

    PulseDeviceTable &table(Direction direction) {
        return direction == Direction::Output ? sinks_ : sources_;
    }
    const PulseDeviceTable &table(Direction direction) const {
        return direction == Direction::Output ? sinks_ : sources_;
    }

    PulseMainloopPtr mainloop_;
    // Mainloop lock.
    PulseConnectionListener *listener_;
    PulseContextPtr context_;
    PulseTimeEvent retry_;
    PulseTimeEvent recheck_;
    int listsPending_ = 0;
    int defaultsFailedInRow_ = 0;
    std::list<PendingWrite> writes_;

    // Cache mutex.
    mutable std::mutex mutex_;
    bool attemptDone_ = false;
    bool ready_ = false;
    PulseDeviceTable sinks_;
    PulseDeviceTable sources_;
    ApplicationTable applications_;
    std::set<uint32_t> corkedInputs_;  // sink inputs paused by their application
    std::string defaultSink_;
    std::string defaultSource_;
    PulseTraffic traffic_;
};
