// Recording one application on the sound server: a record stream on the monitor of the
// sink the application plays to, restricted to the application's stream (its sink input),
// so other programs playing to the same sink are not heard.
//
// The capture follows the application rather than a device. A timer on the mainloop looks
// up where it plays now: when it moved to another sink, or a new stream of it replaced the
// old one, the record stream is made again there. While nothing comes (the application
// stopped, is paused, or the new record stream is still opening) silence is delivered in
// real time from the moment the last data came, so the recording's clock and file go on.
// Silence delivered while the application was playing (not paused) is sound that could not
// be had, as while the record stream is made again after a move or a restart: it is reported
// as lost frames. Moves and new streams are seen as the server announces them (PulseConnection
// follows its sink inputs), at the next tick.
// Only the loss of the server itself ends the capture through failed().
//
// finish() works as a device capture's does (see pulse_streams.h): what was captured up to
// that moment, data or silence, is handed on, nothing after it.
#pragma once

#include "audio/devices/audio_backend.h"
#include "audio/devices/capture_frontier.h"
#include "audio/devices/pulse_connection.h"
#include "audio/devices/pulse_handles.h"

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class PulseApplicationCapture : public AudioStream {
public:
    PulseApplicationCapture(std::shared_ptr<PulseConnection> connection, int application,
                            const StreamFormat &format, CaptureSink *sink);
    ~PulseApplicationCapture() override;
    // Starts following the application (on the mainloop; nothing waits here).
    void start();
    bool finish(std::function<void()> done) override;

private:
    static void onTick(pa_mainloop_api *api, pa_time_event *event, const struct timeval *tv,
                       void *self);
    static void onRead(pa_stream *stream, size_t bytes, void *self);
    static void disconnectWhenReady(pa_stream *stream, void *);
    // Mainloop thread.
    void follow();
    void connectTo(const PulseConnection::ApplicationStream &target);
    void dropStream();
    void fillSilence();
    void deliverSilence(int64_t frames);
    // Hands on frames (null: silence) up to a finish; false once finished.
    void deliver(const int16_t *samples, int64_t frames);
    void completeFinish();

    std::shared_ptr<PulseConnection> connection_;
    const int application_;
    const StreamFormat format_;
    const size_t frameBytes_;
    CaptureSink *sink_;
    std::vector<int16_t> silence_;
    // Mainloop lock.
    PulseContextPtr context_;
    PulseStreamPtr stream_;
    std::optional<PulseConnection::ApplicationStream> target_;  // what stream_ records
    int64_t retryAtUs_ = 0;         // a failed record stream is not remade before this
    int64_t lastDataUs_ = 0;        // when data (or the start) came last
    int64_t silenceSinceData_ = 0;  // frames of silence delivered since then
    bool awaitingData_ = true;      // no record stream has delivered since the last switch
    bool targetPlaying_ = false;    // the application plays (unpaused) where target_ is
    PulseTimeEvent tick_;
    bool failed_ = false;
    CaptureFrontier frontier_;
    int64_t received_ = 0;   // frames handed on, silence included
    int64_t finishAt_ = -1;  // finish(): the frames to hand on in all; -1 before
    int64_t finishDeadlineUs_ = 0;
    bool finished_ = false;
    std::function<void()> finishDone_;
};
