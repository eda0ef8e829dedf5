#include "audio/audio_player2.h"

#include "audio/dsp/playback_equalizer.h"
#include "audio/units.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <utility>

namespace {

// Room for the addresses of more blocks than any caller queues at once; blocks beyond it wait
// in the backlog.
constexpr size_t kQueuedBlocks = 256;
// Played blocks are kept this long for the displays, which look back over the server's buffer
// and an analysis window (well under a second each).
constexpr int kHistorySeconds = 3;
constexpr int kDefaultTickMs = 80;
// How late a tick may come (a busy GUI thread, a coarse timer) before a block's end that
// waits for it is raised without it.
constexpr int kTickLatenessMs = 40;

void raisePeak(std::atomic<int> &peak, int value) {
    int seen = peak.load(std::memory_order_relaxed);
    while (value > seen && !peak.compare_exchange_weak(seen, value, std::memory_order_relaxed)) {
    }
}

}  // namespace

TAudioPlayer2::TAudioPlayer2(AudioBackend &backend, QObject *parent)
    : TAudioDevice2(backend, Direction::Output, kDefaultTickMs, parent),
      equalizer_(std::make_unique<PlaybackEqualizer>()) {
    equalizer_->setEnabled(false);
}

TAudioPlayer2::~TAudioPlayer2() {
    closeStream();
}

void TAudioPlayer2::SetEqualizerArray(const std::array<float, kEqualizerBands> &dbGainArray) {
    equalizer_->setGains(dbGainArray);
}

void TAudioPlayer2::setEqualizerEnabled(bool on) {
    // The equaliser fades itself in and out, so switching mid-play does not click.
    equalizer_->setEnabled(on);
    equalizerEnabled_ = on;
}

void TAudioPlayer2::SetFormatArray(int Frequency, int nChannels) {
    setFormat(Frequency, nChannels);
    equalizer_->setFormat(format_.frequency, format_.channels);
}

void TAudioPlayer2::StartDevice() {
    if (isRunning())
        return;

    resetRing(queue_, kQueuedBlocks);
    playing_ = nullptr;
    playingOffset_ = 0;
    blocks_.clear(format_.channels);
    handedOut_ = 0;
    heardAtStop_ = 0;
    heardShown_ = 0;
    moreToCome_ = true;
    peakLeft_ = peakRight_ = 0;
    notifyPending_ = false;
    blockEnds_.clear();
    backlog_.clear();
    endOfData_ = endPlayRaised_ = requestRaised_ = false;
    armNotify();
    equalizer_->reset();

    openStream([this](QString *error) {
        return mixer_.backend().openPlayback(mixer_.device(), format_, this, error);
    });
}

void TAudioPlayer2::StopDevice() {
    if (!isRunning())
        return;
    heardAtStop_ = heardFrames();
    closeStream();  // events of the stopped stream are dropped from here on
    backlog_.clear();
    blockEnds_.clear();
}

void TAudioPlayer2::SendArray(SampleArray WavArray) {
    if (!isRunning())
        return;
    if (WavArray.isEmpty()) {
        endOfData_ = true;
        moreToCome_ = false;
        armNotify();
        return;
    }
    endOfData_ = false;
    moreToCome_ = true;
    requestRaised_ = false;

    const int channels = format_.channels;
    std::vector<int16_t> samples;
    if (WavArray.channels() == channels) {
        samples = std::move(WavArray.samples());
    } else {
        // Accept either layout: mono is doubled, stereo is averaged.
        const int frames = WavArray.frames();
        samples.resize(static_cast<size_t>(frames) * channels);
        for (int i = 0; i < frames; ++i) {
            const int16_t *in = WavArray.data() + static_cast<size_t>(i) * WavArray.channels();
            if (channels == 2) {
                samples[2 * i] = samples[2 * i + 1] = in[0];
            } else {
                samples[i] = static_cast<int16_t>((int(in[0]) + int(in[1])) / 2);
            }
        }
    }
    samples.resize(samples.size() - samples.size() % channels);  // whole frames only
    if (samples.empty())
        return;
    const int frames = static_cast<int>(samples.size()) / channels;
    equalizer_->process(samples.data(), frames);  // bit-exact while off

    const PlayedBlock &block = blocks_.append(std::move(samples));
    blockEnds_.push_back(block.endFrame);
    backlog_.push_back(&block);
    pushPending();
    dropHeardBlocks();
    armNotify();
}

// GUI thread. Each wake of the GUI thread costs more than the little it finds to do, and the
// server asks for data more often than blocks end, so the audio thread wakes it only when
// something is due. While the timer ticks, a block's end waits for the next tick, which wakes
// the GUI thread anyway, unless what is left queued (with what the device plays on from its
// own buffer) could run out before that tick.
void TAudioPlayer2::armNotify() {
    int64_t at = std::numeric_limits<int64_t>::max();
    if (!backlog_.empty())
        at = 0;  // every fill makes room
    if (!blockEnds_.empty()) {
        const int64_t blockEnd = blockEnds_.front();
        if (ticking()) {
            const int reserveMs =
                TimerInterval() + kTickLatenessMs - (stream() ? stream()->playsOnMs() : 0);
            at = std::min(
                at, std::max(blockEnd, blocks_.endFrame() - SecToSamples(std::max(0, reserveMs))));
        } else {
            at = std::min(at, blockEnd);
        }
    }
    if (endOfData_ ? !endPlayRaised_ : !requestRaised_)
        at = std::min(at, blocks_.endFrame());
    notifyAt_ = at;
}

