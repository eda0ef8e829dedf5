// The process's connection to the sound server: a libpulse context on a threaded mainloop.
//
// Sinks and sources (descriptions, volumes, ports) are cached from the server's change
// events, so reading them costs no round trip; mixer changes go into the cache at once and
// are sent without waiting for the answer. Nothing here blocks for long: only the
// constructor waits, a few seconds at most, for the first device lists. When the server
// goes away every device becomes absent, and a new connection is tried every two seconds;
// devices keep their numbers across that (see PulseDeviceTable).
//
// Threads: the public methods may be called from any thread except the mainloop's own
// (they take its lock or the cache's mutex); the libpulse callbacks run on the mainloop's
// thread with its lock held, and take the cache's mutex after it, never the other way.
#pragma once

#include "audio/devices/audio_backend.h"
#include "audio/devices/pulse_device_table.h"
#include "audio/devices/pulse_handles.h"

#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

class PulseConnection {
public:
    PulseConnection();
    ~PulseConnection();
    PulseConnection(const PulseConnection &) = delete;
    PulseConnection &operator=(const PulseConnection &) = delete;

    // Connected, and the device lists are loaded.
    bool connected() const;

    std::vector<PulseDevice> devices(Direction direction) const;
    std::optional<PulseDevice> device(Direction direction, int number) const;
    // The number of the server's default sink or source; 0 when unknown.
    int defaultDevice(Direction direction) const;

    // `change` computes the new volume from the cached state. Absent devices are left alone.
    void changeVolume(Direction direction, int number,
                      const std::function<pa_cvolume(const PulseDevice &)> &change);
    void changeMute(Direction direction, int number, bool mute);
    void changePort(Direction direction, int number, const std::string &port);

    pa_threaded_mainloop *mainloop() const { return mainloop_.get(); }
    // The current context, null while there is none. Only with the mainloop's lock held.
    pa_context *context() const { return context_.get(); }

private:
    static void onContextState(pa_context *context, void *self);
    static void onEvent(pa_context *context, pa_subscription_event_type_t type, uint32_t index,
                        void *self);
    static void onServerInfo(pa_context *context, const pa_server_info *info, void *self);
    static void onSinkList(pa_context *context, const pa_sink_info *info, int eol, void *self);
    static void onSinkInfo(pa_context *context, const pa_sink_info *info, int eol, void *self);
    static void onSourceList(pa_context *context, const pa_source_info *info, int eol, void *self);
    static void onSourceInfo(pa_context *context, const pa_source_info *info, int eol, void *self);
    static void onRetry(pa_mainloop_api *api, pa_time_event *event, const struct timeval *tv,
                        void *self);

    void connect();
    void dropContext();
    void loadEverything();
    void listDone();
    void lost();
    void scheduleRetry();
    void finishAttempt(bool ready);
    // With the lock held: a present device's server name, or empty.
    std::string presentName(Direction direction, int number) const;
    // Updates a present device's cached state (`update` returns false when there is nothing
    // to send) and then sends the change to the server by the device's name.
    void changeDevice(Direction direction, int number,
                      const std::function<bool(PulseDevice &)> &update,
                      const std::function<pa_operation *(const char *name)> &send);

    PulseDeviceTable &table(Direction direction) {
        return direction == Direction::Output ? sinks_ : sources_;
    }
    const PulseDeviceTable &table(Direction direction) const {
        return direction == Direction::Output ? sinks_ : sources_;
    }

    PulseMainloopPtr mainloop_;
    // Mainloop lock.
    PulseContextPtr context_;
    PulseTimeEvent retry_;
    int listsPending_ = 0;

    // Cache mutex.
    mutable std::mutex mutex_;
    std::condition_variable attemptFinished_;
    bool attemptDone_ = false;
    bool ready_ = false;
    PulseDeviceTable sinks_;
    PulseDeviceTable sources_;
    std::string defaultSink_;
    std::string defaultSource_;
};
