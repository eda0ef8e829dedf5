#include "audio/codec/mpeg_audio_source.h"

#include "audio/codec/codec_error.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>

#include <QCoreApplication>

namespace korvanta::codec {

namespace {

// How far into the file (past ID3v2) the first frame may lie.
constexpr int64_t kFirstFrameSearchBytes = 256 * 1024;
// Frames the stream must continue for a header to count as real rather than chance bytes.
constexpr int kConfirmFrames = 3;
// Frames decoded and dropped before a seek target: layer 3 frames borrow up to 511 bytes
// from earlier frames (the bit reservoir) and overlap the previous granule.
constexpr int64_t kPrerollFramesLayer3 = 10;
constexpr int64_t kPrerollFramesOther = 2;
// Frames looked at to decide that a stream without a Xing tag has a constant bitrate, and
// whether its encoder pads frames (even at 8 kbps a padding encoder pads one in eight).
constexpr int kCbrProbeFrames = 32;
// The shortest frame MPEG audio has (layer 3 of MPEG 2 at 8 kbps and 24000 Hz).
constexpr int64_t kShortestFrameBytes = 24;

uint32_t readLe32(const uint8_t *p) {
    return uint32_t{p[0]} | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16) | (uint32_t{p[3]} << 24);
}

}  // namespace

std::unique_ptr<MpegAudioSource> MpegAudioSource::open(const QString &path,
                                                       MpegDecoderFactory makeDecoder,
                                                       int *errorNum, QString *errorText) {
    std::unique_ptr<MpegAudioSource> source(new MpegAudioSource);
    if (!source->openStream(path, makeDecoder, errorNum, errorText)) {
        return nullptr;
    }
    return source;
}

bool MpegAudioSource::looksLikeMpegAudio(const QString &path) {
    MpegAudioSource probe;
    if (probe.file_.open(path) != 0) {
        return false;
    }
    probe.findAudioRange();
    return probe.findFirstFrame();
}

bool MpegAudioSource::startsWithMpegAudio(const QString &path) {
    MpegAudioSource probe;
    if (probe.file_.open(path) != 0) {
        return false;
    }
    probe.findAudioRange();
    MpegFrameHeader header;
    return probe.confirmedFrameAt(probe.audioStart_, &header);
}

std::optional<MpegFrameHeader> MpegAudioSource::headerAt(int64_t offset) {
    uint8_t bytes[4];
    if (offset < 0 || offset + 4 > audioEnd_ || file_.readAt(offset, bytes, 4) != 4) {
        return std::nullopt;
    }
    return parseMpegHeader(bytes);
}

void MpegAudioSource::findAudioRange() {
    audioStart_ = 0;
    for (;;) {
        uint8_t head[10];
        if (file_.readAt(audioStart_, head, sizeof head) != sizeof head) {
            break;
        }
        const int64_t tag = id3v2TagSize(head, sizeof head);
        if (tag == 0) {
            break;
        }
        audioStart_ += tag;
    }
    audioEnd_ = file_.size();
    uint8_t tail[32];
    if (audioEnd_ - audioStart_ >= 128 && file_.readAt(audioEnd_ - 128, tail, 3) == 3 &&
        std::memcmp(tail, "TAG", 3) == 0) {
        audioEnd_ -= 128;
    }
    if (audioEnd_ - audioStart_ >= 32 && file_.readAt(audioEnd_ - 32, tail, 32) == 32 &&
        std::memcmp(tail, "APETAGEX", 8) == 0) {
        const int64_t size = readLe32(tail + 12);
        const bool hasHeader = (readLe32(tail + 20) & 0x80000000u) != 0;
        const int64_t total = size + (hasHeader ? 32 : 0);
        if (total <= audioEnd_ - audioStart_) {
            audioEnd_ -= total;
        }
    }
    audioEnd_ = std::max(audioEnd_, audioStart_);
}

