#include "audio/audio_file2.h"

#include "audio/audio_file2_lame_enc.h"
#include "audio/codec/audio_source.h"
#include "audio/codec/audio_writer.h"
#include "audio/codec/background_writer.h"
#include "audio/codec/codec_error.h"
#include "audio/codec/encoded_format.h"
#include "audio/codec/ffmpeg_codec.h"
#include "audio/codec/mp3_writer.h"
#include "audio/codec/wav_writer.h"
#include "audio/codec/wma_profiles.h"

#include <algorithm>
#include <climits>

#include <QCoreApplication>

using namespace korvanta::codec;

namespace {

enum class OutputKind { Pcm, Mp3, Wma, Encoded };

constexpr int kMinRate = 8000;
constexpr int kMaxRate = 48000;
// How far background encoding may fall behind before WriteFile drops frames: longer than the
// recorder's 30-second ring, since after a stall of the GUI thread that the ring rode out the
// whole backlog is handed over at once.
constexpr int kBackgroundSeconds = 40;

int clampToInt(int64_t v) {
    return static_cast<int>(std::clamp<int64_t>(v, INT_MIN, INT_MAX));
}

}  // namespace

struct TAudioFile2::Impl {
    bool wmaEnabled = false;
    OutputKind kind = OutputKind::Pcm;
    int pcmRate = 44100;
    int pcmChannels = 2;
    int pcmBits = 16;
    int64_t wavSizeLimit = INT64_MAX;
    int mp3Rate = 44100;
    int mp3Bitrate = 128;
    int wmaProfile = kDefaultWmaProfile;
    EncodedFormat encoded;
    // Why the last format chosen can't be written; CreateFile then refuses rather than write
    // the format chosen before under this one's name.
    QString formatProblem;

    std::unique_ptr<AudioSource> reader;
    std::unique_ptr<AudioWriter> writer;
    bool backgroundWriting = false;
    std::unique_ptr<BackgroundWriter> background;  // feeds `writer` when set
    std::vector<int16_t> scratch;

    int errorNum = NoError;
    QString errorText;

    void setError(int num, const QString &text) {
        errorNum = num;
        errorText = text;
    }
    void clearError() { setError(NoError, QString()); }
    void refuseFormat(const QString &text) {
        setError(ErrBadFormat, text);
        formatProblem = text;
    }
    void acceptFormat(OutputKind chosen) {
        kind = chosen;
        formatProblem.clear();
        clearError();
    }

    // Once the background writer has dealt with every block: its failure, if any, as ours.
    void takeBackgroundFailure() {
        if (!background || !background->failed() || errorNum != NoError) {
            return;
        }
        if (background->fileMissing()) {
            setError(ErrWriteFailed, QCoreApplication::translate(
                                         "TAudioFile2", "The file was deleted or moved away"));
        } else {
            setError(writer->errorNum(), writer->errorText());
        }
    }

    // Completes and drops the writer; keeps its error, if any, for the caller to see.
    void finishWriter() {
        if (!writer) {
            return;
        }
        if (background) {
            // Everything queued goes to the writer first; a file found missing stays the
            // error, and the writer still completes what it holds.
            background->drain();
            takeBackgroundFailure();
            background.reset();
        }
        if (!writer->finish() || writer->errorNum() != NoError) {
            setError(writer->errorNum(), writer->errorText());
        }
        writer.reset();
    }
};

TAudioFile2::TAudioFile2() : d(std::make_unique<Impl>()) {}

TAudioFile2::~TAudioFile2() {
    d->finishWriter();
}

bool TAudioFile2::WmaFormatEnabled() const {
    return d->wmaEnabled;
}

void TAudioFile2::setWmaFormatEnabled(bool enabled) {
    d->wmaEnabled = enabled;
}

void TAudioFile2::SetFormatPCM(int Frequency, int nChannels, int BitsPerSample) {
    if (Frequency < kMinRate || Frequency > kMaxRate || (nChannels != 1 && nChannels != 2) ||
        (BitsPerSample != 8 && BitsPerSample != 16)) {
        d->refuseFormat(QCoreApplication::translate(
                            "TAudioFile2", "WAV can't be written at %1 Hz, %2 bit, %3 channels")
                            .arg(Frequency)
                            .arg(BitsPerSample)
                            .arg(nChannels));
        return;
    }
    d->pcmRate = Frequency;
    d->pcmChannels = nChannels;
    d->pcmBits = BitsPerSample;
    d->acceptFormat(OutputKind::Pcm);
}

void TAudioFile2::SetFormatMP3(int Frequency, int Bitrate, int /*nChannels: always stereo*/) {
    if (Frequency < kMinRate || Frequency > kMaxRate || Bitrate < 8 || Bitrate > 320) {
        d->refuseFormat(
            QCoreApplication::translate("TAudioFile2", "MP3 can't be written at %1 Hz, %2 kbps")
                .arg(Frequency)
                .arg(Bitrate));
        return;
    }
    d->mp3Rate = Frequency;
    d->mp3Bitrate = Bitrate;
    d->acceptFormat(OutputKind::Mp3);
}

