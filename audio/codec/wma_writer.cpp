#include "audio/codec/wma_writer.h"

#include "audio/codec/asf_header.h"
#include "audio/codec/codec_error.h"
#include "audio/codec/posix_file.h"

extern "C" {
#include <libavutil/channel_layout.h>
}

#include <algorithm>

#include <QCoreApplication>

namespace korvanta::codec {

std::unique_ptr<WmaWriter> WmaWriter::create(const QString &path, const WmaProfile &profile,
                                             int *errorNum, QString *errorText) {
    quietFfmpegLog();
    std::unique_ptr<WmaWriter> w(new WmaWriter(profile));
    w->path_ = path;
    const QByteArray name = nativePath(path);
    auto bail = [&](int num, const QString &text) {
        *errorNum = num;
        *errorText = text;
        return nullptr;
    };

    AVFormatContext *ctx = nullptr;
    if (avformat_alloc_output_context2(&ctx, nullptr, "asf", name.constData()) < 0 || !ctx) {
        return bail(ErrCannotCreate,
                    QCoreApplication::translate("WmaWriter", "The ASF writer is not available"));
    }
    w->output_.reset(ctx);

    const AVCodec *codec = avcodec_find_encoder(AV_CODEC_ID_WMAV2);
    if (codec == nullptr) {
        return bail(ErrCannotCreate,
                    QCoreApplication::translate("WmaWriter", "The WMA encoder is not available"));
    }
    w->encoder_.reset(avcodec_alloc_context3(codec));
    w->frame_ = makeFrame();
    w->packet_ = makePacket();
    if (!w->encoder_ || !w->frame_ || !w->packet_) {
        return bail(ErrCannotCreate, QCoreApplication::translate("WmaWriter", "Out of memory"));
    }
    AVCodecContext *enc = w->encoder_.get();
    enc->sample_fmt = AV_SAMPLE_FMT_FLTP;
    enc->sample_rate = profile.sampleRate;
    av_channel_layout_default(&enc->ch_layout, profile.channels);
    enc->bit_rate = int64_t{profile.bitrateKbps} * 1000;
    enc->time_base = AVRational{1, profile.sampleRate};
    if (ctx->oformat->flags & AVFMT_GLOBALHEADER) {
        enc->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    }
    if (const int rc = avcodec_open2(enc, codec, nullptr); rc < 0) {
        return bail(ErrBadFormat,
                    QCoreApplication::translate("WmaWriter", "WMA can't be written as %1 (%2)")
                        .arg(wmaProfileText(profile), ffmpegErrorText(rc)));
    }
    w->stream_ = avformat_new_stream(ctx, nullptr);
    if (w->stream_ == nullptr || avcodec_parameters_from_context(w->stream_->codecpar, enc) < 0) {
        return bail(ErrCannotCreate, QCoreApplication::translate("WmaWriter", "Out of memory"));
    }
    w->stream_->time_base = enc->time_base;

    if (const int rc = avio_open(&ctx->pb, name.constData(), AVIO_FLAG_WRITE); rc < 0) {
        return bail(ErrCannotCreate,
                    QCoreApplication::translate("WmaWriter", "Cannot create %1: %2")
                        .arg(path, ffmpegErrorText(rc)));
    }
    if (const int rc = avformat_write_header(ctx, nullptr); rc < 0) {
        return bail(ErrCannotCreate, QCoreApplication::translate("WmaWriter", "Cannot write %1: %2")
                                         .arg(path, ffmpegErrorText(rc)));
    }
    avio_flush(ctx->pb);
    w->fifo_.reset(av_audio_fifo_alloc(AV_SAMPLE_FMT_FLTP, profile.channels, enc->frame_size * 4));
    if (!w->fifo_) {
        return bail(ErrCannotCreate, QCoreApplication::translate("WmaWriter", "Out of memory"));
    }
    // Decoders drop the first frame, which only primes the transform's overlap; a frame of
    // silence ahead keeps the whole recording and puts its first sample at position 0.
    std::vector<float> silence(static_cast<size_t>(enc->frame_size), 0.0f);
    void *planes[2] = {silence.data(), silence.data()};
    av_audio_fifo_write(w->fifo_.get(), planes, enc->frame_size);
    return w;
}

QString WmaWriter::formatText() const {
    return QStringLiteral("Windows Media Audio 2: ") + wmaProfileText(profile_);
}

bool WmaWriter::checkIo(const char *what, int rc) {
    if (rc < 0) {
        fail(ErrWriteFailed,
             QCoreApplication::translate("WmaWriter", "%1 failed: %2")
                 .arg(QCoreApplication::translate("WmaWriter", what), ffmpegErrorText(rc)));
    } else if (output_->pb != nullptr && output_->pb->error < 0) {
        fail(ErrWriteFailed, QCoreApplication::translate("WmaWriter", "%1 failed: %2")
                                 .arg(QCoreApplication::translate("WmaWriter", what),
                                      ffmpegErrorText(output_->pb->error)));
    }
    return !failed();
}

bool WmaWriter::sendToEncoder(const AVFrame *frame) {
    int rc = avcodec_send_frame(encoder_.get(), frame);
    if (rc < 0) {
        fail(ErrWriteFailed, QCoreApplication::translate("WmaWriter", "The WMA encoder failed: %1")
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
                 QCoreApplication::translate("WmaWriter", "The WMA encoder failed: %1")
                     .arg(ffmpegErrorText(rc)));
            return false;
        }
        av_packet_rescale_ts(packet_.get(), encoder_->time_base, stream_->time_base);
        packet_->stream_index = stream_->index;
        rc = av_write_frame(output_.get(), packet_.get());
        av_packet_unref(packet_.get());
        if (!checkIo(QT_TRANSLATE_NOOP("WmaWriter", "Writing the WMA file"), rc)) {
            return false;
        }
    }
}

