#include "audio/devices/pulse_application_capture.h"

#include <QCoreApplication>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <utility>

namespace {

constexpr pa_usec_t kTickUs = 20 * PA_USEC_PER_MSEC;
// As a device capture's (see pulse_streams.cpp): spares the server wake-ups, and stays below
// the level timer and below the quantum where PipeWire stalled resampled captures.
constexpr pa_usec_t kCaptureFragmentUs = 40 * PA_USEC_PER_MSEC;
// Data later than this counts as a gap to fill with silence; well above the fragment time,
// so the jitter of a running stream never does.
constexpr int64_t kGapUs = 150 * 1000;
constexpr int64_t kRetryUs = 500 * 1000;
constexpr int64_t kFinishTimeoutUs = 1000 * 1000;
constexpr int kSilenceFrames = 4096;

int64_t nowUs() {
    return std::chrono::duration_cast<std::chrono::microseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

}  // namespace

PulseApplicationCapture::PulseApplicationCapture(std::shared_ptr<PulseConnection> connection,
                                                 int application, const StreamFormat &format,
                                                 CaptureSink *sink)
    : connection_(std::move(connection)),
      application_(application),
      format_(format),
      frameBytes_(static_cast<size_t>(format.channels) * sizeof(int16_t)),
      sink_(sink),
      silence_(static_cast<size_t>(kSilenceFrames) * format.channels, 0),
      frontier_(format.frequency) {}

PulseApplicationCapture::~PulseApplicationCapture() {
    PulseLock lock(connection_->mainloop());
    tick_.reset();
    dropStream();
}

void PulseApplicationCapture::start() {
    PulseLock lock(connection_->mainloop());
    lastDataUs_ = nowUs();
    pa_mainloop_api *api = pa_threaded_mainloop_get_api(connection_->mainloop());
    struct timeval when;
    pa_gettimeofday(&when);
    tick_ = PulseTimeEvent(api, api->time_new(api, &when, &PulseApplicationCapture::onTick, this));
}

bool PulseApplicationCapture::finish(std::function<void()> done) {
    PulseLock lock(connection_->mainloop());
    const int64_t now = nowUs();
    if (finishAt_ >= 0 && !finished_) {  // one is under way: this one ends with it
        finishDone_ = [first = std::move(finishDone_), done = std::move(done)] {
            first();
            done();
        };
        return false;
    }
    const int64_t target = frontier_.framesCapturedBy(now + kFinishMarginUs);
    if (finished_ || failed_ || target <= received_) {
        finished_ = true;
        return true;
    }
    finishAt_ = target;
    finishDeadlineUs_ = now + kFinishTimeoutUs;
    finishDone_ = std::move(done);
    return false;
}

// Mainloop thread.
void PulseApplicationCapture::completeFinish() {
    if (finished_)
        return;
    finished_ = true;
    if (finishDone_)
        std::exchange(finishDone_, nullptr)();
}

void PulseApplicationCapture::onTick(pa_mainloop_api *api, pa_time_event *event,
                                     const struct timeval *, void *self) {
    auto *me = static_cast<PulseApplicationCapture *>(self);
    if (me->finishAt_ >= 0 && nowUs() >= me->finishDeadlineUs_)
        me->completeFinish();
    me->follow();
    if (me->failed_)
        return;
    struct timeval when;
    pa_timeval_add(pa_gettimeofday(&when), kTickUs);
    api->time_restart(event, &when);
}

void PulseApplicationCapture::follow() {
    if (!connection_->connected() || !connection_->context()) {
        dropStream();
        failed_ = true;
        sink_->failed(QCoreApplication::translate("PulseApplicationCapture",
                                                  "The connection to the sound server was lost."));
        return;
    }
    if (stream_) {
        const pa_stream_state_t state = pa_stream_get_state(stream_.get());
        if (state == PA_STREAM_FAILED || state == PA_STREAM_TERMINATED) {
            // The server ended it, as it does when the stream recorded goes away. Made again
            // after a pause if the application still plays there.
            const auto tried = target_;
            dropStream();
            target_ = tried;
            retryAtUs_ = nowUs() + kRetryUs;
        }
    }
    const auto where = connection_->applicationStream(application_);
    targetPlaying_ = where && where->playing;
    if (where != target_ || (!stream_ && where && nowUs() >= retryAtUs_)) {
        dropStream();
        if (where)
            connectTo(*where);
    }
    fillSilence();
}

// Mainloop thread: a record stream on the sink's monitor that hears the one sink input.
void PulseApplicationCapture::connectTo(const PulseConnection::ApplicationStream &target) {
    target_ = target;
    context_ = shareContext(connection_->context());
    pa_sample_spec spec;
    spec.format = PA_SAMPLE_S16NE;
    spec.rate = static_cast<uint32_t>(format_.frequency);
    spec.channels = static_cast<uint8_t>(format_.channels);
    PulsePropListPtr properties(pa_proplist_new());
    pa_proplist_sets(properties.get(), PA_PROP_MEDIA_NAME, "Recording");
    pa_proplist_sets(properties.get(), PA_PROP_MEDIA_ROLE, "production");
    stream_.reset(
        pa_stream_new_with_proplist(context_.get(), "Recording", &spec, nullptr, properties.get()));
    if (!stream_ || pa_stream_set_monitor_stream(stream_.get(), target.sinkInput) < 0) {
        dropStream();
        retryAtUs_ = nowUs() + kRetryUs;
        target_ = target;  // tried; retried after the pause
        return;
    }
    pa_stream_set_read_callback(stream_.get(), &PulseApplicationCapture::onRead, this);
    pa_buffer_attr attributes;
    attributes.maxlength = static_cast<uint32_t>(-1);
    attributes.tlength = static_cast<uint32_t>(-1);
    attributes.prebuf = static_cast<uint32_t>(-1);
    attributes.minreq = static_cast<uint32_t>(-1);
    attributes.fragsize = static_cast<uint32_t>(pa_usec_to_bytes(kCaptureFragmentUs, &spec));
    // Not moved by the server: following the application is done here.
    const auto flags =
        static_cast<pa_stream_flags_t>(PA_STREAM_ADJUST_LATENCY | PA_STREAM_DONT_MOVE);
    if (pa_stream_connect_record(stream_.get(), target.monitorSource.c_str(), &attributes, flags) <
        0) {
        dropStream();
        retryAtUs_ = nowUs() + kRetryUs;
        target_ = target;
    }
}

void PulseApplicationCapture::dropStream() {
    target_.reset();
    awaitingData_ = true;
    if (stream_) {
        pa_stream_set_read_callback(stream_.get(), nullptr, nullptr);
        pa_stream_set_state_callback(stream_.get(), nullptr, nullptr);
        const pa_stream_state_t state = pa_stream_get_state(stream_.get());
        if (state == PA_STREAM_READY)
            pa_stream_disconnect(stream_.get());
        else if (state == PA_STREAM_CREATING)
            // Not answered yet: the server can be told to drop it only once it has.
            pa_stream_set_state_callback(stream_.get(),
                                         &PulseApplicationCapture::disconnectWhenReady, nullptr);
        stream_.reset();
    }
    context_.reset();
}

void PulseApplicationCapture::disconnectWhenReady(pa_stream *stream, void *) {
    if (pa_stream_get_state(stream) == PA_STREAM_READY)
        pa_stream_disconnect(stream);
}

// Mainloop thread: nothing came for longer than a running stream ever keeps us waiting (or
// no stream runs, as after a switch to another sink), so the gap since the last data is
// silence, delivered as time passes.
void PulseApplicationCapture::fillSilence() {
    const int64_t silentUs = nowUs() - lastDataUs_;
    if (silentUs < (awaitingData_ ? 0 : kGapUs))
        return;
    const int64_t due = silentUs * format_.frequency / 1000000;
    if (due <= silenceSinceData_)
        return;
    // The application plays, but nothing of it comes: lost, not quiet.
    if (targetPlaying_ && !finished_ && finishAt_ < 0)
        sink_->lostFrames(static_cast<int>(std::min<int64_t>(due - silenceSinceData_, INT32_MAX)));
    deliverSilence(due - silenceSinceData_);
}

void PulseApplicationCapture::deliverSilence(int64_t frames) {
    silenceSinceData_ += frames;
    deliver(nullptr, frames);
}

void PulseApplicationCapture::deliver(const int16_t *samples, int64_t frames) {
    if (finished_)
        return;
    const bool finishing = finishAt_ >= 0;
    if (finishing)
        frames = std::min(frames, finishAt_ - received_);
    if (samples) {
        sink_->captured(samples, static_cast<int>(frames));
    } else {
        for (int64_t left = frames; left > 0;) {
            const int chunk = static_cast<int>(std::min<int64_t>(left, kSilenceFrames));
            sink_->captured(silence_.data(), chunk);
            left -= chunk;
        }
    }
    received_ += frames;
    if (!finishing)
        frontier_.arrived(received_, nowUs());
    else if (received_ >= finishAt_)
        completeFinish();
}

void PulseApplicationCapture::onRead(pa_stream *stream, size_t, void *self) {
    auto *me = static_cast<PulseApplicationCapture *>(self);
    for (;;) {
        const void *data = nullptr;
        size_t bytes = 0;
        if (pa_stream_peek(stream, &data, &bytes) < 0 || bytes == 0)
            return;
        const int frames = static_cast<int>(bytes / me->frameBytes_);
        if (data) {
            me->deliver(static_cast<const int16_t *>(data), frames);
        } else {
            // A hole the server reported: counted as a gap, filled to keep the timeline.
            if (!me->finished_)
                me->sink_->lostFrames(frames);
            me->deliverSilence(frames);
        }
        me->lastDataUs_ = nowUs();
        me->silenceSinceData_ = 0;
        me->awaitingData_ = false;
        pa_stream_drop(stream);
    }
}
