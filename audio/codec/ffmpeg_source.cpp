#include "audio/codec/ffmpeg_source.h"

#include "audio/codec/codec_error.h"
#include "audio/codec/mpeg_audio_header.h"
#include "audio/codec/posix_file.h"

#include <QCoreApplication>
#include <QFile>

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/dict.h>
#include <libavutil/mathematics.h>
}

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <limits>

namespace korvanta::codec {

namespace {

// Consecutive undecodable packets after which a stream counts as ended.
constexpr int kMaxDecodeErrors = 64;
// Decoded and dropped before a seek target, so that codecs with overlapping frames or a bit
// reservoir have settled by the time the target arrives.
constexpr int kPrerollMilliseconds = 1000;
// Larger files of containers that only estimate their length aren't read through to count.
constexpr int64_t kMaxLengthScanBytes = 128LL * 1024 * 1024;

bool isPcm(AVCodecID id) {
    return id >= AV_CODEC_ID_PCM_S16LE && id < AV_CODEC_ID_ADPCM_IMA_QT;
}

bool isG726(AVCodecID id) {
    return id == AV_CODEC_ID_ADPCM_G726 || id == AV_CODEC_ID_ADPCM_G726LE;
}

// The WMA 1/2 frame length in samples for a rate; every decoded block is a whole number of
// frames, which lets us recover exact positions from ASF's millisecond timestamps.
int wmaFrameLength(int sampleRate) {
    if (sampleRate <= 16000) {
        return 512;
    }
    if (sampleRate <= 22050) {
        return 1024;
    }
    return 2048;
}

QString channelsText(int channels) {
    if (channels == 1) {
        return QCoreApplication::translate("FfmpegSource", "mono");
    }
    if (channels == 2) {
        return QCoreApplication::translate("FfmpegSource", "stereo");
    }
    return QCoreApplication::translate("FfmpegSource", "%1 channels").arg(channels);
}

// Whether a file of `fileBytes` can hold `frames`: codings with a fixed number of bits per
// sample (PCM, ADPCM) hold no more than that allows, and nothing packs more than 65536
// frames into a byte (FLAC's longest blocks of silence come closest). A damaged header can
// claim any length; one beyond this is not believed.
bool lengthFits(const AVCodecParameters *par, int64_t fileBytes, int64_t frames) {
    const int bits = av_get_bits_per_sample(par->codec_id);
    const int channels = std::max(1, par->ch_layout.nb_channels);
    if (bits > 0) {
        return frames <= fileBytes * 8 / (int64_t{bits} * channels) + 1;
    }
    return frames / 65536 <= fileBytes;
}

QString mpegVersionText(int sampleRate) {
    if (sampleRate >= 32000) {
        return QStringLiteral("1.0");
    }
    return sampleRate >= 16000 ? QStringLiteral("2.0") : QStringLiteral("2.5");
}

uint64_t readLe64(const uint8_t *p) {
    uint64_t v = 0;
    for (int i = 7; i >= 0; --i) {
        v = (v << 8) | p[i];
    }
    return v;
}

// The file size an ASF file's header declares (its File Properties object), or 0 when the
// header doesn't say. A file shorter than that was cut off after the header was written,
// and its header's duration counts packets that are not there.
int64_t asfDeclaredFileSize(FileReader &file) {
    static const uint8_t kHeaderGuid[16] = {0x30, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11,
                                            0xA6, 0xD9, 0x00, 0xAA, 0x00, 0x62, 0xCE, 0x6C};
    static const uint8_t kFilePropertiesGuid[16] = {0xA1, 0xDC, 0xAB, 0x8C, 0x47, 0xA9, 0xCF, 0x11,
                                                    0x8E, 0xE4, 0x00, 0xC0, 0x0C, 0x20, 0x53, 0x65};
    uint8_t head[30];
    if (file.readAt(0, head, sizeof head) != sizeof head ||
        std::memcmp(head, kHeaderGuid, 16) != 0) {
        return 0;
    }
    const int64_t headerEnd = static_cast<int64_t>(
        std::min<uint64_t>(readLe64(head + 16), static_cast<uint64_t>(file.size())));
    for (int64_t at = sizeof head; at + 48 <= headerEnd;) {
        uint8_t object[48];
        if (file.readAt(at, object, sizeof object) != sizeof object) {
            return 0;
        }
        const uint64_t size = readLe64(object + 16);
        if (std::memcmp(object, kFilePropertiesGuid, 16) == 0) {
            return static_cast<int64_t>(std::min<uint64_t>(
                readLe64(object + 40), uint64_t{std::numeric_limits<int64_t>::max()}));
        }
        if (size < 24 || size > static_cast<uint64_t>(headerEnd - at)) {
            return 0;
        }
        at += static_cast<int64_t>(size);
    }
    return 0;
}

}  // namespace

std::unique_ptr<FfmpegSource> FfmpegSource::open(const QString &path, bool rawG721, int *errorNum,
                                                 QString *errorText) {
    return open(path, rawG721, -1, -1, errorNum, errorText);
}

std::unique_ptr<FfmpegSource> FfmpegSource::openPart(const QString &path, int64_t start,
                                                     int64_t end, int *errorNum,
                                                     QString *errorText) {
    return open(path, false, start, end, errorNum, errorText);
}

std::unique_ptr<FfmpegSource> FfmpegSource::open(const QString &path, bool rawG721, int64_t start,
                                                 int64_t end, int *errorNum, QString *errorText) {
    quietFfmpegLog();
    std::unique_ptr<FfmpegSource> source(new FfmpegSource);
    if (const int err = source->file_.open(path); err != 0) {
        *errorNum = err == ENOENT ? ErrFileNotFound : ErrCannotRead;
        *errorText = openErrorText(path, err);
        return nullptr;
    }
    if (start >= 0) {
        source->file_.restrictTo(start, end);
    }
    source->path_ = path;
    source->fileSize_ = source->file_.size();
    source->rawG721_ = rawG721;
    if (!source->openInput(errorNum, errorText) || !source->openStream(errorNum, errorText)) {
        return nullptr;
    }
    return source;
}

bool FfmpegSource::openInput(int *errorNum, QString *errorText) {
    const QByteArray name = QFile::encodeName(path_);  // only for guesses by extension
    AVFormatContext *ctx = avformat_alloc_context();
    io_ = makeFileIo(file_);
    if (ctx == nullptr || !io_) {
        avformat_free_context(ctx);
        *errorNum = ErrCannotRead;
        *errorText = QCoreApplication::translate("FfmpegSource", "Out of memory");
        return false;
    }
    ctx->pb = io_.get();
    const AVInputFormat *format = nullptr;
    AVDictionary *options = nullptr;
    if (rawG721_) {
        // Headerless G.721: 32 kbit/s ADPCM at 8000 Hz, codes packed from the low bits up.
        format = av_find_input_format("g726le");
        av_dict_set(&options, "sample_rate", "8000", 0);
        av_dict_set(&options, "code_size", "4", 0);
    }
    const int rc = avformat_open_input(&ctx, name.constData(), format, &options);
    av_dict_free(&options);
    if (rc < 0) {
        *errorNum = ErrNotAudio;
        *errorText =
            QCoreApplication::translate("FfmpegSource", "Unknown or damaged file format (%1)")
                .arg(ffmpegErrorText(rc));
        return false;
    }
    input_.reset(ctx);
    dataStart_ = avio_tell(ctx->pb);
    return true;
}

bool FfmpegSource::openStream(int *errorNum, QString *errorText) {
    if (avformat_find_stream_info(input_.get(), nullptr) < 0 && input_->nb_streams == 0) {
        *errorNum = ErrNotAudio;
        *errorText =
            QCoreApplication::translate("FfmpegSource", "The file's streams can't be read");
        return false;
    }
    const AVCodec *codec = nullptr;
    streamIndex_ = av_find_best_stream(input_.get(), AVMEDIA_TYPE_AUDIO, -1, -1, &codec, 0);
    if (streamIndex_ < 0 || codec == nullptr) {
        *errorNum = ErrNotAudio;
        *errorText = streamIndex_ == AVERROR_DECODER_NOT_FOUND
                         ? QCoreApplication::translate("FfmpegSource",
                                                       "The file's audio coding is not supported")
                         : QCoreApplication::translate("FfmpegSource", "The file holds no audio");
        return false;
    }
    for (unsigned i = 0; i < input_->nb_streams; ++i) {
        if (static_cast<int>(i) != streamIndex_) {
            input_->streams[i]->discard = AVDISCARD_ALL;
        }
    }
    AVStream *st = input_->streams[streamIndex_];
    timeBase_ = st->time_base;
    // Ogg's granule positions give the exact length and pre-skip. FFmpeg trims the last packet
    // by them a block wrong now and then (Vorbis) and forgets the pre-skip after a seek (Opus),
    // so here the decoder trims nothing and we cut to the granules ourselves.
    trimByUs_ = std::strcmp(input_->iformat->name, "ogg") == 0;
    packet_ = makePacket();
    frame_ = makeFrame();
    if (!packet_ || !frame_ || !openDecoder() || st->codecpar->sample_rate <= 0) {
        *errorNum = ErrCorrupt;
        *errorText =
            QCoreApplication::translate("FfmpegSource", "The audio stream can't be decoded");
        return false;
    }
    const int rate = st->codecpar->sample_rate;
    const int channels = PcmConverter::outputChannels(st->codecpar->ch_layout.nb_channels);
    converter_ = std::make_unique<PcmConverter>(channels);
    const AVCodecID id = st->codecpar->codec_id;
    if (id == AV_CODEC_ID_WMAV1 || id == AV_CODEC_ID_WMAV2) {
        frameGrid_ = wmaFrameLength(rate);
        firstFrameDropped_ = true;
    } else if ((id == AV_CODEC_ID_MP1 || id == AV_CODEC_ID_MP2 || id == AV_CODEC_ID_MP3) &&
               st->codecpar->frame_size > 0) {
        // Program streams stamp MPEG audio frames at 90 kHz, rounded: the grid undoes that.
        frameGrid_ = st->codecpar->frame_size;
    }
    originTs_ = st->start_time != AV_NOPTS_VALUE ? st->start_time : 0;
    const std::optional<int64_t> statedLength = setUpTrimming();

    setStreamInfo(rate, channels, 0, QString());
    int64_t length = -1;
    if (rawG721_) {
        length = fileSize_ * 2;  // two 4-bit codes per byte
    } else if (statedLength) {
        length = *statedLength;
    } else if (st->codecpar->codec_id == AV_CODEC_ID_FLAC &&
               input_->duration_estimation_method == AVFMT_DURATION_FROM_BITRATE) {
        // A FLAC file whose writer died before it could put the count into the header:
        // FFmpeg's figure is a guess from the bitrate. Decoding counts exactly, leaving out
        // a last frame the kill cut short; a file too large for that is counted by frames.
        length = fileSize_ <= kMaxLengthScanBytes ? -1 : lengthFromPackets();
    } else if (fileSize_ < asfDeclaredFileSize(file_) && fileSize_ <= kMaxLengthScanBytes) {
        length = -1;  // cut off: the header's duration is not to be believed, count instead
    } else if (containerKnowsLength() || fileSize_ > kMaxLengthScanBytes) {
        length = lengthFromContainer();
    } else {
        length = lengthFromPackets();
    }
    setStreamInfo(rate, channels, std::max<int64_t>(length, 0), QString());

    // Decode the first block: proves the stream decodes and fixes where sample 0 is.
    rewind();
    Block first;
    const bool decoded = decodeNext(first) && !first.samples.empty();
    if (!decoded) {
        // A stream without a single packet is an empty file (a recording that never got a
        // block); packets that don't decode mean damage.
        if (length > 0 || (length < 0 && packetsRead_ > 0)) {
            *errorNum = ErrCorrupt;
            *errorText =
                QCoreApplication::translate("FfmpegSource", "The audio data does not decode");
            return false;
        }
        length = 0;
    }
    if (length < 0) {
        // No length in the container: count it once.
        length = static_cast<int64_t>(first.samples.size()) / channels;
        Block more;
        while (decodeNext(more)) {
            length += static_cast<int64_t>(more.samples.size()) / channels;
            more.samples.clear();
        }
        length = std::max<int64_t>(0, length - lead_ - cutTail_);
    }
    setStreamInfo(rate, channels, length, QString());
    setStreamInfo(rate, channels, length, describe());  // describe() needs the length set
    setContainerName(QString::fromLatin1(input_->iformat->name));
    rewind();
    return true;
}

bool FfmpegSource::openDecoder() {
    const AVStream *st = input_->streams[streamIndex_];
    const AVCodec *codec = avcodec_find_decoder(st->codecpar->codec_id);
    if (codec == nullptr) {
        return false;
    }
    CodecContextPtr decoder(avcodec_alloc_context3(codec));
    if (!decoder || avcodec_parameters_to_context(decoder.get(), st->codecpar) < 0) {
        return false;
    }
    decoder->pkt_timebase = st->time_base;
    if (trimByUs_) {
        decoder->flags2 |= AV_CODEC_FLAG2_SKIP_MANUAL;
    }
    if (avcodec_open2(decoder.get(), codec, nullptr) < 0) {
        return false;
    }
    decoder_ = std::move(decoder);
    return true;
}

// Decides what we cut from the decoder's output ourselves. Returns the length where the file
// states it apart from the container's duration, -1 where it must be counted by decoding,
// nothing where the container's duration serves.
std::optional<int64_t> FfmpegSource::setUpTrimming() {
    const AVCodecParameters *par = input_->streams[streamIndex_]->codecpar;
    std::optional<int64_t> length;
    if (trimByUs_) {
        lead_ = std::max(0, par->initial_padding);
    }
    MusepackStreamHeader musepack;
    if (par->codec_id == AV_CODEC_ID_MUSEPACK8 && readMusepackHeader(&musepack) &&
        lengthFits(par, fileSize_, musepack.samples)) {
        // The decoder delivers whole frames from its warm-up on: the sound starts after the
        // filter delay and the encoder's leading silence, and ends at the header's count.
        // A file cut short holds less than the header says: that is counted.
        lead_ = kMusepackDecoderDelay + musepack.beginningSilence;
        if (!musepack.complete) {
            // The frame the end cuts through decodes from whatever lies past the data (a
            // different click each time): reading stops before it.
            cutTail_ = kMusepackFrameLength;
        }
        length = musepack.complete ? musepack.samples - musepack.beginningSilence : -1;
        trimByUs_ = true;
    }
    // An MP4's edit list says where the sound ends, but the decoder delivers the encoder's
    // padding after it as a whole last frame.
    setStopAtLength(trimByUs_ || std::strstr(input_->iformat->name, "mp4") != nullptr);
    return length;
}

// Reads the SV8 stream header past any ID3v2 tag, then leaves the file where it was.
bool FfmpegSource::readMusepackHeader(MusepackStreamHeader *header) {
    AVIOContext *pb = input_->pb;
    if (pb == nullptr) {
        return false;
    }
    const int64_t resume = avio_tell(pb);
    const ReadAt readAt = [pb](int64_t offset, uint8_t *data, size_t size) -> size_t {
        if (avio_seek(pb, offset, SEEK_SET) < 0) {
            return 0;
        }
        const int got = avio_read(pb, data, static_cast<int>(size));
        return got > 0 ? static_cast<size_t>(got) : 0;
    };
    uint8_t head[10];
    const int64_t start =
        readAt(0, head, sizeof head) == sizeof head ? id3v2TagSize(head, sizeof head) : 0;
    const bool found = readMusepack8Header(readAt, start, fileSize_, header);
    avio_seek(pb, resume, SEEK_SET);
    return found;
}

int64_t FfmpegSource::lengthFromContainer() const {
    const AVStream *st = input_->streams[streamIndex_];
    const AVRational perSample{1, st->codecpar->sample_rate};
    int64_t length = -1;
    if (st->duration != AV_NOPTS_VALUE && st->duration > 0) {
        length = av_rescale_q(st->duration, st->time_base, perSample);
    } else if (input_->duration != AV_NOPTS_VALUE && input_->duration > 0) {
        length = av_rescale_q(input_->duration, AV_TIME_BASE_Q, perSample);
    }
    if (length > 0 && firstFrameDropped_) {
        // ASF counts every packet, but the decoder's output starts with the second frame
        // (the first only primes the overlap), so one frame fewer is heard.
        length = std::max<int64_t>(0, snapToGrid(length) - frameGrid_);
    }
    if (length > 0 && trimByUs_) {
        length = std::max<int64_t>(0, length - lead_ - cutTail_);  // Ogg Opus counts its pre-skip
    }
    const int blockAlign = st->codecpar->block_align;
    if (length > 0 && isPcm(st->codecpar->codec_id) && blockAlign > 0 && dataStart_ > 0) {
        // Whole frames only: a header rounded up (or a file cut inside a frame) can claim
        // one more than there is.
        length = std::min(length, (fileSize_ - dataStart_) / blockAlign);
    }
    // Unbelievable: unknown, so it gets counted.
    return lengthFits(st->codecpar, fileSize_, length) ? length : -1;
}

// Containers whose header or last timestamp gives the exact length in samples.
bool FfmpegSource::containerKnowsLength() const {
    static const char *const kExact[] = {"wav",  "w64",  "ogg", "asf",  "mpc",
                                         "mpc8", "aiff", "au",  "flac", "caf"};
    const char *name = input_->iformat->name;
    for (const char *exact : kExact) {
        if (std::strcmp(name, exact) == 0) {
            return true;
        }
    }
    return std::strstr(name, "mp4") != nullptr;
}

// The others (AVI, MPEG program streams) only estimate it: add up the packet durations,
// which reads the file through once but decodes nothing.
int64_t FfmpegSource::lengthFromPackets() {
    if (av_seek_frame(input_.get(), streamIndex_, originTs_, AVSEEK_FLAG_BACKWARD) < 0) {
        return lengthFromContainer();
    }
    int64_t total = 0;
    while (av_read_frame(input_.get(), packet_.get()) >= 0) {
        const bool ours = packet_->stream_index == streamIndex_;
        const int64_t duration = packet_->duration;
        av_packet_unref(packet_.get());
        if (!ours) {
            continue;
        }
        if (duration <= 0) {
            return lengthFromContainer();
        }
        total += duration;
    }
    const int64_t length = av_rescale_q_rnd(total, timeBase_, AVRational{1, sampleRate()},
                                            static_cast<AVRounding>(AV_ROUND_NEAR_INF));
    return snapToGrid(length);
}

int64_t FfmpegSource::snapToGrid(int64_t position) const {
    if (frameGrid_ <= 1) {
        return position;
    }
    return static_cast<int64_t>(std::llround(static_cast<double>(position) / frameGrid_)) *
           frameGrid_;
}

int64_t FfmpegSource::positionOf(int64_t timestamp) const {
    const AVRational perSample{1, sampleRate()};
    return snapToGrid(av_rescale_q_rnd(timestamp - originTs_, timeBase_, perSample,
                                       static_cast<AVRounding>(AV_ROUND_NEAR_INF))) -
           lead_;
}

int64_t FfmpegSource::timestampOf(int64_t position) const {
    return originTs_ + av_rescale_q(position + lead_, AVRational{1, sampleRate()}, timeBase_);
}

int64_t FfmpegSource::startTs() const {
    const AVStream *st = input_->streams[streamIndex_];
    return st->start_time != AV_NOPTS_VALUE ? st->start_time : originTs_;
}

// Where decoding from the top begins: the stream's start, or before it the packets an MP4
// edit list leaves out (AAC's encoder delay). Those must be decoded, only their sound is
// dropped: the first heard frame overlaps with them, and without them it fades in.
int64_t FfmpegSource::firstPacketTs() const {
    AVStream *st = input_->streams[streamIndex_];
    const AVIndexEntry *first = avformat_index_get_entry(st, 0);
    if (first != nullptr && (first->flags & AVINDEX_DISCARD_FRAME) != 0) {
        return std::min(first->timestamp, startTs());
    }
    return startTs();
}

bool FfmpegSource::randomAccess() const {
    return !rawG721_ && !isG726(input_->streams[streamIndex_]->codecpar->codec_id);
}

// Returns whether the decoder is a new one.
bool FfmpegSource::flushDecoder() {
    // A new decoder rather than a flush: some keep state a flush leaves (Musepack's synthesis
    // filter, heard as a burst of the last position's sound; G.726's predictor).
    const bool fresh = openDecoder();
    if (!fresh) {
        avcodec_flush_buffers(decoder_.get());
    }
    converter_->reset();
    draining_ = false;
    finished_ = false;
    return fresh;
}

bool FfmpegSource::decodeNext(Block &block) {
    int errors = 0;
    while (!finished_) {
        const int rc = avcodec_receive_frame(decoder_.get(), frame_.get());
        if (rc == 0) {
            errors = 0;
            if (frame_->nb_samples <= 0) {
                av_frame_unref(frame_.get());
                continue;
            }
            const int64_t ts = frame_->best_effort_timestamp;
            const bool converted = converter_->append(*frame_, block.samples);
            av_frame_unref(frame_.get());
            if (!converted) {
                continue;
            }
            if (nextBlock_ == NextBlock::FirstAfterSeek) {
                block.start = ts != AV_NOPTS_VALUE ? positionOf(ts) : kUnknownStart;
            } else if (nextBlock_ == NextBlock::FirstFromTop) {
                // From the top the first heard sample is position 0, whatever its timestamp.
                if (ts != AV_NOPTS_VALUE) {
                    originTs_ = ts;
                }
                block.start = -lead_;
            }
            nextBlock_ = NextBlock::Continues;
            return true;
        }
        if (rc == AVERROR_EOF) {
            finished_ = true;
            break;
        }
        if (rc == AVERROR(EAGAIN)) {
            if (draining_) {
                finished_ = true;
                break;
            }
            const int readRc = av_read_frame(input_.get(), packet_.get());
            if (readRc < 0) {
                avcodec_send_packet(decoder_.get(), nullptr);
                draining_ = true;
                continue;
            }
            if (packet_->stream_index == streamIndex_) {
                ++packetsRead_;
                const int sendRc = avcodec_send_packet(decoder_.get(), packet_.get());
                if (sendRc < 0 && sendRc != AVERROR(EAGAIN) && ++errors > kMaxDecodeErrors) {
                    finished_ = true;
                }
            }
            av_packet_unref(packet_.get());
            continue;
        }
        if (++errors > kMaxDecodeErrors) {
            finished_ = true;
        }
    }
    return false;
}

bool FfmpegSource::seekBefore(int64_t target) {
    if (!randomAccess()) {
        return false;
    }
    const AVCodecID id = input_->streams[streamIndex_]->codecpar->codec_id;
    const int64_t preroll = isPcm(id) ? 0 : int64_t{sampleRate()} * kPrerollMilliseconds / 1000;
    const int64_t ts = std::max(timestampOf(std::max<int64_t>(0, target - preroll)), startTs());
    const int64_t seekTs = ts > startTs() ? ts : firstPacketTs();
    if (av_seek_frame(input_.get(), streamIndex_, seekTs, AVSEEK_FLAG_BACKWARD) < 0) {
        return false;
    }
    flushDecoder();
    nextBlock_ = NextBlock::FirstAfterSeek;
    return true;
}

bool FfmpegSource::rewind() {
    if (!flushDecoder() && !randomAccess()) {
        // Stateful ADPCM only starts as the file did with a new decoder.
        finished_ = true;
        return false;
    }
    if (rawG721_ ||
        av_seek_frame(input_.get(), streamIndex_, firstPacketTs(), AVSEEK_FLAG_BACKWARD) < 0) {
        // Some raw streams can't seek; opening them again is cheap and always lands at 0.
        int errorNum = 0;
        QString errorText;
        input_.reset();
        if (!openInput(&errorNum, &errorText)) {
            finished_ = true;
            return false;
        }
        for (unsigned i = 0; i < input_->nb_streams; ++i) {
            if (static_cast<int>(i) != streamIndex_) {
                input_->streams[i]->discard = AVDISCARD_ALL;
            }
        }
    }
    nextBlock_ = NextBlock::FirstFromTop;
    return true;
}

QString FfmpegSource::describe() const {
    const AVStream *st = input_->streams[streamIndex_];
    const AVCodecParameters *par = st->codecpar;
    const int sourceChannels = par->ch_layout.nb_channels;
    const QString format = QString::fromLatin1(input_->iformat->name);
    QString name;
    QString quality;
    if (par->codec_id == AV_CODEC_ID_FLAC) {
        const int bits = par->bits_per_raw_sample > 0 ? par->bits_per_raw_sample : 16;
        return QStringLiteral("FLAC %1 Hz, %2 bit, %3")
            .arg(par->sample_rate)
            .arg(bits)
            .arg(channelsText(sourceChannels));
    }
    if (isPcm(par->codec_id)) {
        // Telephone codings are companded, not linear: 8 bits that sound like 13 or 14.
        name = par->codec_id == AV_CODEC_ID_PCM_MULAW  ? QStringLiteral("\u00b5-law")
               : par->codec_id == AV_CODEC_ID_PCM_ALAW ? QStringLiteral("A-law")
                                                       : QStringLiteral("PCM");
        int bits = av_get_exact_bits_per_sample(par->codec_id);
        if (bits <= 0) {
            bits = par->bits_per_coded_sample;
        }
        quality = QStringLiteral("%1 bit").arg(bits);
    } else {
        // A declared rate is believed only below that of 32-bit PCM: containers that don't
        // know it leave it unset or all ones (which once showed as "4294967 kbps").
        const int64_t ceiling = int64_t{32} * par->sample_rate * std::max(1, sourceChannels);
        const auto plausible = [ceiling](int64_t rate) { return rate > 0 && rate <= ceiling; };
        int64_t bitRate = plausible(par->bit_rate) ? par->bit_rate : input_->bit_rate;
        if (!plausible(bitRate) && length() > 0) {
            bitRate = fileSize_ * 8 * sampleRate() / length();
        }
        if (isG726(par->codec_id) && par->bits_per_coded_sample > 0) {
            bitRate = int64_t{par->bits_per_coded_sample} * par->sample_rate;
        }
        quality = plausible(bitRate)
                      ? QStringLiteral("%1 kbps").arg((bitRate + 500) / 1000)
                      : QCoreApplication::translate("FfmpegSource", "bitrate unknown");
        if (par->codec_id == AV_CODEC_ID_OPUS) {
            // Always decoded at 48000 Hz: the rate says nothing about the file.
            return QStringLiteral("Opus %1, %2").arg(quality, channelsText(sourceChannels));
        }
        switch (par->codec_id) {
            case AV_CODEC_ID_MP1:
            case AV_CODEC_ID_MP2:
            case AV_CODEC_ID_MP3:
                name = QStringLiteral("MPEG %1 layer-%2")
                           .arg(mpegVersionText(par->sample_rate))
                           .arg(par->codec_id == AV_CODEC_ID_MP1   ? 1
                                : par->codec_id == AV_CODEC_ID_MP2 ? 2
                                                                   : 3);
                break;
            case AV_CODEC_ID_VORBIS:
                name = format.contains(QLatin1String("ogg")) ? QStringLiteral("Ogg Vorbis")
                                                             : QStringLiteral("Vorbis");
                break;
            case AV_CODEC_ID_ADPCM_G726:
            case AV_CODEC_ID_ADPCM_G726LE:
                name = par->bits_per_coded_sample == 4 ? QStringLiteral("G.721 ADPCM")
                                                       : QStringLiteral("G.726 ADPCM");
                break;
            default: {
                const AVCodecDescriptor *desc = avcodec_descriptor_get(par->codec_id);
                name = desc != nullptr && desc->long_name != nullptr
                           ? QString::fromUtf8(desc->long_name)
                           : QCoreApplication::translate("FfmpegSource", "Audio");
                break;
            }
        }
    }
    return QStringLiteral("%1: %2 Hz, %3, %4")
        .arg(name)
        .arg(par->sample_rate)
        .arg(quality)
        .arg(channelsText(sourceChannels));
}

}  // namespace korvanta::codec
