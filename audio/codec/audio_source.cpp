#include "audio/codec/audio_source.h"

#include <algorithm>

namespace korvanta::codec {

namespace {
// Closer than this, a forward seek simply decodes on: exact and cheaper than repositioning.
constexpr int kForwardDecodeSeconds = 3;
}  // namespace

int64_t AudioSource::bufferEnd() const {
    return bufStart_ + static_cast<int64_t>((buf_.size() - bufOffset_) / channels_);
}

void AudioSource::resetBuffer() {
    buf_.clear();
    bufOffset_ = 0;
    bufStart_ = pos_;
}

void AudioSource::dropBefore(int64_t position) {
    if (position <= bufStart_) {
        return;
    }
    const int64_t end = bufferEnd();
    if (position >= end) {
        buf_.clear();
        bufOffset_ = 0;
        bufStart_ = end;
        return;
    }
    bufOffset_ += static_cast<size_t>(position - bufStart_) * channels_;
    bufStart_ = position;
    // Compact now and then so the buffer doesn't grow with every block.
    if (bufOffset_ > buf_.size() / 2) {
        buf_.erase(buf_.begin(), buf_.begin() + static_cast<std::ptrdiff_t>(bufOffset_));
        bufOffset_ = 0;
    }
}

bool AudioSource::pull() {
    if (eof_) {
        return false;
    }
    Block block;
    if (!decodeNext(block)) {
        eof_ = true;
        return false;
    }
    const int64_t frames = static_cast<int64_t>(block.samples.size()) / channels_;
    int64_t start = nextStart_;
    if (!synced_) {
        if (block.start == kUnknownStart) {
            return false;
        }
        start = block.start;
        synced_ = true;
        overshoot_ = start > pos_;
    }
    nextStart_ = start + frames;
    if (buf_.size() == bufOffset_) {
        buf_.clear();
        bufOffset_ = 0;
        bufStart_ = start;
    }
    buf_.insert(buf_.end(), block.samples.begin(),
                block.samples.begin() + static_cast<std::ptrdiff_t>(frames * channels_));
    dropBefore(pos_);
    return true;
}

// Repositions the decoder and decodes up to `target`; false if the stream can't get there.
bool AudioSource::reposition(int64_t target) {
    pos_ = target;
    eof_ = false;
    resetBuffer();
    synced_ = false;
    overshoot_ = false;
    bool ok = target > 0 && seekBefore(target);
    if (ok) {
        ok = pull() && !overshoot_;
    }
    if (!ok) {
        // Unsure where the decoder landed: start from the top, which is always exact.
        eof_ = false;
        resetBuffer();
        synced_ = false;
        if (!rewind()) {
            return false;
        }
        pull();
    }
    while (bufferEnd() <= pos_ && pull()) {
    }
    return true;
}

int64_t AudioSource::seek(int64_t target) {
    target = std::clamp<int64_t>(target, 0, length_);
    const bool nearAhead =
        target >= pos_ &&
        target - pos_ <= static_cast<int64_t>(kForwardDecodeSeconds) * sampleRate_;
    if (nearAhead && synced_) {
        pos_ = target;
        dropBefore(pos_);
        while (bufferEnd() <= pos_ && pull()) {
        }
    } else if (!reposition(target)) {
        pos_ = 0;
        resetBuffer();
        eof_ = true;
        return 0;
    }
    if (bufferEnd() < pos_ && eof_) {
        // The stream ended before the target: we are at its end, which is its real length.
        pos_ = std::max<int64_t>(bufferEnd(), 0);
        length_ = std::min(length_, pos_);
        resetBuffer();
    }
    return pos_;
}

int AudioSource::read(int frames, std::vector<int16_t> &out) {
    if (frames <= 0) {
        return 0;
    }
    int64_t want = frames;
    if (stopAtLength_) {
        want = std::min<int64_t>(want, length_ - pos_);
    }
    if (want <= 0) {
        return 0;
    }
    while (bufferEnd() < pos_ + want && pull()) {
    }
    int64_t delivered = 0;
    if (bufStart_ > pos_) {
        // A hole in the stream (a gap in its timestamps): keep the timeline with silence.
        const int64_t gap = std::min(want, bufStart_ - pos_);
        out.insert(out.end(), static_cast<size_t>(gap * channels_), int16_t{0});
        delivered = gap;
        pos_ += gap;
    }
    const int64_t available = std::max<int64_t>(0, bufferEnd() - pos_);
    const int64_t take = std::min(want - delivered, available);
    if (take > 0) {
        const auto first = buf_.begin() + static_cast<std::ptrdiff_t>(bufOffset_);
        out.insert(out.end(), first, first + static_cast<std::ptrdiff_t>(take * channels_));
        pos_ += take;
        dropBefore(pos_);
        delivered += take;
    }
    if (delivered < want && eof_ && pos_ < length_) {
        // The data ended before the length the file claims (a file cut short): the length
        // is where it really ends from now on, so that what is read and the length agree.
        length_ = pos_;
    }
    return static_cast<int>(delivered);
}

}  // namespace korvanta::codec
