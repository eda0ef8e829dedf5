#include "audio/audio_record2.h"

#include "audio/dsp/recording_filter_bank.h"
#include "audio/units.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

namespace {

constexpr int kRingSeconds = 30;
constexpr int kHistoryFrames = 16384;  // covers the largest spectrum request (2 x 4096)
constexpr int kDefaultTickMs = 50;
// Places of gaps not yet announced; more between two drains are counted, not placed.
constexpr size_t kGapMarks = 256;

}  // namespace

TAudioRecord2::TAudioRecord2(AudioBackend &backend, QObject *parent)
    : TAudioDevice2(backend, Direction::Input, kDefaultTickMs, parent),
      filters_(std::make_unique<RecordingFilterBank>()) {}

TAudioRecord2::~TAudioRecord2() {
    // Stop the device thread before members it writes to go away; no events any more.
    closeStream();
}

void TAudioRecord2::setNotchFilterEnabled(bool on) {
    notchEnabled_ = on;
    updateFilters();
}
void TAudioRecord2::setHighPassFilterEnabled(bool on) {
    highPassEnabled_ = on;
    updateFilters();
}
void TAudioRecord2::setLowPassFilterEnabled(bool on) {
    lowPassEnabled_ = on;
    updateFilters();
}
void TAudioRecord2::setNotchFilterFrequency(float hz) {
    notchFrequency_ = hz;
    updateFilters();
}
void TAudioRecord2::setHighPassFilterFrequency(float hz) {
    highPassFrequency_ = hz;
    updateFilters();
}
void TAudioRecord2::setLowPassFilterFrequency(float hz) {
    lowPassFrequency_ = hz;
    updateFilters();
}

void TAudioRecord2::updateFilters() {
    RecordingFilterBank::Settings s;
    s.notch = notchEnabled_;
    s.highPass = highPassEnabled_;
    s.lowPass = lowPassEnabled_;
    s.notchHz = notchFrequency_;
    s.highPassHz = highPassFrequency_;
    s.lowPassHz = lowPassFrequency_;
    filters_->configure(s, format_.frequency, format_.channels);
}

void TAudioRecord2::SetFormatArray(int Frequency, int nChannels) {
    setFormat(Frequency, nChannels);
    updateFilters();
}

void TAudioRecord2::setBufferSize(int frames) {
    bufferSize_ = std::max(1, frames);
}

void TAudioRecord2::StartDevice() {
    if (isRunning()) {
        if (partEnded_)
            resumePart();
        return;
    }
    partEnded_ = false;

    resetRing(ring_, static_cast<size_t>(kRingSeconds) * format_.frequency * format_.channels);
    scratch_.resize(static_cast<size_t>(format_.frequency / 10) * format_.channels);
    backlogSamples_ = static_cast<size_t>(format_.frequency) * format_.channels;
    pending_.clear();
    pending_.reserve(static_cast<size_t>(bufferSize_) * format_.channels);
    history_.assign(static_cast<size_t>(kHistoryFrames) * format_.channels, 0);
    historyPos_ = 0;
    framesCaptured_ = 0;
    framesDelivered_ = 0;
    blockNumber_ = 0;
    peakLeft_ = peakRight_ = 0;
    shownLeft_ = shownRight_ = 0;
    framesAtLastTick_ = 0;
    dropped_ = 0;
    offeredFrames_ = 0;
    gapEnd_ = -1;
    ringFrames_ = 0;
    resetRing(gapMarks_, kGapMarks);
    ringRead_ = 0;
    partRingStart_ = 0;
    notifyPending_ = false;
    lastBlock_ = SampleArray();
    updateFilters();

    openStream([this](QString *error) {
        return mixer_.backend().openCapture(mixer_.device(), format_, this, error);
    });
}

void TAudioRecord2::StopDevice() {
    if (!isRunning())
        return;
    closeStream();  // the ring holds the last frames now
    if (std::exchange(partEnded_, false))
        return;  // between parts: what waits belongs to no file
    if (draining_)
        return;  // the running drain picks up the rest
    drain();
    if (!pending_.empty())
        emitBlock(std::move(pending_));
    pending_.clear();
}

void TAudioRecord2::EndPart() {
    if (!isRunning() || partEnded_ || draining_)
        return;
    drain();
    if (!pending_.empty())
        emitBlock(std::move(pending_));
    pending_.clear();
    partEnded_ = true;
}