// Encodes one frame from the FIFO; with `flush` a last short frame is padded with silence.
bool WmaWriter::encodeFrame(bool flush) {
    const int frameSize = encoder_->frame_size;
    const int available = av_audio_fifo_size(fifo_.get());
    if (available <= 0 || (available < frameSize && !flush)) {
        return false;
    }
    av_frame_unref(frame_.get());
    frame_->nb_samples = frameSize;
    frame_->format = encoder_->sample_fmt;
    frame_->sample_rate = encoder_->sample_rate;
    av_channel_layout_copy(&frame_->ch_layout, &encoder_->ch_layout);
    if (av_frame_get_buffer(frame_.get(), 0) < 0) {
        fail(ErrWriteFailed, QCoreApplication::translate("WmaWriter", "Out of memory"));
        return false;
    }
    const int take = std::min(available, frameSize);
    av_audio_fifo_read(fifo_.get(), reinterpret_cast<void **>(frame_->data), take);
    for (int c = 0; c < channels(); ++c) {
        auto *plane = reinterpret_cast<float *>(frame_->data[c]);
        std::fill(plane + take, plane + frameSize, 0.0f);
    }
    frame_->pts = nextPts_;
    nextPts_ += frameSize;
    return sendToEncoder(frame_.get());
}

bool WmaWriter::write(const int16_t *samples, int frames) {
    if (failed() || finished_ || frames <= 0) {
        return !failed();
    }
    const int ch = channels();
    planes_.resize(static_cast<size_t>(frames) * ch);
    void *planePtrs[2] = {planes_.data(), planes_.data() + frames};
    for (int i = 0; i < frames; ++i) {
        for (int c = 0; c < ch; ++c) {
            planes_[static_cast<size_t>(c) * frames + i] = samples[i * ch + c] / 32768.0f;
        }
    }
    if (av_audio_fifo_write(fifo_.get(), planePtrs, frames) < frames) {
        fail(ErrWriteFailed, QCoreApplication::translate("WmaWriter", "Out of memory"));
        return false;
    }
    addFrames(frames);
    while (encodeFrame(false)) {
    }
    if (!failed()) {
        avio_flush(output_->pb);
        checkIo(QT_TRANSLATE_NOOP("WmaWriter", "Writing the WMA file"), 0);
    }
    return !failed();
}

bool WmaWriter::finish() {
    if (finished_) {
        return !failed();
    }
    finished_ = true;
    if (!failed() && framesWritten() > 0) {
        while (encodeFrame(true)) {
        }
    }
    if (!failed()) {
        sendToEncoder(nullptr);
    }
    // The trailer completes the header's sizes and durations; worth trying even after a
    // failed write, as it may fit where a packet did not.
    checkIo(QT_TRANSLATE_NOOP("WmaWriter", "Completing the WMA file"),
            av_write_trailer(output_.get()));
    if (output_->pb != nullptr) {
        avio_flush(output_->pb);
        checkIo(QT_TRANSLATE_NOOP("WmaWriter", "Completing the WMA file"), 0);
        checkIo(QT_TRANSLATE_NOOP("WmaWriter", "Closing the WMA file"), avio_closep(&output_->pb));
    }
    // After a failed write (a full disk) the trailer could not fill in the header's sizes and
    // length; they are set from the packets that made it into the file, which fits in place.
    if (failed()) {
        repairAsfHeader(path_);
    }
    return !failed();
}

}  // namespace korvanta::codec