bool TAudioPlayer2::ticking() const {
    return TimerEnabled() && isRunning();
}

void TAudioPlayer2::pushPending() {
    while (!backlog_.empty() && queue_->write(&backlog_.front(), 1) == 1)
        backlog_.pop_front();
}

// The device thread is done with a block once it has handed out its last frame; the displays
// are done with it a few seconds later.
void TAudioPlayer2::dropHeardBlocks() {
    const int64_t historyFrames = static_cast<int64_t>(kHistorySeconds) * format_.frequency;
    blocks_.dropEndingBy(std::min(handedOut_.load(), heardFrames()) - historyFrames);
}

SampleArray TAudioPlayer2::GetCurrentArray(int nSamples) const {
    const int channels = format_.channels;
    nSamples = std::max(0, nSamples);
    std::vector<int16_t> out(static_cast<size_t>(nSamples) * channels, 0);
    const int64_t end = heardFrames();
    // Frames not sent yet, or sent so long ago that they are no longer kept, stay silent.
    const int64_t first = std::max({end - nSamples, int64_t{0}, blocks_.firstKept()});
    const int64_t last = std::min(end, blocks_.endFrame());
    if (last > first)
        blocks_.copy(first, last - first,
                     out.data() + static_cast<size_t>(first - (end - nSamples)) * channels);
    return SampleArray(channels, std::move(out));
}

// Audio thread: hand out queued frames, count them, keep peaks, wake the GUI side.
int TAudioPlayer2::fill(int16_t *out, int frames) {
    const int channels = format_.channels;
    const size_t wanted = static_cast<size_t>(frames) * channels;
    size_t got = 0;
    while (got < wanted) {
        if (playing_ == nullptr) {
            if (queue_->read(&playing_, 1) == 0)
                break;
            playingOffset_ = 0;
        }
        const std::vector<int16_t> &samples = playing_->samples;
        const size_t count = std::min(wanted - got, samples.size() - playingOffset_);
        std::memcpy(out + got, samples.data() + playingOffset_, count * sizeof(int16_t));
        got += count;
        playingOffset_ += count;
        if (playingOffset_ == samples.size())
            playing_ = nullptr;  // the GUI side may drop it once handedOut_ passes its end
    }
    const int gotFrames = static_cast<int>(got / channels);
    int left = 0, right = 0;
    for (int i = 0; i < gotFrames; ++i) {
        left = std::max(left, std::abs(int(out[i * channels])));
        right = std::max(right, std::abs(int(out[i * channels + channels - 1])));
    }
    raisePeak(peakLeft_, std::min(left, 32767));
    raisePeak(peakRight_, std::min(right, 32767));
    const int64_t handedOut = handedOut_ += gotFrames;
    // While the data has run out, the backend keeps asking, and each ask is a chance to
    // see the end heard.
    if (handedOut >= notifyAt_.load() && !notifyPending_.exchange(true))
        postToGui([this] { onPlayed(); });
    return gotFrames;
}

void TAudioPlayer2::failed(const QString &reason) {
    reportDeviceLost(reason);
}

int64_t TAudioPlayer2::heardFrames() const {
    if (!isRunning())
        return heardAtStop_;
    const int64_t handedOut = handedOut_.load();
    const int64_t heard = stream()->framesPlayed();
    heardShown_ = std::max(heardShown_, heard < 0 ? handedOut : std::min(heard, handedOut));
    return heardShown_;
}

// GUI thread, woken by the audio thread.
void TAudioPlayer2::onPlayed() {
    notifyPending_ = false;
    raisePlayed();
}

// GUI thread: raise the block, request and end events for what has been played.
void TAudioPlayer2::raisePlayed() {
    const int generation = this->generation();
    pushPending();
    dropHeardBlocks();
    const int64_t handedOut = handedOut_.load();
    while (!blockEnds_.empty() && blockEnds_.front() <= handedOut) {
        blockEnds_.pop_front();
        Q_EMIT OnEndArrayPlay();
        if (generation != this->generation())
            return;  // a handler stopped or restarted the device
    }
    if (handedOut >= blocks_.endFrame()) {
        if (endOfData_) {
            // The backend keeps asking for data while it plays out, so this runs again
            // until the tail has been heard.
            if (!endPlayRaised_ && heardFrames() >= blocks_.endFrame()) {
                endPlayRaised_ = true;
                Q_EMIT OnEndPlay();
            }
        } else if (!requestRaised_) {
            requestRaised_ = true;
            Q_EMIT OnRequestOnLoadArray();
        }
        if (generation != this->generation())
            return;
    }
    armNotify();
}

void TAudioPlayer2::tick() {
    if (!isRunning())
        return;
    // Blocks that ended since the last tick are answered in this wake, before the levels.
    const int generation = this->generation();
    raisePlayed();
    if (generation != this->generation() || !isRunning())
        return;
    Q_EMIT OnTimer(static_cast<int>(heardFrames()), peakLeft_.exchange(0), peakRight_.exchange(0));
}