bool TAudioRecord2::FinishCapture() {
    if (!isRunning() || partEnded_)
        return true;
    return stream()->finish([this] { postToGui([this] { Q_EMIT OnCaptureFinished(); }); });
}

void TAudioRecord2::resumePart() {
    partEnded_ = false;
    framesCaptured_ = 0;
    partRingStart_ = ringRead_;
    blockNumber_ = 0;
    peakLeft_ = peakRight_ = 0;
    lastBlock_ = SampleArray();
    framesAtLastTick_ = 0;
    // The frames that came in meanwhile are taken at the next notification or tick.
}

void TAudioRecord2::FlushBlock() {
    if (!isRunning() || draining_)
        return;
    drain();
    if (pending_.empty())
        return;
    std::vector<int16_t> block;
    block.reserve(static_cast<size_t>(bufferSize_) * format_.channels);
    block.swap(pending_);
    emitBlock(std::move(block));
}

SampleArray TAudioRecord2::ReceiveArray() {
    return std::move(lastBlock_);
}

SampleArray TAudioRecord2::GetCurrentArray(int nSamples) const {
    const int channels = format_.channels;
    nSamples = std::clamp(nSamples, 0, kHistoryFrames);
    std::vector<int16_t> out(static_cast<size_t>(nSamples) * channels, 0);
    if (history_.empty())
        return SampleArray(channels, std::move(out));
    // The newest frames end at historyPos_; they may wrap round the end of the history.
    const size_t historyFrames = history_.size() / channels;
    const size_t start = (historyPos_ + historyFrames - nSamples) % historyFrames;
    const size_t first = std::min<size_t>(nSamples, historyFrames - start);
    std::copy_n(history_.begin() + start * channels, first * channels, out.begin());
    std::copy_n(history_.begin(), (nSamples - first) * channels, out.begin() + first * channels);
    return SampleArray(channels, std::move(out));
}

// Audio thread: copy and ask the GUI thread to drain. At most one request is queued.
void TAudioRecord2::captured(const int16_t *samples, int frames) {
    const size_t wanted = static_cast<size_t>(frames) * format_.channels;
    const size_t written = ring_->write(samples, wanted);
    const int64_t kept = static_cast<int64_t>(written / format_.channels);
    ringFrames_ += kept;
    if (written < wanted) {
        dropped_ += frames - kept;
        noteGap(offeredFrames_ + kept, frames - kept, frames - kept, ringFrames_);
    }
    offeredFrames_ += frames;
    if (!drainOnDelivery_.load(std::memory_order_relaxed) && ring_->available() < backlogSamples_)
        return;  // the next tick takes it in
    if (!notifyPending_.exchange(true))
        postToGui([this] { drain(); });
}

void TAudioRecord2::failed(const QString &reason) {
    reportDeviceLost(reason);
}

// Audio thread: the next `frames` frames the stream offers stand in for lost ones.
void TAudioRecord2::lostFrames(int frames) {
    noteGap(offeredFrames_, frames, frames, ringFrames_);
}

// Audio thread: frames that never came, before the one offered `framesAgo` frames back.
void TAudioRecord2::missedFrames(int64_t frames, int64_t framesAgo) {
    framesAgo = std::clamp<int64_t>(framesAgo, 0, offeredFrames_);
    noteGap(offeredFrames_ - framesAgo, frames, 0, std::max<int64_t>(0, ringFrames_ - framesAgo));
}

// Audio thread. A loss that starts where (or before) the last one ended is the same gap.
// `span`: the offered frames it covers (none for frames that never came).
void TAudioRecord2::noteGap(int64_t start, int64_t frames, int64_t span, int64_t ringAt) {
    if (frames <= 0)
        return;
    const int64_t end = start + span;
    const bool continues = gapEnd_ >= 0 && start <= gapEnd_;
    // Offered frames reported lost twice count once.
    const int64_t added = continues && span > 0 ? std::max<int64_t>(0, end - gapEnd_) : frames;
    gapEnd_ = continues ? std::max(gapEnd_, end) : end;
    if (added == 0)
        return;
    if (!continues)
        ++gapCount_;
    gapFrames_ += added;
    const GapMark mark{ringAt, added, continues};
    gapMarks_->write(&mark, 1);
}

