#include "audio/devices/pulse_streams.h"

#include "audio/devices/pulse_connection.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <utility>

#include <QCoreApplication>

namespace {

constexpr pa_usec_t kOpenTimeoutUs = 5 * PA_USEC_PER_SEC;
// The server wakes to hand over a fragment of this length: long enough to spare it (and the
// laptop's battery) most wake-ups, shorter than the recorder's 50 ms level timer so that
// nearly every tick finds new frames. PipeWire takes it as the stream's latency and sizes its
// graph's period from it; from 42.7 ms on (2048 frames at 48 kHz) it stalled a resampled
// capture (22050 Hz) for about half a second whenever the period changed, e.g. when another
// stream ended. At 40 ms it did not.
constexpr pa_usec_t kCaptureFragmentUs = 40 * PA_USEC_PER_MSEC;
// How long finish() waits for the frames the server still holds.
constexpr pa_usec_t kFinishTimeoutUs = 1000 * PA_USEC_PER_MSEC;
constexpr pa_usec_t kPlaybackTargetUs = 80 * PA_USEC_PER_MSEC;
constexpr pa_usec_t kTickUs = 20 * PA_USEC_PER_MSEC;
constexpr int kPlaybackChunkMs = 250;
constexpr int kSilenceFrames = 4096;

pa_sample_spec sampleSpec(const StreamFormat &format) {
    pa_sample_spec spec;
    spec.format = PA_SAMPLE_S16NE;
    spec.rate = static_cast<uint32_t>(format.frequency);
    spec.channels = static_cast<uint8_t>(format.channels);
    return spec;
}

int64_t monotonicMicroseconds() {
    return std::chrono::duration_cast<std::chrono::microseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

}  // namespace

PulseStream::PulseStream(std::shared_ptr<PulseConnection> connection, const PulseDevice &device,
                         const StreamFormat &format)
    : format_(format),
      frameBytes_(static_cast<size_t>(format.channels) * sizeof(int16_t)),
      connection_(std::move(connection)),
      deviceName_(device.name),
      deviceDescription_(device.description) {}

PulseStream::~PulseStream() {
    close();
}

pa_threaded_mainloop *PulseStream::mainloop() const {
    return connection_->mainloop();
}

bool PulseStream::open(const char *mediaName,
                       const std::function<int(pa_stream *, const char *)> &connect,
                       QString *error) {
    const QString failure = QCoreApplication::translate("PulseStreams", "Could not open \"%1\": %2")
                                .arg(deviceDescription_);
    PulseLock lock(mainloop());
    pa_context *current = connection_->context();
    if (!current || pa_context_get_state(current) != PA_CONTEXT_READY) {
        *error = QCoreApplication::translate("PulseStreams", "No sound server is running.");
        return false;
    }
    context_ = shareContext(current);
    const pa_sample_spec spec = sampleSpec(format_);
    PulsePropListPtr properties(pa_proplist_new());
    pa_proplist_sets(properties.get(), PA_PROP_MEDIA_NAME, mediaName);
    pa_proplist_sets(properties.get(), PA_PROP_MEDIA_ROLE, "production");
    stream_.reset(
        pa_stream_new_with_proplist(context_.get(), mediaName, &spec, nullptr, properties.get()));
    if (!stream_) {
        *error = failure.arg(QString::fromUtf8(pa_strerror(pa_context_errno(current))));
        return false;
    }
    pa_stream_set_state_callback(stream_.get(), &PulseStream::onState, this);
    if (connect(stream_.get(), deviceName_.c_str()) < 0) {
        *error = failure.arg(QString::fromUtf8(pa_strerror(pa_context_errno(current))));
        pa_stream_set_state_callback(stream_.get(), nullptr, nullptr);
        stream_.reset();
        return false;
    }
    pa_mainloop_api *api = pa_threaded_mainloop_get_api(mainloop());
    struct timeval when;
    pa_timeval_add(pa_gettimeofday(&when), kOpenTimeoutUs);
    openTimeout_ =
        PulseTimeEvent(api, api->time_new(api, &when, &PulseStream::onOpenTimeout, this));
    return true;
}

void PulseStream::close() {
    if (!connection_->mainloop())
        return;
    PulseLock lock(mainloop());
    openTimeout_.reset();
    if (stream_) {
        pa_stream_set_state_callback(stream_.get(), nullptr, nullptr);
        pa_stream_set_read_callback(stream_.get(), nullptr, nullptr);
        pa_stream_set_write_callback(stream_.get(), nullptr, nullptr);
        const pa_stream_state_t state = pa_stream_get_state(stream_.get());
        if (state == PA_STREAM_READY)
            pa_stream_disconnect(stream_.get());
        else if (state == PA_STREAM_CREATING)
            // The server has not answered yet, so it cannot be told to drop the stream now;
            // the context keeps it until it does.
            pa_stream_set_state_callback(stream_.get(), &PulseStream::disconnectWhenReady, nullptr);
        stream_.reset();
    }
    context_.reset();
}

void PulseStream::disconnectWhenReady(pa_stream *stream, void *) {
    if (pa_stream_get_state(stream) == PA_STREAM_READY)
        pa_stream_disconnect(stream);
}

void PulseStream::onState(pa_stream *stream, void *self) {
    auto *me = static_cast<PulseStream *>(self);
    const pa_stream_state_t state = pa_stream_get_state(stream);
    if (me->state_ == State::Failed)
        return;
    if (state == PA_STREAM_READY) {
        me->openTimeout_.reset();
        me->state_ = State::Running;
    } else if (state == PA_STREAM_FAILED || state == PA_STREAM_TERMINATED) {
        if (me->state_ == State::Opening)
            me->fail(QCoreApplication::translate("PulseStreams", "Could not open \"%1\": %2")
                         .arg(me->deviceDescription_, QString::fromUtf8(pa_strerror(
                                                          pa_context_errno(me->context_.get())))));
        else
            me->fail(me->lostReason());
    }
}

void PulseStream::onOpenTimeout(pa_mainloop_api *, pa_time_event *, const struct timeval *,
                                void *self) {
    auto *me = static_cast<PulseStream *>(self);
    if (me->state_ == State::Opening)
        me->fail(QCoreApplication::translate(
                     "PulseStreams", "Could not open \"%1\": the sound server did not answer.")
                     .arg(me->deviceDescription_));
}

// Mainloop thread: tells the client, once.
void PulseStream::fail(const QString &reason) {
    openTimeout_.reset();
    state_ = State::Failed;
    lost(reason);
}

QString PulseStream::lostReason() const {
    if (pa_context_get_state(context_.get()) != PA_CONTEXT_READY)
        return QCoreApplication::translate("PulseStreams",
                                           "The connection to the sound server was lost.");
    return QCoreApplication::translate("PulseStreams",
                                       "The sound device \"%1\" is no longer available.")
        .arg(deviceDescription_);
}

// Capture

PulseCaptureStream::PulseCaptureStream(std::shared_ptr<PulseConnection> connection,
                                       const PulseDevice &device, const StreamFormat &format,
                                       CaptureSink *sink)
    : PulseStream(std::move(connection), device, format),
      sink_(sink),
      silence_(static_cast<size_t>(kSilenceFrames) * format.channels, 0),
      frontier_(format.frequency) {}

PulseCaptureStream::~PulseCaptureStream() {
    {
        PulseLock lock(mainloop());
        finishTimeout_.reset();
    }
    close();
}

bool PulseCaptureStream::start(QString *error) {
    return open(
        "Recording",
        [this](pa_stream *stream, const char *device) {
            pa_stream_set_read_callback(stream, &PulseCaptureStream::onRead, this);
            const pa_sample_spec spec = sampleSpec(format_);
            pa_buffer_attr attributes;
            attributes.maxlength = static_cast<uint32_t>(-1);
            attributes.tlength = static_cast<uint32_t>(-1);
            attributes.prebuf = static_cast<uint32_t>(-1);
            attributes.minreq = static_cast<uint32_t>(-1);
            attributes.fragsize =
                static_cast<uint32_t>(pa_usec_to_bytes(kCaptureFragmentUs, &spec));
            const auto flags =
                static_cast<pa_stream_flags_t>(PA_STREAM_ADJUST_LATENCY | PA_STREAM_DONT_MOVE);
            return pa_stream_connect_record(stream, device, &attributes, flags);
        },
        error);
}

bool PulseCaptureStream::finish(std::function<void()> done) {
    PulseLock lock(mainloop());
    pa_stream *current = stream();
    if (finishAt_ >= 0 && !finished_) {  // one is under way: this one ends with it
        finishDone_ = [first = std::move(finishDone_), done = std::move(done)] {
            first();
            done();
        };
        return false;
    }
    const int64_t target = frontier_.framesCapturedBy(monotonicMicroseconds());
    if (finished_ || !current || pa_stream_get_state(current) != PA_STREAM_READY ||
        target <= received_) {
        finished_ = true;
        return true;
    }
    finishAt_ = target;
    finishDone_ = std::move(done);
    pa_mainloop_api *api = pa_threaded_mainloop_get_api(mainloop());
    struct timeval when;
    pa_timeval_add(pa_gettimeofday(&when), kFinishTimeoutUs);
    finishTimeout_ =
        PulseTimeEvent(api, api->time_new(api, &when, &PulseCaptureStream::onFinishTimeout, this));
    return false;
}

void PulseCaptureStream::onFinishTimeout(pa_mainloop_api *, pa_time_event *, const struct timeval *,
                                         void *self) {
    static_cast<PulseCaptureStream *>(self)->completeFinish();
}

// Mainloop thread.
void PulseCaptureStream::completeFinish() {
    if (finished_)
        return;
    finished_ = true;
    finishTimeout_.reset();
    if (finishDone_)
        std::exchange(finishDone_, nullptr)();
}

void PulseCaptureStream::onRead(pa_stream *stream, size_t, void *self) {
    auto *me = static_cast<PulseCaptureStream *>(self);
    for (;;) {
        const void *data = nullptr;
        size_t bytes = 0;
        if (pa_stream_peek(stream, &data, &bytes) < 0 || bytes == 0)
            return;
        const int frames = static_cast<int>(bytes / me->frameBytes_);
        me->deliver(static_cast<const int16_t *>(data), frames);
        pa_stream_drop(stream);
    }
}

// Mainloop thread: hands on a fragment (null: a hole), or after a finish() the part of it
// captured before the finish.
void PulseCaptureStream::deliver(const int16_t *samples, int frames) {
    if (finished_)
        return;
    const bool finishing = finishAt_ >= 0;
    if (finishing)
        frames = static_cast<int>(std::min<int64_t>(frames, finishAt_ - received_));
    if (samples) {
        sink_->captured(samples, frames);
    } else {
        // A hole: the server lost data. Silence keeps the timeline; the recorder counts the
        // gap.
        sink_->lostFrames(frames);
        for (int done = 0; done < frames;) {
            const int chunk = std::min(frames - done, kSilenceFrames);
            sink_->captured(silence_.data(), chunk);
            done += chunk;
        }
    }
    received_ += frames;
    if (!finishing)
        frontier_.arrived(received_, monotonicMicroseconds());
    else if (received_ >= finishAt_)
        completeFinish();
}

// Playback

PulsePlaybackStream::PulsePlaybackStream(std::shared_ptr<PulseConnection> connection,
                                         const PulseDevice &device, const StreamFormat &format,
                                         PlaybackSource *source)
    : PulseStream(std::move(connection), device, format),
      source_(source),
      buffer_(static_cast<size_t>(format.frequency) * kPlaybackChunkMs / 1000 * format.channels),
      clock_(format.frequency) {}

PulsePlaybackStream::~PulsePlaybackStream() {
    {
        PulseLock lock(mainloop());
        tick_.reset();
        timingRequest_.cancel();
        drainRequest_.cancel();
    }
    close();
}

bool PulsePlaybackStream::start(QString *error) {
    const bool opened = open(
        "Playback",
        [this](pa_stream *stream, const char *device) {
            pa_stream_set_write_callback(stream, &PulsePlaybackStream::onWrite, this);
            const pa_sample_spec spec = sampleSpec(format_);
            pa_buffer_attr attributes;
            attributes.maxlength = static_cast<uint32_t>(-1);
            attributes.tlength = static_cast<uint32_t>(pa_usec_to_bytes(kPlaybackTargetUs, &spec));
            attributes.prebuf = static_cast<uint32_t>(-1);
            attributes.minreq = static_cast<uint32_t>(-1);
            attributes.fragsize = static_cast<uint32_t>(-1);
            const auto flags =
                static_cast<pa_stream_flags_t>(PA_STREAM_ADJUST_LATENCY | PA_STREAM_DONT_MOVE);
            return pa_stream_connect_playback(stream, device, &attributes, flags, nullptr, nullptr);
        },
        error);
    if (!opened)
        return false;
    PulseLock lock(mainloop());
    armTick();
    return true;
}

void PulsePlaybackStream::onWrite(pa_stream *, size_t bytes, void *self) {
    static_cast<PulsePlaybackStream *>(self)->pump(bytes);
}

// Mainloop thread: hand the server as much as it has room for and the source has.
void PulsePlaybackStream::pump(size_t bytes) {
    if (bytes == static_cast<size_t>(-1) || (drained_ && readAheadBytes_ < 0))
        return;  // after a drain: first where the server reads (see onDrained)
    const int bufferFrames = static_cast<int>(buffer_.size() / format_.channels);
    int room = static_cast<int>(std::min<size_t>(bytes / frameBytes_, INT32_MAX));
    while (room > 0) {
        const int asked = std::min(room, bufferFrames);
        const int got = std::clamp(source_->fill(buffer_.data(), asked), 0, asked);
        if (got > 0) {
            pa_stream_write(stream(), buffer_.data(), static_cast<size_t>(got) * frameBytes_,
                            nullptr, drained_ ? readAheadBytes_ : 0, PA_SEEK_RELATIVE);
            drained_ = false;
            written_ += got;
        }
        if (got < asked) {
            drain();
            return;
        }
        room -= got;
    }
}

// Mainloop thread: the source ran dry. Without a drain the server would keep the last
// part of its buffer until enough new data arrives to start playing again; with one it
// plays everything out and says when it has. One drain at a time: data written meanwhile
// is drained when the source runs dry again after it.
void PulsePlaybackStream::drain() {
    if (written_ == drainMark_ || drainRequest_.running())
        return;
    drainMark_ = written_;
    clock_.drainStarted(drainMark_, monotonicMicroseconds());
    drainRequest_ =
        PulsePendingOperation(pa_stream_drain(stream(), &PulsePlaybackStream::onDrained, this));
}

void PulsePlaybackStream::onDrained(pa_stream *, int success, void *self) {
    auto *me = static_cast<PulsePlaybackStream *>(self);
    // A failed drain leaves the end to the timing reports.
    if (!success)
        return;
    me->heard_ = me->clock_.drainFinished(me->drainMark_);
    if (me->written_ != me->drainMark_)
        return;
    // PipeWire plays the last period out with silence and its read position then stands
    // past our data; data written at our position would be late there and its first part
    // dropped. So the next write skips to the read position, which a fresh timing report
    // gives (PulseAudio's stays where our data ended).
    me->drained_ = true;
    me->readAheadBytes_ = -1;
    me->timingRequest_ = PulsePendingOperation(
        pa_stream_update_timing_info(me->stream(), &PulsePlaybackStream::onTiming, me));
}

void PulsePlaybackStream::armTick() {
    pa_mainloop_api *api = pa_threaded_mainloop_get_api(mainloop());
    struct timeval when;
    pa_timeval_add(pa_gettimeofday(&when), kTickUs);
    if (tick_.get())
        api->time_restart(tick_.get(), &when);
    else
        tick_ = PulseTimeEvent(api, api->time_new(api, &when, &PulsePlaybackStream::onTick, this));
}

// Mainloop thread, every 20 ms: resume after the source ran dry (the server asks for data
// only as it consumes some, so it would not ask again) and refresh the timing.
void PulsePlaybackStream::onTick(pa_mainloop_api *, pa_time_event *, const struct timeval *,
                                 void *self) {
    auto *me = static_cast<PulsePlaybackStream *>(self);
    pa_stream *stream = me->stream();
    if (!stream || pa_stream_get_state(stream) != PA_STREAM_READY) {
        if (stream && pa_stream_get_state(stream) == PA_STREAM_CREATING)
            me->armTick();  // still opening
        return;
    }
    me->pump(pa_stream_writable_size(stream));
    if (!me->timingRequest_.running())
        me->timingRequest_ = PulsePendingOperation(
            pa_stream_update_timing_info(stream, &PulsePlaybackStream::onTiming, self));
    me->armTick();
}

void PulsePlaybackStream::onTiming(pa_stream *stream, int success, void *self) {
    auto *me = static_cast<PulsePlaybackStream *>(self);
    const pa_timing_info *timing = pa_stream_get_timing_info(stream);
    if (!success || !timing || timing->read_index_corrupt || timing->write_index_corrupt) {
        if (me->drained_ && me->readAheadBytes_ < 0)
            me->readAheadBytes_ = 0;  // unknown: write on rather than stall
        return;
    }
    if (me->drained_ && me->readAheadBytes_ < 0)
        me->readAheadBytes_ = std::max<int64_t>(0, timing->read_index - timing->write_index);
    // Counted back from what is still queued, since the server's indices include the
    // jumps of writes placed at its read position.
    const int64_t queued = std::max<int64_t>(0, timing->write_index - timing->read_index) /
                           static_cast<int64_t>(me->frameBytes_);
    const int64_t read = me->written_ - queued;
    me->heard_ = me->clock_.update(read, me->written_, timing->sink_usec, monotonicMicroseconds());
}
