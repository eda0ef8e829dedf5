#include "bench/workers.h"

#include "audio/audio_file2.h"
#include "audio/codec/ffmpeg_codec.h"
#include "bench/test_signal.h"

#include <QString>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

namespace bench {

namespace {

constexpr int kWmaProfile = 38;
constexpr int kOpusRate = 48000;

struct FileCloser {
    void operator()(std::FILE *f) const { std::fclose(f); }
};

void setFormat(TAudioFile2 &file, const std::string &format) {
    file.setWmaFormatEnabled(true);
    if (format == "mp3") {
        file.SetFormatMP3(kRate, 128, kChannels);
    } else if (format == "wma") {
        file.SetFormatWMA(kWmaProfile);
    } else if (format == "flac") {
        file.SetFormatFLAC(kRate, kChannels);
    } else if (format == "opus") {
        file.SetFormatOpus(128, kChannels);
    } else if (format == "ogg") {
        file.SetFormatVorbis(5, kRate, kChannels);
    } else {
        file.SetFormatPCM(kRate, kChannels, 16);
    }
}

int rateOf(const std::string &format) {
    return format == "opus" ? kOpusRate : kRate;
}

// Leaves `in` at the first sample of the WAV's data chunk, whatever chunks come before it.
bool seekToData(std::FILE *in) {
    char id[4];
    uint32_t size = 0;
    if (std::fseek(in, 12, SEEK_SET) != 0) {
        return false;
    }
    while (std::fread(id, 1, 4, in) == 4 && std::fread(&size, 4, 1, in) == 1) {
        if (std::memcmp(id, "data", 4) == 0) {
            return true;
        }
        if (std::fseek(in, static_cast<long>(size + (size & 1)), SEEK_CUR) != 0) {
            return false;
        }
    }
    return false;
}

bool report(const TAudioFile2 &file, const char *what) {
    if (file.LastErrorNum() == 0) {
        return true;
    }
    std::fprintf(stderr, "%s: %s\n", what, file.LastErrorText().toLocal8Bit().constData());
    return false;
}

}  // namespace

bool isOutputFormat(const std::string &format) {
    return format == "mp3" || format == "wma" || format == "wav" || format == "flac" ||
           format == "opus" || format == "ogg";
}

int encodeWav(const std::string &format, const std::string &input, const std::string &output) {
    std::unique_ptr<std::FILE, FileCloser> in(std::fopen(input.c_str(), "rb"));
    if (!in || !seekToData(in.get())) {
        std::fprintf(stderr, "cannot read %s\n", input.c_str());
        return 1;
    }
    TAudioFile2 file;
    setFormat(file, format);
    file.CreateFile(QString::fromStdString(output), 0);
    if (!report(file, "create")) {
        return 1;
    }
    for (;;) {
        // A fresh array per block, as the recorder hands them on.
        std::vector<int16_t> samples(static_cast<size_t>(rateOf(format) / 5) * kChannels);
        const size_t got = std::fread(samples.data(), sizeof(int16_t), samples.size(), in.get());
        if (got == 0) {
            break;
        }
        samples.resize(got - got % kChannels);
        file.WriteFile(SampleArray(kChannels, std::move(samples)));
        if (!report(file, "write")) {
            return 1;
        }
    }
    file.CloseFile();
    return report(file, "close") ? 0 : 1;
}

int decodeFile(const std::string &path) {
    TAudioFile2 file;
    file.OpenFile(QString::fromStdString(path), 0, 1);
    if (!report(file, "open")) {
        return 1;
    }
    long long frames = 0;
    for (;;) {
        const SampleArray block = file.ReadFile(kBlockFrames);
        if (block.isEmpty()) {
            break;
        }
        frames += block.frames();
    }
    std::printf("%lld\n", frames);
    return 0;
}

int fileLength(const std::string &path) {
    // The codec module is loaded first and timed apart: the program loads it once per run.
    const auto loadStart = std::chrono::steady_clock::now();
    korvanta::codec::ffmpegCodec(nullptr);
    const auto start = std::chrono::steady_clock::now();
    const double loadUs = std::chrono::duration<double, std::micro>(start - loadStart).count();
    TAudioFile2 file;
    file.OpenFile(QString::fromStdString(path), 0, 1);
    const int frames = file.nSamples();
    const double us =
        std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count();
    if (!report(file, "open")) {
        return 1;
    }
    std::printf("%d %.0f %.0f\n", frames, us, loadUs);
    return 0;
}

int simulateRecording(const std::string &format, int seconds, const std::string &output) {
    TAudioFile2 file;
    setFormat(file, format);
    file.CreateFile(QString::fromStdString(output), 0);
    if (!report(file, "create")) {
        return 1;
    }
    TestSignal signal;
    const int blockFrames = rateOf(format) / 5;
    for (int b = 0; b < seconds * 5; ++b) {
        std::vector<int16_t> samples(static_cast<size_t>(blockFrames) * kChannels);
        signal.fill(samples.data(), blockFrames);
        file.WriteFile(SampleArray(kChannels, std::move(samples)));
        if (!report(file, "write")) {
            return 1;
        }
    }
    file.CloseFile();
    return report(file, "close") ? 0 : 1;
}

}  // namespace bench
