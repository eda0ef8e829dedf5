// Owning wrappers for libpulse handles, so every object is released on every path.
//
// libpulse objects that belong to a threaded mainloop may only be touched with the
// mainloop's lock held (or on its own thread); whoever resets one of these pointers must
// hold PulseLock at that moment.
#pragma once

#include "audio/devices/pulse_api.h"

#include <memory>

// Each release is a call (through pulse_api.h), not a function pointer, so that no pointer to
// libpulse is taken before it is loaded.
#define KORVANTA_PULSE_RELEASE(Name, Type, release) \
    struct Name {                                   \
        void operator()(Type *handle) const {       \
            if (handle)                             \
                release(handle);                    \
        }                                           \
    };
// Freeing the mainloop stops and joins its thread first.
KORVANTA_PULSE_RELEASE(PulseMainloopFree, pa_threaded_mainloop, pa_threaded_mainloop_free)
KORVANTA_PULSE_RELEASE(PulseContextUnref, pa_context, pa_context_unref)
KORVANTA_PULSE_RELEASE(PulseStreamUnref, pa_stream, pa_stream_unref)
KORVANTA_PULSE_RELEASE(PulseOperationUnref, pa_operation, pa_operation_unref)
KORVANTA_PULSE_RELEASE(PulsePropListFree, pa_proplist, pa_proplist_free)
#undef KORVANTA_PULSE_RELEASE

using PulseMainloopPtr = std::unique_ptr<pa_threaded_mainloop, PulseMainloopFree>;
using PulseContextPtr = std::unique_ptr<pa_context, PulseContextUnref>;
using PulseStreamPtr = std::unique_ptr<pa_stream, PulseStreamUnref>;
using PulseOperationPtr = std::unique_ptr<pa_operation, PulseOperationUnref>;
using PulsePropListPtr = std::unique_ptr<pa_proplist, PulsePropListFree>;

// For requests whose answer nobody waits for: the request stays sent.
inline void forgetOperation(pa_operation *operation) {
    if (operation)
        pa_operation_unref(operation);
}

// A second reference to a context, e.g. for a stream that must outlive a reconnect.
inline PulseContextPtr shareContext(pa_context *context) {
    return PulseContextPtr(context ? pa_context_ref(context) : nullptr);
}

// An operation whose callback points at an object that may go away first: destroying the
// holder cancels the operation, so the callback never runs afterwards.
class PulsePendingOperation {
public:
    PulsePendingOperation() = default;
    explicit PulsePendingOperation(pa_operation *operation) : operation_(operation) {}
    PulsePendingOperation(PulsePendingOperation &&) = default;
    PulsePendingOperation &operator=(PulsePendingOperation &&other) {
        cancel();
        operation_ = std::move(other.operation_);
        return *this;
    }
    ~PulsePendingOperation() { cancel(); }

    bool running() const {
        return operation_ && pa_operation_get_state(operation_.get()) == PA_OPERATION_RUNNING;
    }
    void cancel() {
        if (running())
            pa_operation_cancel(operation_.get());
        operation_.reset();
    }

private:
    PulseOperationPtr operation_;
};

// A timer event of the mainloop; destroying it removes the event.
class PulseTimeEvent {
public:
    PulseTimeEvent() = default;
    PulseTimeEvent(const pa_mainloop_api *api, pa_time_event *event) : api_(api), event_(event) {}
    PulseTimeEvent(const PulseTimeEvent &) = delete;
    PulseTimeEvent &operator=(const PulseTimeEvent &) = delete;
    PulseTimeEvent &operator=(PulseTimeEvent &&other) {
        reset();
        api_ = other.api_;
        event_ = other.event_;
        other.event_ = nullptr;
        return *this;
    }
    ~PulseTimeEvent() { reset(); }

    pa_time_event *get() const { return event_; }
    void reset() {
        if (event_)
            api_->time_free(event_);
        event_ = nullptr;
    }

private:
    const pa_mainloop_api *api_ = nullptr;
    pa_time_event *event_ = nullptr;
};

// Holds the mainloop's lock for a scope. The lock is recursive, so nesting is harmless.
class PulseLock {
public:
    explicit PulseLock(pa_threaded_mainloop *mainloop) : mainloop_(mainloop) {
        pa_threaded_mainloop_lock(mainloop_);
    }
    ~PulseLock() { pa_threaded_mainloop_unlock(mainloop_); }
    PulseLock(const PulseLock &) = delete;
    PulseLock &operator=(const PulseLock &) = delete;

private:
    pa_threaded_mainloop *mainloop_;
};
