#include "audio/codec/mp3_writer.h"

#include "audio/codec/codec_error.h"
#include "audio/codec/stream_repair.h"

#include <algorithm>
#include <array>

#include <QCoreApplication>

namespace korvanta::codec {

namespace {

constexpr std::array<int, 9> kMp3Rates = {8000,  11025, 12000, 16000, 22050,
                                          24000, 32000, 44100, 48000};
// LAME's worst case for a buffer of n frames is 1.25 n + 7200 bytes.
int outputBytesFor(int frames) {
    return frames + frames / 4 + 7200;
}

// Whether a frame of `kbps` at `rate` has room for LAME's info tag: 156 bytes after the
// header and the side information of a stereo frame.
bool frameHoldsInfoTag(int rate, int kbps) {
    if (rate <= 0) {
        return true;
    }
    const bool mpeg1 = rate >= 32000;
    const int frameBytes = (mpeg1 ? 144000 : 72000) * kbps / rate;
    const int headerAndSideInfo = mpeg1 ? 4 + 32 : 4 + 17;
    return frameBytes >= headerAndSideInfo + 156;
}

bool configureLame(lame_global_flags *gf, int inRate, int outRate, int kbps,
                   bool tagFrameOfItsOwn) {
    lame_set_in_samplerate(gf, inRate);
    if (outRate > 0) {
        lame_set_out_samplerate(gf, outRate);
    }
    lame_set_num_channels(gf, 2);
    lame_set_mode(gf, JOINT_STEREO);
    if (tagFrameOfItsOwn) {
        lame_set_VBR(gf, vbr_abr);
        lame_set_VBR_mean_bitrate_kbps(gf, kbps);
        lame_set_VBR_min_bitrate_kbps(gf, kbps);
        lame_set_VBR_max_bitrate_kbps(gf, kbps);
        lame_set_VBR_hard_min(gf, 1);
    } else {
        lame_set_VBR(gf, vbr_off);
        lame_set_brate(gf, kbps);
    }
    // LAME's default quality, the one the lame and ffmpeg tools encode with; 2 spends nearly
    // twice the CPU time on the same bitrate.
    lame_set_quality(gf, 3);
    lame_set_bWriteVbrTag(gf, 1);
    lame_set_write_id3tag_automatic(gf, 0);
    return lame_init_params(gf) >= 0;
}

}  // namespace

QString mpegVersionForRate(int sampleRate) {
    if (sampleRate >= 32000) {
        return QStringLiteral("MPEG 1.0");
    }
    return sampleRate >= 16000 ? QStringLiteral("MPEG 2.0") : QStringLiteral("MPEG 2.5");
}

std::unique_ptr<Mp3Writer> Mp3Writer::create(const QString &path, int sampleRate, int bitrateKbps,
                                             int *errorNum, QString *errorText) {
    QString loadError;
    if (korvanta::loadLameApi(&loadError) == nullptr) {
        *errorNum = ErrCannotCreate;
        *errorText =
            QCoreApplication::translate("Mp3Writer", "Cannot start the MP3 encoder: ") + loadError;
        return nullptr;
    }
    std::unique_ptr<Mp3Writer> w(new Mp3Writer(path, sampleRate, bitrateKbps));
    w->lame_.reset(lame_init());
    if (!w->lame_) {
        *errorNum = ErrCannotCreate;
        *errorText =
            QCoreApplication::translate("Mp3Writer", "The MP3 encoder could not be started");
        return nullptr;
    }
    // Keep the rate as it is where MP3 has it; LAME would otherwise pick one to suit the bitrate.
    int outRate = 0;
    if (std::find(kMp3Rates.begin(), kMp3Rates.end(), sampleRate) != kMp3Rates.end()) {
        outRate = sampleRate;
    }
    bool ok = configureLame(w->lame_.get(), sampleRate, outRate, bitrateKbps, false);
    outRate = lame_get_out_samplerate(w->lame_.get());
    if (ok && !frameHoldsInfoTag(outRate, bitrateKbps)) {
        // LAME puts its info tag (encoder delay and padding, which let decoders return the
        // exact length) into a first frame of the stream's bitrate, and leaves it out where
        // that frame is too small: below 64 kbps at 44100 Hz, at 48 kbps and less at the
        // MPEG-2 rates. Average-bitrate mode held to this one bitrate writes every audio
        // frame at it as well, but gives the tag a larger frame of its own.
        w->lame_.reset(lame_init());
        ok = w->lame_ && configureLame(w->lame_.get(), sampleRate, outRate, bitrateKbps, true);
    }
    if (!ok) {
        *errorNum = ErrBadFormat;
        *errorText =
            QCoreApplication::translate("Mp3Writer", "MP3 can't be written at %1 Hz, %2 kbps")
                .arg(sampleRate)
                .arg(bitrateKbps);
        return nullptr;
    }
    if (const int err = w->file_.create(path); err != 0) {
        *errorNum = ErrCannotCreate;
        *errorText = QCoreApplication::translate("Mp3Writer", "Cannot create %1: %2")
                         .arg(path, systemErrorText(err));
        return nullptr;
    }
    return w;
}

QString Mp3Writer::formatText() const {
    const lame_global_flags *gf = lame_.get();
    const int rate = lame_get_out_samplerate(gf);
    return QStringLiteral("%1 layer-3: %2 Hz, %3 kbps, stereo")
        .arg(mpegVersionForRate(rate))
        .arg(rate)
        .arg(bitrateKbps_);
}

bool Mp3Writer::writeOut(int bytes) {
    if (bytes < 0) {
        fail(ErrWriteFailed,
             QCoreApplication::translate("Mp3Writer", "The MP3 encoder failed (%1)").arg(bytes));
        return false;
    }
    if (bytes == 0) {
        return true;
    }
    if (const int err = file_.append(out_.data(), static_cast<size_t>(bytes)); err != 0) {
        fail(ErrWriteFailed,
             QCoreApplication::translate("Mp3Writer", "Writing the MP3 file failed: %1")
                 .arg(systemErrorText(err)));
        return false;
    }
    return true;
}

bool Mp3Writer::write(const int16_t *samples, int frames) {
    if (failed() || finished_ || frames <= 0) {
        return !failed();
    }
    in_.assign(samples, samples + static_cast<size_t>(frames) * 2);
    out_.resize(static_cast<size_t>(outputBytesFor(frames)));
    const int bytes = lame_encode_buffer_interleaved(lame_.get(), in_.data(), frames, out_.data(),
                                                     static_cast<int>(out_.size()));
    if (writeOut(bytes)) {
        addFrames(frames);
    }
    return !failed();
}

bool Mp3Writer::finish() {
    if (finished_) {
        return !failed();
    }
    finished_ = true;
    // After a failed write the info frame would claim frames that never reached the disk, so
    // such a file keeps LAME's empty placeholder frame instead.
    if (!failed()) {
        out_.resize(static_cast<size_t>(outputBytesFor(0)));
        writeOut(lame_encode_flush(lame_.get(), out_.data(), static_cast<int>(out_.size())));
    }
    if (!failed()) {
        out_.resize(2880);  // the largest MPEG audio frame
        const size_t tagBytes = lame_get_lametag_frame(lame_.get(), out_.data(), out_.size());
        if (tagBytes > 0 && tagBytes <= out_.size()) {
            if (const int err = file_.writeAt(0, out_.data(), tagBytes); err != 0) {
                fail(ErrWriteFailed, QCoreApplication::translate(
                                         "Mp3Writer", "Writing the MP3 info frame failed: %1")
                                         .arg(systemErrorText(err)));
            }
        }
    }
    if (const int err = file_.close(); err != 0) {
        fail(ErrWriteFailed,
             QCoreApplication::translate("Mp3Writer", "Closing the MP3 file failed: %1")
                 .arg(systemErrorText(err)));
    }
    if (failed()) {
        repairMp3File(path_);
    }
    return !failed();
}

}  // namespace korvanta::codec