void TAudioFile2::SetFormatWMA(int Profile) {
    d->wmaProfile = Profile;
    d->acceptFormat(OutputKind::Wma);
}

void TAudioFile2::SetFormatFLAC(int Frequency, int nChannels) {
    EncodedFormat format;
    format.codec = EncodedCodec::Flac;
    format.sampleRate = Frequency;
    format.channels = nChannels;
    setEncodedFormat(format);
}

void TAudioFile2::SetFormatOpus(int Bitrate, int nChannels) {
    EncodedFormat format;
    format.codec = EncodedCodec::Opus;
    format.sampleRate = kOpusSampleRate;
    format.channels = nChannels;
    format.bitrateKbps = Bitrate;
    setEncodedFormat(format);
}

void TAudioFile2::SetFormatVorbis(int Quality, int Frequency, int nChannels) {
    EncodedFormat format;
    format.codec = EncodedCodec::Vorbis;
    format.sampleRate = Frequency;
    format.channels = nChannels;
    format.quality = Quality;
    setEncodedFormat(format);
}

void TAudioFile2::setEncodedFormat(const EncodedFormat &format) {
    if (const QString problem = encodedFormatProblem(format); !problem.isEmpty()) {
        d->refuseFormat(problem);
        return;
    }
    d->encoded = format;
    d->acceptFormat(OutputKind::Encoded);
}

void TAudioFile2::SetFormatMP3Ex(const TAudioFile2LameEnc &LameFormat) {
    // Hands over the encoder settings only; whichever format was chosen last stays in force.
    const int rate = LameFormat.Frequency();
    const int bitrate = LameFormat.Bitrate();
    if (rate < kMinRate || rate > kMaxRate || bitrate < 8 || bitrate > 320) {
        d->setError(ErrBadFormat, QCoreApplication::translate(
                                      "TAudioFile2", "MP3 can't be written at %1 Hz, %2 kbps")
                                      .arg(rate)
                                      .arg(bitrate));
        return;
    }
    d->mp3Rate = rate;
    d->mp3Bitrate = bitrate;
}

void TAudioFile2::CreateFile(const QString &fileName, int /*FormatType*/) {
    CloseFile();
    d->clearError();
    if (!d->formatProblem.isEmpty()) {
        d->setError(ErrBadFormat, d->formatProblem);
        return;
    }
    int errorNum = NoError;
    QString errorText;
    switch (d->kind) {
        case OutputKind::Pcm:
            d->writer = WavWriter::create(fileName, d->pcmRate, d->pcmChannels, d->pcmBits,
                                          &errorNum, &errorText, d->wavSizeLimit);
            break;
        case OutputKind::Mp3:
            d->writer =
                Mp3Writer::create(fileName, d->mp3Rate, d->mp3Bitrate, &errorNum, &errorText);
            break;
        case OutputKind::Wma:
            d->writer = createWmaWriter(fileName, wmaProfileForEncoding(d->wmaProfile), &errorNum,
                                        &errorText);
            break;
        case OutputKind::Encoded:
            d->writer = createEncodedWriter(fileName, d->encoded, &errorNum, &errorText);
            break;
    }
    if (!d->writer) {
        d->setError(errorNum != NoError ? errorNum : ErrCannotCreate, errorText);
        return;
    }
    if (d->backgroundWriting) {
        d->background = std::make_unique<BackgroundWriter>(
            *d->writer, fileName, d->writer->sampleRate() * kBackgroundSeconds);
    }
}

bool TAudioFile2::BackgroundWriting() const {
    return d->backgroundWriting;
}

void TAudioFile2::setBackgroundWriting(bool on) {
    d->backgroundWriting = on;
}

void TAudioFile2::FlushWrites() {
    if (d->background) {
        d->background->drain();
        d->takeBackgroundFailure();
    }
}

void TAudioFile2::OpenFile(const QString &fileName, int /*FormatType*/, int /*FlagOpen*/) {
    CloseFile();
    d->clearError();
    int errorNum = NoError;
    QString errorText;
    d->reader = openAudioSource(fileName, &errorNum, &errorText);
    if (!d->reader) {
        d->setError(errorNum != NoError ? errorNum : ErrNotAudio, errorText);
    }
}

void TAudioFile2::CloseFile() {
    d->finishWriter();
    d->reader.reset();
}