// GUI thread: the places of the gaps among the frames taken in.
void TAudioRecord2::announceGaps() {
    GapMark mark;
    while (gapMarks_ && gapMarks_->read(&mark, 1) == 1)
        Q_EMIT OnGap(std::max<int64_t>(0, mark.ringAt - partRingStart_), mark.frames,
                     mark.continues);
}

void TAudioRecord2::drain() {
    if (!ring_ || draining_)
        return;
    if (partEnded_) {
        notifyPending_ = false;  // the frames wait; the next capture asks again
        return;
    }
    draining_ = true;
    notifyPending_ = false;
    const int channels = format_.channels;
    for (;;) {
        const size_t got = ring_->read(scratch_.data(), scratch_.size());
        if (got == 0)
            break;
        ringRead_ += static_cast<int64_t>(got / channels);
        absorb(scratch_.data(), static_cast<int>(got / channels));
    }
    draining_ = false;
    announceGaps();
}

void TAudioRecord2::absorb(int16_t *samples, int frames) {
    const int channels = format_.channels;
    filters_->process(samples, frames);

    measureLevels(samples, frames);
    keepHistory(samples, frames);
    Q_EMIT OnFrames(samples, frames, framesCaptured_);
    framesCaptured_ += frames;

    const size_t blockSamples = static_cast<size_t>(bufferSize_) * channels;
    size_t offset = 0;
    const size_t total = static_cast<size_t>(frames) * channels;
    while (offset < total) {
        const size_t take = std::min(total - offset, blockSamples - pending_.size());
        pending_.insert(pending_.end(), samples + offset, samples + offset + take);
        offset += take;
        if (pending_.size() == blockSamples) {
            std::vector<int16_t> block;
            block.reserve(blockSamples);
            block.swap(pending_);
            emitBlock(std::move(block));
        }
    }
}

// Runs for every captured frame, recording or only listening: plain loops the compiler
// can vectorise, no division per frame.
void TAudioRecord2::measureLevels(const int16_t *samples, int frames) {
    const int channels = format_.channels;
    int left = peakLeft_;
    int right = peakRight_;
    for (int i = 0; i < frames; ++i) {
        const int16_t *frame = samples + static_cast<size_t>(i) * channels;
        left = std::max(left, std::abs(int(frame[0])));
        right = std::max(right, std::abs(int(frame[channels - 1])));
    }
    peakLeft_ = std::min(32767, left);
    peakRight_ = std::min(32767, right);
    const size_t total = static_cast<size_t>(frames) * channels;
    int64_t clipped = 0;
    for (size_t i = 0; i < total; ++i)
        clipped += samples[i] >= 32767 || samples[i] <= -32767;
    clipped_ += clipped;
}

// The newest frames go into the ring behind GetCurrentArray, in at most two copies.
void TAudioRecord2::keepHistory(const int16_t *samples, int frames) {
    const size_t channels = static_cast<size_t>(format_.channels);
    const size_t historyFrames = history_.size() / channels;
    size_t count = static_cast<size_t>(frames);
    if (count > historyFrames) {  // only the last of them can be kept
        samples += (count - historyFrames) * channels;
        historyPos_ = (historyPos_ + count - historyFrames) % historyFrames;
        count = historyFrames;
    }
    const size_t first = std::min(count, historyFrames - historyPos_);
    std::copy_n(samples, first * channels, history_.begin() + historyPos_ * channels);
    std::copy_n(samples + first * channels, (count - first) * channels, history_.begin());
    historyPos_ = (historyPos_ + count) % historyFrames;
}

void TAudioRecord2::emitBlock(std::vector<int16_t> &&samples) {
    lastBlock_ = SampleArray(format_.channels, std::move(samples));
    framesDelivered_ += lastBlock_.frames();
    Q_EMIT OnEndArrayRecord(++blockNumber_);
    lastBlock_ = SampleArray();  // a block nobody fetched is dropped, as the contract says
}

void TAudioRecord2::tick() {
    if (!isRunning() || partEnded_)
        return;
    drain();
    // Frames arrive in fragments about as long as a tick: a tick that got none shows the
    // levels of the one before rather than a dip to silence.
    if (framesCaptured_ != framesAtLastTick_) {
        shownLeft_ = peakLeft_;
        shownRight_ = peakRight_;
        peakLeft_ = peakRight_ = 0;
        framesAtLastTick_ = framesCaptured_;
    }
    Q_EMIT OnTimer(static_cast<int>(framesCaptured_), shownLeft_, shownRight_);
}