bool MpegAudioSource::confirmedFrameAt(int64_t offset, MpegFrameHeader *header) {
    const auto h = headerAt(offset);
    if (!h) {
        return false;
    }
    int64_t next = offset + h->frameBytes;
    for (int i = 1; i < kConfirmFrames; ++i) {
        if (next == audioEnd_) {
            break;  // a short stream that ends exactly on a frame boundary
        }
        const auto n = headerAt(next);
        if (!n || !sameMpegStream(*h, *n)) {
            return false;
        }
        next += n->frameBytes;
    }
    if (next > audioEnd_) {
        return false;
    }
    *header = *h;
    return true;
}

bool MpegAudioSource::findFirstFrame() {
    const int64_t limit = std::min(audioEnd_, audioStart_ + kFirstFrameSearchBytes);
    for (int64_t off = audioStart_; off + 4 <= limit; ++off) {
        uint8_t b;
        if (file_.readAt(off, &b, 1) != 1) {
            return false;
        }
        if (b != 0xFF) {
            continue;
        }
        MpegFrameHeader h;
        if (confirmedFrameAt(off, &h)) {
            first_ = h;
            firstFrameOffset_ = off;
            return true;
        }
    }
    return false;
}

// Extends the frame index until it holds `untilIndex` or the stream ends. Bytes that aren't
// frames (damage, stray tags) are skipped up to the next confirmed frame.
void MpegAudioSource::scanFrames(int64_t untilIndex) {
    while (!scanDone_ && static_cast<int64_t>(frameOffsets_.size()) <= untilIndex) {
        const auto h = headerAt(scanOffset_);
        if (h && sameMpegStream(first_, *h) && scanOffset_ + h->frameBytes <= audioEnd_) {
            frameOffsets_.push_back(scanOffset_);
            scanOffset_ += h->frameBytes;
            continue;
        }
        bool found = false;
        for (int64_t off = scanOffset_ + 1; off + 4 <= audioEnd_; ++off) {
            MpegFrameHeader c;
            uint8_t b;
            if (file_.readAt(off, &b, 1) == 1 && b == 0xFF && confirmedFrameAt(off, &c) &&
                sameMpegStream(first_, c)) {
                scanOffset_ = off;
                found = true;
                break;
            }
        }
        if (!found) {
            scanDone_ = true;
        }
    }
}

bool MpegAudioSource::frameAt(int64_t index, int64_t *offset, MpegFrameHeader *header) {
    if (index < 0 || index >= frameCount_) {
        return false;
    }
    scanFrames(index);
    if (index >= static_cast<int64_t>(frameOffsets_.size())) {
        return false;
    }
    const auto h = headerAt(frameOffsets_[static_cast<size_t>(index)]);
    if (!h) {
        return false;
    }
    *offset = frameOffsets_[static_cast<size_t>(index)];
    *header = *h;
    return true;
}

// Whether the stream's first frames share one bitrate; if so, `frameBytes` is the average
// frame length, taking into account whether the encoder uses padding at all.
bool MpegAudioSource::isConstantBitrate(double *frameBytes) {
    scanFrames(kCbrProbeFrames - 1);
    bool padded = false;
    for (size_t i = 0; i < frameOffsets_.size(); ++i) {
        const auto h = headerAt(frameOffsets_[i]);
        if (!h || h->bitrateKbps != first_.bitrateKbps) {
            return false;
        }
        padded = padded || h->padding;
    }
    *frameBytes = padded ? first_.averageFrameBytes() : std::floor(first_.averageFrameBytes());
    return true;
}

