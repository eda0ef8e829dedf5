#include "tests/app/journey/journey_sound.h"

#include "audio/audio_file2.h"
#include "audio/sample_array.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cmath>
#include <memory>

namespace journey {

namespace {

QString writeTonesWav(const QString &path) {
    TAudioFile2 file;
    file.SetFormatPCM(kPreparedRate, 2, 16);
    file.CreateFile(path, 0);
    std::vector<int16_t> samples(static_cast<size_t>(kPreparedRate) * kPreparedSeconds * 2);
    double phase = 0;
    for (size_t i = 0; i < samples.size() / 2; ++i) {
        const double hz = kFirstToneHz + kToneStepHz * double(i / kPreparedRate);
        phase += 2 * M_PI * hz / kPreparedRate;
        samples[2 * i] = samples[2 * i + 1] = static_cast<int16_t>(16000 * std::sin(phase));
    }
    file.WriteFile(SampleArray(2, samples));
    file.CloseFile();
    return path;
}

bool convert(const QString &from, const QString &to, const QStringList &codecArgs) {
    QProcess ffmpeg;
    QStringList args{QStringLiteral("-loglevel"), QStringLiteral("error"), QStringLiteral("-y"),
                     QStringLiteral("-i"), from};
    args << codecArgs << to;
    ffmpeg.start(QStringLiteral("ffmpeg"), args);
    return ffmpeg.waitForFinished(60000) && ffmpeg.exitStatus() == QProcess::NormalExit &&
           ffmpeg.exitCode() == 0 && QFile::exists(to);
}

}  // namespace

const QStringList &preparedFiles() {
    static QTemporaryDir folder;
    static const QStringList files = [] {
        QStringList made;
        const QString wav = writeTonesWav(folder.filePath(QStringLiteral("tones.wav")));
        made << wav;
        if (QStandardPaths::findExecutable(QStringLiteral("ffmpeg")).isEmpty())
            return made;
        const struct {
            const char *name;
            QStringList args;
        } others[] = {
            {"tones.flac", {}},
            {"tones.mp3", {QStringLiteral("-b:a"), QStringLiteral("192k")}},
            {"tones.ogg",
             {QStringLiteral("-c:a"), QStringLiteral("libvorbis"), QStringLiteral("-q:a"),
              QStringLiteral("6")}},
        };
        for (const auto &o : others) {
            const QString path = folder.filePath(QString::fromLatin1(o.name));
            if (convert(wav, path, o.args))
                made << path;
        }
        return made;
    }();
    return files;
}

double toneHz(const std::vector<int16_t> &interleaved, int channels, int rate, int first,
              int frames) {
    if (channels <= 0 || rate <= 0 || first < 0 ||
        static_cast<size_t>(first + frames) * channels > interleaved.size())
        return 0;
    // Crossings of a band around zero, so that a faint noise floor counts none.
    constexpr int kBand = 400;
    int crossings = 0;
    int firstCrossing = -1, lastCrossing = -1;
    int side = 0;
    for (int i = first; i < first + frames; ++i) {
        const int v = interleaved[static_cast<size_t>(i) * channels];
        const int now = v > kBand ? 1 : v < -kBand ? -1 : 0;
        if (now == 0)
            continue;
        if (side != 0 && now != side) {
            ++crossings;
            if (firstCrossing < 0)
                firstCrossing = i;
            lastCrossing = i;
        }
        side = now;
    }
    // A tone over less than half the stretch (a recording a few milliseconds long, then a
    // codec's settling noise) has too few periods to tell its pitch.
    if (crossings < 4 || lastCrossing - firstCrossing < frames / 2)
        return 0;
    // Half periods between the first and the last crossing.
    return double(crossings - 1) / 2.0 * rate / double(lastCrossing - firstCrossing);
}

int preparedSecondOf(double hz) {
    const double k = (hz - kFirstToneHz) / kToneStepHz;
    const int nearest = static_cast<int>(std::lround(k));
    if (nearest < 0 || nearest >= kPreparedSeconds || std::abs(k - nearest) > 0.3)
        return -1;
    return nearest;
}

std::vector<int16_t> readSink(const QString &path, int *channels, int *rate) {
    std::vector<int16_t> samples;
    *channels = 0;
    *rate = 0;
    if (!QFile::exists(path))
        return samples;
    TAudioFile2 file;
    file.OpenFile(path, 0, 1);
    if (file.LastErrorNum() != 0)
        return samples;
    *channels = file.ArrayChannels();
    *rate = file.ArrayFrequency();
    for (;;) {
        const SampleArray block = file.ReadFile(8192);
        if (block.isEmpty())
            break;
        samples.insert(samples.end(), block.samples().begin(), block.samples().end());
    }
    file.CloseFile();
    return samples;
}

}  // namespace journey