void TAudioFile2::WriteFile(const SampleArray &PCMArray) {
    if (!d->writer) {
        d->setError(ErrNoFile,
                    QCoreApplication::translate("TAudioFile2", "No file is open for writing"));
        return;
    }
    const int channels = d->writer->channels();
    const int frames = PCMArray.frames();
    if (frames <= 0) {
        return;
    }
    const int16_t *samples = PCMArray.data();
    if (PCMArray.channels() != channels) {
        // A block in the other layout: mix stereo down or spread mono out.
        d->scratch.resize(static_cast<size_t>(frames) * channels);
        const int inChannels = PCMArray.channels();
        for (int i = 0; i < frames; ++i) {
            const int16_t *in = samples + static_cast<ptrdiff_t>(i) * inChannels;
            if (channels == 1) {
                int sum = 0;
                for (int c = 0; c < inChannels; ++c) {
                    sum += in[c];
                }
                d->scratch[static_cast<size_t>(i)] = static_cast<int16_t>(sum / inChannels);
            } else {
                d->scratch[static_cast<size_t>(i) * 2] = in[0];
                d->scratch[static_cast<size_t>(i) * 2 + 1] = inChannels > 1 ? in[1] : in[0];
            }
        }
        samples = d->scratch.data();
    }
    if (d->background) {
        if (!d->background->write(samples, frames)) {
            d->takeBackgroundFailure();
        }
        return;
    }
    if (!d->writer->write(samples, frames)) {
        d->setError(d->writer->errorNum(), d->writer->errorText());
    }
}

SampleArray TAudioFile2::ReadFile(int nSamples) {
    if (!d->reader) {
        return SampleArray();
    }
    std::vector<int16_t> samples;
    d->reader->read(nSamples, samples);
    return SampleArray(d->reader->channels(), std::move(samples));
}

int TAudioFile2::SeekFile(int nSamples, int Origin) {
    if (!d->reader) {
        return TAudioFile2::nSamples();
    }
    int64_t target = nSamples;
    if (Origin == 1) {
        target += d->reader->position();
    } else if (Origin == 2) {
        target += d->reader->length();
    }
    return clampToInt(d->reader->seek(target));
}

int TAudioFile2::nSamples() const {
    if (d->reader) {
        return clampToInt(d->reader->length());
    }
    if (d->background) {
        return clampToInt(d->background->framesTaken());
    }
    return d->writer ? clampToInt(d->writer->framesWritten()) : 0;
}

std::vector<TAudioFile2::DroppedRun> TAudioFile2::DroppedRuns() const {
    std::vector<DroppedRun> runs;
    if (d->background) {
        for (const BackgroundWriter::Loss &loss : d->background->losses())
            runs.push_back({loss.at, loss.frames});
    }
    return runs;
}

int64_t TAudioFile2::FrameCapacity() const {
    return d->writer ? d->writer->frameCapacity() : 0;
}

void TAudioFile2::setWavSizeLimit(int64_t bytes) {
    d->wavSizeLimit = bytes;
}

int TAudioFile2::ArrayFrequency() const {
    if (d->reader) {
        return d->reader->sampleRate();
    }
    if (d->writer) {
        return d->writer->sampleRate();
    }
    switch (d->kind) {
        case OutputKind::Pcm:
            return d->pcmRate;
        case OutputKind::Mp3:
            return d->mp3Rate;
        case OutputKind::Wma:
            return wmaProfileForEncoding(d->wmaProfile).sampleRate;
        case OutputKind::Encoded:
            return d->encoded.sampleRate;
    }
    return 0;
}

int TAudioFile2::ArrayChannels() const {
    if (d->reader) {
        return d->reader->channels();
    }
    if (d->writer) {
        return d->writer->channels();
    }
    switch (d->kind) {
        case OutputKind::Pcm:
            return d->pcmChannels;
        case OutputKind::Mp3:
            return 2;
        case OutputKind::Wma:
            return wmaProfileForEncoding(d->wmaProfile).channels;
        case OutputKind::Encoded:
            return d->encoded.channels;
    }
    return 0;
}

QString TAudioFile2::FormatString() const {
    if (d->reader) {
        return d->reader->formatText();
    }
    if (d->writer) {
        return d->writer->formatText();
    }
    switch (d->kind) {
        case OutputKind::Pcm:
            return QStringLiteral("PCM: %1 Hz, %2 bit, %3")
                .arg(d->pcmRate)
                .arg(d->pcmBits)
                .arg(d->pcmChannels == 1 ? QCoreApplication::translate("TAudioFile2", "mono")
                                         : QCoreApplication::translate("TAudioFile2", "stereo"));
        case OutputKind::Mp3:
            return QStringLiteral("%1 layer-3: %2 Hz, %3 kbps, stereo")
                .arg(mpegVersionForRate(d->mp3Rate))
                .arg(d->mp3Rate)
                .arg(d->mp3Bitrate);
        case OutputKind::Wma:
            // The profile list's text: see wma_profiles.h for the numbering.
            return wmaListingText(d->wmaProfile);
        case OutputKind::Encoded:
            return encodedFormatText(d->encoded);
    }
    return QString();
}

int TAudioFile2::FormatTag() const {
    const bool fileOpen = d->reader || d->writer;
    return d->wmaEnabled && !fileOpen ? wmaProfileCount() : 0;
}

int TAudioFile2::LastErrorNum() const {
    return d->errorNum;
}

QString TAudioFile2::LastErrorText() const {
    return d->errorText;
}
