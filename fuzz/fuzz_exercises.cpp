#include "fuzz/fuzz_exercises.h"

#include "audio/audio_file2.h"
#include "audio/audio_information2.h"
#include "settings/ini_file.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <climits>

#include <cstdio>
#include <cstdlib>

namespace korvanta::fuzz {

namespace {

// A hostile header may claim hours of audio; what a short input can hold is far less, and
// reading on past this only makes the run slow, not more thorough.
constexpr int kMaxFramesRead = 1 << 21;
constexpr int kBlockFrames = 4096;

void abortOnBrokenContract(const char *what) {
    std::fprintf(stderr, "contract broken: %s\n", what);
    std::abort();
}

ContractHandler contractHandler = abortOnBrokenContract;

void expect(bool holds, const char *what) {
    if (!holds) {
        contractHandler(what);
    }
}

// Reads up to `limit` frames in blocks; returns how many arrived.
int64_t readFrames(TAudioFile2 &file, int64_t limit) {
    int64_t total = 0;
    while (total < limit) {
        const SampleArray block = file.ReadFile(kBlockFrames);
        if (block.isEmpty()) {
            break;
        }
        expect(block.frames() <= kBlockFrames, "ReadFile returned more frames than asked for");
        expect(block.samples().size() % static_cast<size_t>(block.channels()) == 0,
               "ReadFile returned a partial frame");
        total += block.frames();
    }
    return total;
}

}  // namespace

void setContractHandler(ContractHandler handler) {
    contractHandler = handler != nullptr ? handler : abortOnBrokenContract;
}

bool writeInputFile(const QString &path, const uint8_t *data, size_t size) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        return false;
    }
    return file.write(reinterpret_cast<const char *>(data), static_cast<qint64>(size)) ==
           static_cast<qint64>(size);
}

void exerciseAudioFile(const QString &path, uint32_t seed) {
    TAudioFile2 file;
    file.OpenFile(path, 0, 1);
    if (file.LastErrorNum() != 0) {
        expect(!file.LastErrorText().isEmpty(), "a failed open gave no reason");
        expect(file.ReadFile(kBlockFrames).isEmpty(), "a failed open still delivered samples");
        return;
    }
    const int length = file.nSamples();
    const int channels = file.ArrayChannels();
    expect(length >= 0, "negative length");
    // No coding packs more than 65536 frames into a byte (a long block of silence in FLAC
    // comes closest); a length beyond that was believed from a damaged header.
    expect(length / 65536 <= QFileInfo(path).size(), "a length the file can't hold");
    expect(channels >= 1 && channels <= 8, "channel count out of range");
    expect(file.ArrayFrequency() > 0, "no sample rate");
    (void)file.FormatString();

    readFrames(file, kMaxFramesRead);

    // Seeks to both ends, past them, and into the middle, each followed by a short read.
    const auto clamped = [](int64_t v) {
        return static_cast<int>(std::clamp<int64_t>(v, INT_MIN, INT_MAX));
    };
    const int targets[] = {0,
                           length,
                           length / 2,
                           static_cast<int>(seed % (static_cast<uint32_t>(length) + 1u)),
                           -1 - static_cast<int>(seed & 0xFFFF),
                           clamped(int64_t{length} + 1 + (seed >> 16))};
    for (const int target : targets) {
        const int reached = file.SeekFile(target, 3);
        expect(reached >= 0 && reached <= length, "SeekFile reached a place outside the file");
        const SampleArray block = file.ReadFile(kBlockFrames);
        expect(block.isEmpty() || block.channels() == channels,
               "the channel count changed while reading");
    }
    file.SeekFile(-kBlockFrames, 2);
    readFrames(file, kBlockFrames * 4);
    file.CloseFile();
}

void exerciseAudioInformation(const QString &path) {
    TAudioInformation2 info;
    info.setMp3FastAnalysis(true);
    if (!info.GetAudioInformation(path)) {
        expect(!info.LastErrorText().isEmpty(), "a failed load gave no reason");
        return;
    }
    expect(info.Size() >= 0, "negative size");
    expect(info.Duration() >= 0, "negative duration");
    (void)info.FormatString();
    (void)info.infoTitle();
    (void)info.infoArtist();
    (void)info.infoAlbum();
    (void)info.infoCopyright();
    (void)info.infoComments();
    (void)info.infoYear();
    (void)info.GenreToString(info.infoGenre());
    (void)info.infoTrack();

    info.setMp3TagInfoVersion(1);
    if (info.GetAudioInformation(path)) {
        (void)info.infoTitle();
    }
}

void exerciseIniFile(const QString &path) {
    IniFile ini(path);
    const QString sections[] = {QStringLiteral("options"), QStringLiteral("tips"),
                                QStringLiteral(""), QStringLiteral("a")};
    const QString keys[] = {QStringLiteral("savepath"), QStringLiteral("timelimit"),
                            QStringLiteral("showtip"), QStringLiteral("a"), QString()};
    QStringList before;
    for (const QString &section : sections) {
        for (const QString &key : keys) {
            const QString text = ini.ReadString(section, key, QStringLiteral("default"));
            expect(text.size() <= IniFile::kMaxValueLength, "a value longer than the limit");
            (void)ini.ReadInteger(section, key, -7);
            before << text;
        }
    }
    // Whatever the file held, a value written into it reads back as written and leaves
    // every other key as it was.
    const QString value = QStringLiteral("fuzz value 42");
    if (!ini.WriteString(QStringLiteral("Fuzz"), QStringLiteral("Key"), value)) {
        return;
    }
    expect(ini.ReadString(QStringLiteral("fuzz"), QStringLiteral("key"), QString()) == value,
           "a written value did not read back");
    QStringList after;
    for (const QString &section : sections) {
        for (const QString &key : keys) {
            after << ini.ReadString(section, key, QStringLiteral("default"));
        }
    }
    expect(after == before, "a write changed another key");
}

}  // namespace korvanta::fuzz
