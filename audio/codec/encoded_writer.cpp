#include "audio/codec/encoded_writer.h"

#include "audio/codec/codec_error.h"
#include "audio/codec/posix_file.h"
#include "audio/codec/stream_repair.h"

#include <QCoreApplication>

extern "C" {
#include <libavutil/channel_layout.h>
}

#include <algorithm>

namespace korvanta::codec {

namespace {

struct EncoderChoice {
    const char *muxer;
    const char *encoder;
    AVSampleFormat sampleFormat;
    const char *name;  // for messages
};

EncoderChoice encoderFor(EncodedCodec codec) {
    switch (codec) {
        case EncodedCodec::Flac:
            return {"flac", "flac", AV_SAMPLE_FMT_S16, "FLAC"};
        case EncodedCodec::Opus:
            return {"ogg", "libopus", AV_SAMPLE_FMT_S16, "Opus"};
        case EncodedCodec::Vorbis:
            break;
    }
    return {"ogg", "libvorbis", AV_SAMPLE_FMT_FLTP, "Vorbis"};
}

}  // namespace

std::unique_ptr<EncodedWriter> EncodedWriter::create(const QString &path,
                                                     const EncodedFormat &format, int *errorNum,
                                                     QString *errorText) {
    quietFfmpegLog();
    if (const QString problem = encodedFormatProblem(format); !problem.isEmpty()) {
        *errorNum = ErrBadFormat;
        *errorText = problem;
        return nullptr;
    }
    std::unique_ptr<EncodedWriter> w(new EncodedWriter(path, format));
    if (!w->setUpEncoder(path, errorNum, errorText)) {
        return nullptr;
    }
    return w;
}

bool EncodedWriter::setUpEncoder(const QString &path, int *errorNum, QString *errorText) {
    const EncoderChoice choice = encoderFor(format_.codec);
    const QByteArray name = nativePath(path);
    auto bail = [&](int num, const QString &text) {
        *errorNum = num;
        *errorText = text;
        return false;
    };

    AVFormatContext *ctx = nullptr;
    if (avformat_alloc_output_context2(&ctx, nullptr, choice.muxer, name.constData()) < 0 || !ctx) {
        return bail(ErrCannotCreate, QCoreApplication::translate(
                                         "EncodedWriter", "The %1 file writer is not available")
                                         .arg(QLatin1String(choice.name)));
    }
    output_.reset(ctx);
    const AVCodec *codec = avcodec_find_encoder_by_name(choice.encoder);
    if (codec == nullptr) {
        return bail(ErrCannotCreate,
                    QCoreApplication::translate("EncodedWriter", "The %1 encoder is not available")
                        .arg(QLatin1String(choice.name)));
    }
    encoder_.reset(avcodec_alloc_context3(codec));
    frame_ = makeFrame();
    packet_ = makePacket();
    if (!encoder_ || !frame_ || !packet_) {
        return bail(ErrCannotCreate, QCoreApplication::translate("EncodedWriter", "Out of memory"));
    }
    AVCodecContext *enc = encoder_.get();
    enc->sample_fmt = choice.sampleFormat;
    enc->sample_rate = sampleRate();
    av_channel_layout_default(&enc->ch_layout, channels());
    enc->time_base = AVRational{1, sampleRate()};
    switch (format_.codec) {
        case EncodedCodec::Flac:
            enc->compression_level = kFlacCompressionLevel;
            break;
        case EncodedCodec::Opus:
            enc->bit_rate = int64_t{format_.bitrateKbps} * 1000;
            break;
        case EncodedCodec::Vorbis:
            enc->flags |= AV_CODEC_FLAG_QSCALE;
            enc->global_quality = format_.quality * FF_QP2LAMBDA;
            break;
    }
    if (ctx->oformat->flags & AVFMT_GLOBALHEADER) {
        enc->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    }
    if (const int rc = avcodec_open2(enc, codec, nullptr); rc < 0) {
        return bail(ErrBadFormat,
                    QStringLiteral("%1 can't be written as %2 (%3)")
                        .arg(QLatin1String(choice.name), formatText(), ffmpegErrorText(rc)));
    }
    stream_ = avformat_new_stream(ctx, nullptr);
    if (stream_ == nullptr || avcodec_parameters_from_context(stream_->codecpar, enc) < 0) {
        return bail(ErrCannotCreate, QCoreApplication::translate("EncodedWriter", "Out of memory"));
    }
    stream_->time_base = enc->time_base;

    if (const int rc = avio_open(&ctx->pb, name.constData(), AVIO_FLAG_WRITE); rc < 0) {
        return bail(ErrCannotCreate,
                    QCoreApplication::translate("EncodedWriter", "Cannot create %1: %2")
                        .arg(path, ffmpegErrorText(rc)));
    }
    if (const int rc = avformat_write_header(ctx, nullptr); rc < 0) {
        return bail(ErrCannotCreate,
                    QCoreApplication::translate("EncodedWriter", "Cannot write %1: %2")
                        .arg(path, ffmpegErrorText(rc)));
    }
    avio_flush(ctx->pb);
    if (ctx->pb->error < 0) {
        return bail(ErrCannotCreate,
                    QCoreApplication::translate("EncodedWriter", "Cannot write %1: %2")
                        .arg(path, ffmpegErrorText(ctx->pb->error)));
    }

    // One frame, allocated once and refilled: Vorbis takes 64 samples at a time.
    const int frameSize = enc->frame_size > 0 ? enc->frame_size : 1024;
    frame_->nb_samples = frameSize;
    frame_->format = enc->sample_fmt;
    frame_->sample_rate = enc->sample_rate;
    fifo_.reset(av_audio_fifo_alloc(enc->sample_fmt, channels(), std::max(frameSize, 16384)));
    if (av_channel_layout_copy(&frame_->ch_layout, &enc->ch_layout) < 0 ||
        av_frame_get_buffer(frame_.get(), 0) < 0 || !fifo_) {
        return bail(ErrCannotCreate, QCoreApplication::translate("EncodedWriter", "Out of memory"));
    }
    return true;
}

QString EncodedWriter::formatText() const {
    return encodedFormatText(format_);
}

bool EncodedWriter::checkIo(const char *what, int rc) {
    if (rc < 0) {
        fail(ErrWriteFailed,
             QStringLiteral("%1 failed: %2").arg(QLatin1String(what), ffmpegErrorText(rc)));
    } else if (output_->pb != nullptr && output_->pb->error < 0) {
        fail(ErrWriteFailed, QStringLiteral("%1 failed: %2")
                                 .arg(QLatin1String(what), ffmpegErrorText(output_->pb->error)));
    }
    return !failed();
}

bool EncodedWriter::sendToEncoder(const AVFrame *frame) {
    int rc = avcodec_send_frame(encoder_.get(), frame);
    if (rc < 0) {
        fail(ErrWriteFailed, QCoreApplication::translate("EncodedWriter", "The encoder failed: %1")
                                 .arg(ffmpegErrorText(rc)));
        return false;
    }
    for (;;) {
        rc = avcodec_receive_packet(encoder_.get(), packet_.get());
        if (rc == AVERROR(EAGAIN) || rc == AVERROR_EOF) {
            return true;
        }
        if (rc < 0) {
            fail(ErrWriteFailed,
                 QCoreApplication::translate("EncodedWriter", "The encoder failed: %1")
                     .arg(ffmpegErrorText(rc)));
            return false;
        }
        av_packet_rescale_ts(packet_.get(), encoder_->time_base, stream_->time_base);
        packet_->stream_index = stream_->index;
        rc = av_write_frame(output_.get(), packet_.get());
        av_packet_unref(packet_.get());
        if (!checkIo("Writing the file", rc)) {
            return false;
        }
    }
}

// Encodes one frame from the FIFO. With `flush` the last, shorter frame goes too: each
// encoder takes a short frame as the end and records the exact length (FLAC's block size,
// Ogg's last granule position), so decoders give back exactly what was written.
bool EncodedWriter::encodeFrame(bool flush) {
    const int frameSize = encoder_->frame_size > 0 ? encoder_->frame_size : 1024;
    const int available = av_audio_fifo_size(fifo_.get());
    if (available <= 0 || (available < frameSize && !flush)) {
        return false;
    }
    if (av_frame_make_writable(frame_.get()) < 0) {
        fail(ErrWriteFailed, QCoreApplication::translate("EncodedWriter", "Out of memory"));
        return false;
    }
    const int take = std::min(available, frameSize);
    frame_->nb_samples = take;
    av_audio_fifo_read(fifo_.get(), reinterpret_cast<void **>(frame_->data), take);
    frame_->pts = nextPts_;
    nextPts_ += take;
    return sendToEncoder(frame_.get());
}

bool EncodedWriter::queue(const int16_t *samples, int frames) {
    const int ch = channels();
    int written = 0;
    if (encoder_->sample_fmt == AV_SAMPLE_FMT_S16) {
        void *data[1] = {const_cast<int16_t *>(samples)};
        written = av_audio_fifo_write(fifo_.get(), data, frames);
    } else {
        planes_.resize(static_cast<size_t>(frames) * ch);
        void *data[2] = {planes_.data(), planes_.data() + frames};
        for (int i = 0; i < frames; ++i) {
            for (int c = 0; c < ch; ++c) {
                planes_[static_cast<size_t>(c) * frames + i] = samples[i * ch + c] / 32768.0f;
            }
        }
        written = av_audio_fifo_write(fifo_.get(), data, frames);
    }
    if (written < frames) {
        fail(ErrWriteFailed, QCoreApplication::translate("EncodedWriter", "Out of memory"));
        return false;
    }
    return true;
}

bool EncodedWriter::write(const int16_t *samples, int frames) {
    if (failed() || finished_ || frames <= 0) {
        return !failed();
    }
    if (!queue(samples, frames)) {
        return false;
    }
    addFrames(frames);
    while (encodeFrame(false)) {
    }
    if (failed()) {
        return false;
    }
    const int64_t flushEvery = int64_t{sampleRate()} * kOggFlushMilliseconds / 1000;
    if (isOgg() && framesWritten() - flushedAt_ >= flushEvery) {
        // Ends the page under way, so that what is encoded reaches the disk now.
        checkIo("Writing the file", av_write_frame(output_.get(), nullptr));
        flushedAt_ = framesWritten();
    }
    avio_flush(output_->pb);
    return checkIo("Writing the file", 0);
}

bool EncodedWriter::finish() {
    if (finished_) {
        return !failed();
    }
    finished_ = true;
    if (!failed()) {
        while (encodeFrame(true)) {
        }
    }
    if (!failed()) {
        sendToEncoder(nullptr);
    }
    // The trailer ends the last Ogg page and writes FLAC's length and checksum into its
    // header; worth trying even after a failed write, as it may fit where a packet did not.
    checkIo("Completing the file", av_write_trailer(output_.get()));
    if (output_->pb != nullptr) {
        avio_flush(output_->pb);
        checkIo("Completing the file", 0);
        checkIo("Closing the file", avio_closep(&output_->pb));
    }
    // A failed write may have left part of a frame or page at the end, and the header
    // without the length; the repair keeps what is whole and says so in the header.
    if (failed()) {
        if (isOgg()) {
            repairOggFile(path_);
        } else {
            repairFlacFile(path_);
        }
    }
    return !failed();
}

}  // namespace korvanta::codec
