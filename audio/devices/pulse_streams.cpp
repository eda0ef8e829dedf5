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
// The server keeps about this much of a playback and asks for more a request's worth at a
// time; on PulseAudio the device then runs with periods of about (target - 2 requests) / 2.
// Each request wakes this process two or three times (the request, the timing report, the
// release of the written memory), so requests are a quarter of a second apart; the target
// keeps the device's periods at 125 ms.
constexpr pa_usec_t kPlaybackTargetUs = 750 * PA_USEC_PER_MSEC;
constexpr pa_usec_t kPlaybackRequestUs = 250 * PA_USEC_PER_MSEC;
// While the source is dry: how often it is asked again (the server asks only as it consumes
// data, so it would not), and how many of those asks find it dry while its data goes on
// before the stream is played out anyway.
constexpr pa_usec_t kTickUs = 20 * PA_USEC_PER_MSEC;
// Once the source has ended and the rest is draining, the ticks only refresh the timing (the
// drain says when the end is heard); the position runs on by the clock in between.
constexpr pa_usec_t kTailTickUs = 100 * PA_USEC_PER_MSEC;
constexpr int kDryPumpsBeforeDrain = 3;
// Positions run on from the latest timing report for at most this long: a server that
// stopped playing (or stopped answering) stops them soon.
constexpr int64_t kMaxRollUs = 400000;
// A report this close to where the running position is moves it gently.
constexpr int64_t kMaxSlewUs = 60000;
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
        pa_stream_set_overflow_callback(stream_.get(), nullptr, nullptr);
        pa_stream_set_write_callback(stream_.get(), nullptr, nullptr);
        pa_stream_set_started_callback(stream_.get(), nullptr, nullptr);
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
      frontier_(format.frequency),
      continuity_(format.frequency) {}

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
            pa_stream_set_overflow_callback(stream, &PulseCaptureStream::onOverflow, this);
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
    const int64_t target = frontier_.framesCapturedBy(monotonicMicroseconds() + kFinishMarginUs);
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
    if (finishing) {
        if (received_ >= finishAt_)
            completeFinish();
        return;
    }
    const int64_t now = monotonicMicroseconds();
    frontier_.arrived(received_, now);
    const CaptureContinuity::Loss loss = continuity_.arrived(received_, now);
    if (loss.frames > 0)
        sink_->missedFrames(loss.frames, loss.framesAgo);
}

