// Capture and playback streams on the sound server.
//
// Opening does not wait for the server: the stream connects in the background, and if that
// fails (or the server does not answer within a few seconds) the client's failed() is called
// before any frame was delivered.
//
// Both ask for the format the component wants (the server converts from the device's own).
// Capture asks for fragments of 40 ms. Playback keeps about half a second at the server and
// refills it an eighth of a second at a time, so that neither the server nor we wake up
// every few milliseconds; that buffer costs no responsiveness, since a stop, pause or seek
// closes the stream, which drops what it held at once. Both refuse to be moved to another
// device: when their device disappears, or the server does, they fail and say so through
// failed() rather than silently carrying on elsewhere.
//
// A capture also notices frames the server dropped without marking a hole (its buffer for us
// overflowed while this process did not read): CaptureContinuity finds them from the arrivals,
// sooner where the server announces an overflow, and the sink hears of them as missed frames.
//
// A capture's last fragment is still on its way when the recording stops, so finish()
// reads on until the frames captured up to that moment have come (CaptureFrontier says
// which), hands on those and no later ones, and says so; a server that holds them back
// longer than a second is not waited for.
//
// Playback pulls from the source only when the server has room, and never writes silence
// of its own. When the source runs dry and has no more to come (or stays dry for a few
// ticks) it drains the stream: the server plays out what it holds (otherwise the last
// fraction of a buffer, or PipeWire's last partial period, would wait for more data for
// ever) and says when it has. framesPlayed() follows the server's timing reports and the
// drains (see PulsePlaybackClock), so it counts what was heard, not what was handed over,
// and reaches everything written once a drain completed. Between two reports it runs on
// with the monotonic clock while the server plays, so positions move smoothly although
// reports come only with the server's requests for data.
#pragma once

#include "audio/devices/audio_backend.h"
#include "audio/devices/capture_continuity.h"
#include "audio/devices/capture_frontier.h"
#include "audio/devices/pulse_device_table.h"
#include "audio/devices/pulse_handles.h"
#include "audio/devices/pulse_playback_clock.h"

#include <QString>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class PulseConnection;

class PulseStream : public AudioStream {
public:
    ~PulseStream() override;

protected:
    PulseStream(std::shared_ptr<PulseConnection> connection, const PulseDevice &device,
                const StreamFormat &format);

    // Creates the stream and lets `connect` set its callbacks and connect it; false, with
    // *error set, when that is refused at once. The server's answer comes later: when it
    // refuses, or does not answer in time, lost() follows.
    bool open(const char *mediaName, const std::function<int(pa_stream *, const char *)> &connect,
              QString *error);
    // Detaches every callback and releases the stream; a derived class calls it first thing
    // in its destructor, so no callback reaches a half-destroyed object.
    void close();
    // The stream could not be opened, or broke after it ran: called once, on the mainloop's
    // thread.
    virtual void lost(const QString &reason) = 0;

    pa_threaded_mainloop *mainloop() const;
    pa_stream *stream() const { return stream_.get(); }
    pa_context *context() const { return context_.get(); }

    const StreamFormat format_;
    const size_t frameBytes_;

private:
    enum class State { Opening, Running, Failed };
    static void onState(pa_stream *stream, void *self);
    static void onOpenTimeout(pa_mainloop_api *api, pa_time_event *event, const struct timeval *tv,
                              void *self);
    static void disconnectWhenReady(pa_stream *stream, void *);
    void fail(const QString &reason);
    QString lostReason() const;

    std::shared_ptr<PulseConnection> connection_;
    std::string deviceName_;
    QString deviceDescription_;
    PulseContextPtr context_;  // ours, so a reconnect does not pull it away under the stream
    PulseStreamPtr stream_;
    // Mainloop lock.
    PulseTimeEvent openTimeout_;
    State state_ = State::Opening;
};

class PulseCaptureStream : public PulseStream {
public:
    PulseCaptureStream(std::shared_ptr<PulseConnection> connection, const PulseDevice &device,
                       const StreamFormat &format, CaptureSink *sink);
    ~PulseCaptureStream() override;
    bool start(QString *error);
    bool finish(std::function<void()> done) override;

private:
    static void onRead(pa_stream *stream, size_t bytes, void *self);
    static void onFinishTimeout(pa_mainloop_api *api, pa_time_event *event,
                                const struct timeval *tv, void *self);
    static void onOverflow(pa_stream *stream, void *self);
    void deliver(const int16_t *samples, int frames);
    void completeFinish();
    void lost(const QString &reason) override { sink_->failed(reason); }

    CaptureSink *sink_;
    std::vector<int16_t> silence_;  // stands in for holes the server reports
    // Mainloop lock.
    CaptureFrontier frontier_;
    CaptureContinuity continuity_;
    int64_t received_ = 0;   // frames handed on, holes included
    int64_t finishAt_ = -1;  // finish(): the frames to hand on in all; -1 before
    bool finished_ = false;  // every frame up to the finish was handed on: no more
    std::function<void()> finishDone_;
    PulseTimeEvent finishTimeout_;
};

class PulsePlaybackStream : public PulseStream {
public:
    PulsePlaybackStream(std::shared_ptr<PulseConnection> connection, const PulseDevice &device,
                        const StreamFormat &format, PlaybackSource *source);
    ~PulsePlaybackStream() override;
    bool start(QString *error);

    int64_t framesPlayed() const override;
    int playsOnMs() const override;

private:
    static constexpr int64_t kNotRolling = INT64_MIN;

    static void onWrite(pa_stream *stream, size_t bytes, void *self);
    static void onTick(pa_mainloop_api *api, pa_time_event *event, const struct timeval *tv,
                       void *self);
    static void onTiming(pa_stream *stream, int success, void *self);
    static void onDrained(pa_stream *stream, int success, void *self);
    static void onStarted(pa_stream *stream, void *self);
    void pump(size_t bytes);
    void drain();
    void armTick();
    void requestTiming();
    void publishHeard(int64_t heard, bool rolling);
    void lost(const QString &reason) override { source_->failed(reason); }

    PlaybackSource *source_;
    std::vector<int16_t> buffer_;
    // Mainloop thread only.
    int64_t written_ = 0;
    int64_t drainMark_ = 0;       // written_ when the last drain was asked for
    bool drained_ = false;        // that drain completed, and nothing was written since
    int64_t readAheadBytes_ = 0;  // how far the server's read position is past our data; -1
                                  // until a timing report after the drain told
    bool dry_ = false;            // the last pump found the source short of data
    int dryPumps_ = 0;            // pumps in a row that found it so while more was to come
    bool started_ = false;        // the server has begun to play this stream
    PulseTimeEvent tick_;
    PulsePendingOperation timingRequest_;
    PulsePendingOperation drainRequest_;
    PulsePlaybackClock clock_;
    // Read by framesPlayed() on any thread.
    std::atomic<int64_t> heard_{0};                    // as of the latest report or drain
    std::atomic<int64_t> rollingOrigin_{kNotRolling};  // while playing: heard at monotonic
                                                       // time 0, in frames
    std::atomic<int64_t> writtenFrames_{0};
};