bool MpegAudioSource::openStream(const QString &path, MpegDecoderFactory makeDecoder, int *errorNum,
                                 QString *errorText) {
    if (const int err = file_.open(path); err != 0) {
        *errorNum = err == ENOENT ? ErrFileNotFound : ErrCannotRead;
        *errorText = openErrorText(path, err);
        return false;
    }
    findAudioRange();
    if (!findFirstFrame()) {
        *errorNum = ErrNotAudio;
        *errorText = QCoreApplication::translate("MpegAudioSource", "No MPEG audio frames found");
        return false;
    }

    std::vector<uint8_t> firstBytes(static_cast<size_t>(first_.frameBytes));
    file_.readAt(firstFrameOffset_, firstBytes.data(), firstBytes.size());
    const MpegStreamTag tag = parseMpegStreamTag(firstBytes.data(), firstBytes.size(), first_);
    const bool tagFrame = tag.kind != MpegStreamTag::None;
    scanOffset_ = firstFrameOffset_ + (tagFrame ? first_.frameBytes : 0);
    audioBytes_ = audioEnd_ - scanOffset_;
    if (const auto h = headerAt(scanOffset_); tagFrame && h && sameMpegStream(first_, *h)) {
        first_ = *h;  // describe the stream by its first audio frame, not by the tag frame
    }

    const int spf = first_.samplesPerFrame;
    // Trust the tag's frame count unless the file is plainly shorter than the tag says
    // (a file cut off after it was written) or could not hold that many frames at all (a
    // damaged tag, which made a 469-byte file last more than a day).
    // The tag's byte count includes the tag's own frame, which may be larger than the rest.
    const int64_t streamBytes = audioEnd_ - firstFrameOffset_;
    const bool tagFramesUsable =
        tag.frames >= 0 && tag.frames <= audioBytes_ / kShortestFrameBytes + 1 &&
        (tag.bytes <= 0 || streamBytes >= tag.bytes - tag.bytes / 100 - 2 * first_.frameBytes);
    bool vbr = tag.kind == MpegStreamTag::Xing || tag.kind == MpegStreamTag::Vbri;
    if (vbr && tag.frames > 0 &&
        std::abs(static_cast<double>(audioBytes_) / static_cast<double>(tag.frames) -
                 first_.averageFrameBytes()) < 1.0) {
        vbr = false;  // a Xing tag over frames of one bitrate (LAME's low-rate recordings)
    }
    if (tagFramesUsable) {
        frameCount_ = tag.frames;
        if (tag.bytes > 0 && streamBytes < tag.bytes) {
            // Shorter than the tag says, if only a little: count the whole frames that are
            // there, so that the length is what can be read.
            scanFrames(tag.frames - 1);
            frameCount_ = std::min<int64_t>(tag.frames, static_cast<int64_t>(frameOffsets_.size()));
        }
    } else {
        frameCount_ = std::numeric_limits<int64_t>::max();  // let the probe scan freely
        double frameBytes = 0;
        if (isConstantBitrate(&frameBytes)) {
            // Whole frames only: frame lengths stay within a byte of the average, and a frame
            // cut off at the end (a recording that was never closed) doesn't decode.
            frameCount_ =
                static_cast<int64_t>((static_cast<double>(audioBytes_) + 1.0) / frameBytes);
            vbr = false;
        } else {
            scanFrames(std::numeric_limits<int64_t>::max() - 1);
            frameCount_ = static_cast<int64_t>(frameOffsets_.size());
            vbr = true;
        }
    }

    int64_t length = frameCount_ * spf;
    skip_ = 0;
    if (tag.hasEncoderGap && tagFramesUsable) {
        skip_ = tag.encoderDelay + kMp3DecoderDelay;
        // Cut short, the padding is gone with the end; the timeline then ends where the
        // decoder's output of the last whole frame does.
        const int64_t tail = frameCount_ < tag.frames ? kMp3DecoderDelay : tag.encoderPadding;
        length = std::max<int64_t>(0, length - tag.encoderDelay - tail);
        setStopAtLength(true);
    }

    decoder_ = makeDecoder(first_);
    if (!decoder_) {
        *errorNum = ErrCorrupt;
        *errorText =
            QCoreApplication::translate("MpegAudioSource", "No decoder for MPEG audio layer %1")
                .arg(first_.layer);
        return false;
    }
    setStreamInfo(first_.sampleRate, first_.channels(), length, describe(vbr));
    setContainerName(QStringLiteral("mp3"));

    // The stream must actually decode; chance headers in other data would not.
    if (frameCount_ > 0) {
        bool decoded = false;
        for (int64_t i = 0; i < std::min<int64_t>(frameCount_, 4) && !decoded; ++i) {
            std::vector<int16_t> pcm;
            decoded = decodeFrame(i, pcm) && !pcm.empty();
        }
        if (!decoded) {
            *errorNum = ErrCorrupt;
            *errorText = QCoreApplication::translate("MpegAudioSource",
                                                     "The MPEG audio data does not decode");
            return false;
        }
    }
    rewind();
    return true;
}

