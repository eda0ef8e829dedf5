#include "audio/codec/mp3_writer.h"

#include "audio/codec/codec_error.h"

#include <algorithm>
#include <array>

namespace korvanta::codec {

namespace {

constexpr std::array<int, 9> kMp3Rates = {8000,  11025, 12000, 16000, 22050,
                                          24000, 32000, 44100, 48000};
// LAME's worst case for a buffer of n frames is 1.25 n + 7200 bytes.
int outputBytesFor(int frames) {
    return frames + frames / 4 + 7200;
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
    std::unique_ptr<Mp3Writer> w(new Mp3Writer(sampleRate));
    w->lame_.reset(lame_init());
    if (!w->lame_) {
        *errorNum = ErrCannotCreate;
        *errorText = QStringLiteral("The MP3 encoder could not be started");
        return nullptr;
    }
    lame_global_flags *gf = w->lame_.get();
    lame_set_in_samplerate(gf, sampleRate);
    // Keep the rate as it is where MP3 has it; LAME would otherwise pick one to suit the bitrate.
    if (std::find(kMp3Rates.begin(), kMp3Rates.end(), sampleRate) != kMp3Rates.end()) {
        lame_set_out_samplerate(gf, sampleRate);
    }
    lame_set_num_channels(gf, 2);
    lame_set_mode(gf, JOINT_STEREO);
    lame_set_VBR(gf, vbr_off);
    lame_set_brate(gf, bitrateKbps);
    // LAME's default quality, the one the lame and ffmpeg tools encode with; 2 spends nearly
    // twice the CPU time on the same bitrate.
    lame_set_quality(gf, 3);
    lame_set_bWriteVbrTag(gf, 1);
    lame_set_write_id3tag_automatic(gf, 0);
    if (lame_init_params(gf) < 0) {
        *errorNum = ErrBadFormat;
        *errorText = QStringLiteral("MP3 can't be written at %1 Hz, %2 kbps")
                         .arg(sampleRate)
                         .arg(bitrateKbps);
        return nullptr;
    }
    if (const int err = w->file_.create(path); err != 0) {
        *errorNum = ErrCannotCreate;
        *errorText = QStringLiteral("Cannot create %1: %2").arg(path, systemErrorText(err));
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
        .arg(lame_get_brate(gf));
}

bool Mp3Writer::writeOut(int bytes) {
    if (bytes < 0) {
        fail(ErrWriteFailed, QStringLiteral("The MP3 encoder failed (%1)").arg(bytes));
        return false;
    }
    if (bytes == 0) {
        return true;
    }
    if (const int err = file_.append(out_.data(), static_cast<size_t>(bytes)); err != 0) {
        fail(ErrWriteFailed,
             QStringLiteral("Writing the MP3 file failed: %1").arg(systemErrorText(err)));
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
                fail(ErrWriteFailed, QStringLiteral("Writing the MP3 info frame failed: %1")
                                         .arg(systemErrorText(err)));
            }
        }
    }
    if (const int err = file_.close(); err != 0) {
        fail(ErrWriteFailed,
             QStringLiteral("Closing the MP3 file failed: %1").arg(systemErrorText(err)));
    }
    return !failed();
}

}  // namespace korvanta::codec