// Mainloop thread: the server's buffer for us overflowed and it dropped frames.
void PulseCaptureStream::onOverflow(pa_stream *, void *self) {
    static_cast<PulseCaptureStream *>(self)->continuity_.overran();
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
            pa_stream_set_started_callback(stream, &PulsePlaybackStream::onStarted, this);
            const pa_sample_spec spec = sampleSpec(format_);
            pa_buffer_attr attributes;
            attributes.maxlength = static_cast<uint32_t>(-1);
            attributes.tlength = static_cast<uint32_t>(pa_usec_to_bytes(kPlaybackTargetUs, &spec));
            attributes.prebuf = static_cast<uint32_t>(-1);
            attributes.minreq = static_cast<uint32_t>(pa_usec_to_bytes(kPlaybackRequestUs, &spec));
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

// Mainloop thread: the server asks for more, which is also when the position is brought
// up to date (between requests it runs on by the clock).
void PulsePlaybackStream::onWrite(pa_stream *, size_t bytes, void *self) {
    auto *me = static_cast<PulsePlaybackStream *>(self);
    me->pump(bytes);
    me->requestTiming();
}

// Mainloop thread: the server began to play, at the start or after running dry; a timing
// report now tells where the sound is, so the position runs from here.
void PulsePlaybackStream::onStarted(pa_stream *, void *self) {
    auto *me = static_cast<PulsePlaybackStream *>(self);
    me->started_ = true;
    me->requestTiming();
    me->armTick();  // until a report has the position running
}

void PulsePlaybackStream::requestTiming() {
    if (!timingRequest_.running())
        timingRequest_ = PulsePendingOperation(
            pa_stream_update_timing_info(stream(), &PulsePlaybackStream::onTiming, this));
}

// Any thread: the latest heard position, run on by the clock while the server plays.
// The server asks for more once its buffer fell by a request's length below the target.
int PulsePlaybackStream::playsOnMs() const {
    return static_cast<int>((kPlaybackTargetUs - kPlaybackRequestUs) / PA_USEC_PER_MSEC);
}

int64_t PulsePlaybackStream::framesPlayed() const {
    const int64_t heard = heard_.load();
    const int64_t origin = rollingOrigin_.load();
    if (origin == kNotRolling)
        return heard;
    const int64_t estimate = origin + monotonicMicroseconds() * format_.frequency / 1000000;
    // Short of the last frame written: that everything was heard (which ends a playback, and
    // a stop then cuts off whatever is still playing) is for a report or a drain to say.
    const int64_t limit =
        std::min(writtenFrames_.load() - 1, heard + kMaxRollUs * format_.frequency / 1000000);
    return std::clamp(estimate, heard, std::max(heard, limit));
}

// Mainloop thread. The reports jitter by a few tens of milliseconds (the device's latency is
// measured in its own steps), so while the position runs on, a small difference moves it a
// quarter of the way only, and the report does not hold it back either.
void PulsePlaybackStream::publishHeard(int64_t heard, bool rolling) {
    const int64_t clockFrames = monotonicMicroseconds() * format_.frequency / 1000000;
    const int64_t origin = rollingOrigin_.load();
    if (!rolling) {
        rollingOrigin_ = kNotRolling;
    } else if (origin != kNotRolling && std::abs(heard - (origin + clockFrames)) <
                                            kMaxSlewUs * format_.frequency / 1000000) {
        const int64_t smoothed = origin + (heard - (origin + clockFrames)) / 4;
        rollingOrigin_ = smoothed;
        heard = std::min(heard, smoothed + clockFrames);
    } else {
        rollingOrigin_ = heard - clockFrames;
    }
    heard_ = heard;
}

// Mainloop thread: hand the server as much as it has room for and the source has.
void PulsePlaybackStream::pump(size_t bytes) {
    if (bytes == static_cast<size_t>(-1) || (drained_ && readAheadBytes_ < 0))
        return;  // after a drain: first where the server reads (see onDrained)
    const int bufferFrames = static_cast<int>(buffer_.size() / format_.channels);
    int room = static_cast<int>(std::min<size_t>(bytes / frameBytes_, INT32_MAX));
    while (room > 0) {
        // The frames go straight into the server's own memory where it lends some, which
        // saves a copy of everything played.
        int16_t *target = buffer_.data();
        int asked = std::min(room, bufferFrames);
        void *lent = nullptr;
        size_t lentBytes = static_cast<size_t>(asked) * frameBytes_;
        const bool borrowed = pa_stream_begin_write(stream(), &lent, &lentBytes) == 0 && lent &&
                              lentBytes >= frameBytes_;
        if (borrowed) {
            target = static_cast<int16_t *>(lent);
            asked = std::min(asked, static_cast<int>(lentBytes / frameBytes_));
        } else if (lent) {
            pa_stream_cancel_write(stream());
        }
        const int got = std::clamp(source_->fill(target, asked), 0, asked);
        if (got == 0 && borrowed)
            pa_stream_cancel_write(stream());
        if (got > 0) {
            pa_stream_write(stream(), target, static_cast<size_t>(got) * frameBytes_, nullptr,
                            drained_ ? readAheadBytes_ : 0, PA_SEEK_RELATIVE);
            drained_ = false;
            written_ += got;
            writtenFrames_ = written_;
        }
        if (got < asked) {
            // Short of data: ask again on the tick. A source whose data goes on gets a few
            // ticks to catch up (at the start, the server wants more than the first blocks);
            // one that has ended, or stays dry, is played out now.
            if (!dry_)
                armTick();
            dry_ = true;
            if (!source_->moreToCome() || ++dryPumps_ > kDryPumpsBeforeDrain)
                drain();
            return;
        }
        room -= got;
    }
    dry_ = false;
    dryPumps_ = 0;
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
    me->publishHeard(me->clock_.drainFinished(me->drainMark_), false);
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
    const bool tail = drainRequest_.running() && !source_->moreToCome();
    pa_timeval_add(pa_gettimeofday(&when), tail ? kTailTickUs : kTickUs);
    if (tick_.get())
        api->time_restart(tick_.get(), &when);
    else
        tick_ = PulseTimeEvent(api, api->time_new(api, &when, &PulsePlaybackStream::onTick, this));
}

// Mainloop thread, every 20 ms while the source is dry, and from the server's start until
// the position runs: ask the source again (the server asks for data only as it consumes
// some, so it would not) and refresh the timing, which tells when the sound started and
// when the tail was heard. Before the server has started there is no timing worth asking
// for; its start is announced (and the first write request after it asks anyway).
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
    if (me->started_ || me->drainRequest_.running())
        me->requestTiming();
    if (me->dry_ || (me->started_ && me->rollingOrigin_.load() == kNotRolling))
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
    const int64_t heard =
        me->clock_.update(read, me->written_, timing->sink_usec, monotonicMicroseconds());
    // Between reports the position runs on only while the server plays our data; it stops at
    // what was written.
    me->publishHeard(heard, timing->playing && queued > 0 && heard < me->written_);
}