QString MpegAudioSource::describe(bool vbr) const {
    int kbps = first_.bitrateKbps;
    // The average over the whole stream: a VBR stream's first frame says little (an encoder
    // often starts at its highest rate), and free-format frames declare none.
    if ((vbr || kbps <= 0) && frameCount_ > 0 &&
        frameCount_ < std::numeric_limits<int64_t>::max()) {
        const double seconds =
            static_cast<double>(frameCount_ * first_.samplesPerFrame) / first_.sampleRate;
        kbps = static_cast<int>(std::lround(audioBytes_ * 8.0 / seconds / 1000.0));
    }
    const char *mode = first_.channelMode == 3 ? QT_TRANSLATE_NOOP("MpegAudioSource", "mono")
                       : first_.channelMode == 2
                           ? QT_TRANSLATE_NOOP("MpegAudioSource", "dual channel")
                           : QT_TRANSLATE_NOOP("MpegAudioSource", "stereo");
    return QStringLiteral("%1: %2 Hz, %3 kbps%4, %5")
        .arg(first_.versionText())
        .arg(first_.sampleRate)
        .arg(kbps)
        .arg(vbr ? QStringLiteral(" VBR") : QString())
        .arg(QCoreApplication::translate("MpegAudioSource", mode));
}

bool MpegAudioSource::decodeFrame(int64_t index, std::vector<int16_t> &out) {
    int64_t offset;
    MpegFrameHeader header;
    if (!frameAt(index, &offset, &header)) {
        return false;
    }
    frameBytes_.resize(static_cast<size_t>(header.frameBytes));
    if (file_.readAt(offset, frameBytes_.data(), frameBytes_.size()) != frameBytes_.size()) {
        return false;
    }
    uint8_t next[4];
    int64_t nextOffset;
    MpegFrameHeader nextHeader;
    if (!frameAt(index + 1, &nextOffset, &nextHeader) ||
        file_.readAt(nextOffset, next, sizeof next) != sizeof next) {
        std::memcpy(next, frameBytes_.data(), sizeof next);
    }
    return decoder_->decode(frameBytes_.data(), frameBytes_.size(), next, out);
}

bool MpegAudioSource::decodeNext(Block &block) {
    int64_t offset;
    MpegFrameHeader header;
    if (!frameAt(nextFrame_, &offset, &header)) {
        return false;
    }
    const int spf = first_.samplesPerFrame;
    decodeFrame(nextFrame_, block.samples);
    // One frame is always spf samples on the timeline, even if it didn't decode cleanly.
    block.samples.resize(static_cast<size_t>(spf) * channels(), 0);
    block.start = nextFrame_ * spf - skip_;
    ++nextFrame_;
    return true;
}

bool MpegAudioSource::seekBefore(int64_t target) {
    const int64_t spf = first_.samplesPerFrame;
    const int64_t preroll = first_.layer == 3 ? kPrerollFramesLayer3 : kPrerollFramesOther;
    const int64_t frame = (target + skip_) / spf;
    nextFrame_ = std::max<int64_t>(0, frame - preroll);
    decoder_->reset();
    return true;
}

bool MpegAudioSource::rewind() {
    nextFrame_ = 0;
    decoder_->reset();
    return true;
}

}  // namespace korvanta::codec
