// Helpers for the file and tag component tests: known test signals, a frequency estimate
// that survives lossy coding, and running the ffmpeg/ffprobe tools to make or check files.
#pragma once

#include "audio/audio_file2.h"

#include <QMap>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace codectest {

// A sine of `hz` on every channel (the right channel at 1.5 times the frequency, so a
// swapped or dropped channel shows).
inline std::vector<int16_t> tone(int rate, int channels, int frames, double hz,
                                 double amplitude = 0.5) {
    std::vector<int16_t> s(static_cast<size_t>(frames) * channels);
    for (int i = 0; i < frames; ++i) {
        for (int c = 0; c < channels; ++c) {
            const double f = c == 1 ? hz * 1.5 : hz;
            s[static_cast<size_t>(i) * channels + c] = static_cast<int16_t>(
                std::lround(amplitude * 32767.0 * std::sin(2.0 * M_PI * f * i / rate)));
        }
    }
    return s;
}

// Pseudo-random full-band samples (deterministic), for bit-exact comparisons.
inline std::vector<int16_t> noise(int channels, int frames, uint32_t seed = 12345) {
    std::vector<int16_t> s(static_cast<size_t>(frames) * channels);
    for (auto &v : s) {
        seed = seed * 1664525u + 1013904223u;
        v = static_cast<int16_t>(seed >> 16);
    }
    return s;
}

// Frequency of one channel from its zero crossings (with hysteresis against coding noise),
// measured over the middle of the signal to stay clear of encoder start-up and padding.
inline double dominantFrequency(const std::vector<int16_t> &s, int channels, int rate,
                                int channel = 0) {
    const size_t frames = s.size() / static_cast<size_t>(channels);
    const size_t from = frames / 4;
    const size_t to = frames * 3 / 4;
    const int threshold = 2000;
    int state = 0;
    int crossings = 0;
    for (size_t i = from; i < to; ++i) {
        const int v = s[i * static_cast<size_t>(channels) + static_cast<size_t>(channel)];
        if (v > threshold && state <= 0) {
            crossings += state < 0 ? 1 : 0;
            state = 1;
        } else if (v < -threshold && state >= 0) {
            crossings += state > 0 ? 1 : 0;
            state = -1;
        }
    }
    return crossings / 2.0 / (static_cast<double>(to - from) / rate);
}

inline bool haveTool(const QString &name) {
    return !QStandardPaths::findExecutable(name).isEmpty();
}

// Runs a tool to completion; returns its standard output, or a null string on failure.
inline QString runTool(const QString &program, const QStringList &args) {
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(120000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        return QString();
    }
    QString out = QString::fromUtf8(p.readAllStandardOutput());
    return out.isNull() ? QStringLiteral("") : out;
}

inline bool ffmpeg(const QStringList &args) {
    return !runTool(QStringLiteral("ffmpeg"),
                    QStringList{QStringLiteral("-hide_banner"), QStringLiteral("-loglevel"),
                                QStringLiteral("error"), QStringLiteral("-y")} +
                        args)
                .isNull();
}

inline bool ffmpegHasEncoder(const QString &encoder) {
    const QString list = runTool(QStringLiteral("ffmpeg"),
                                 {QStringLiteral("-hide_banner"), QStringLiteral("-encoders")});
    return list.contains(QLatin1Char(' ') + encoder + QLatin1Char(' '));
}

// The format-level tags ffprobe reads from a file, keys in lower case.
inline QMap<QString, QString> ffprobeTags(const QString &path) {
    const QString out =
        runTool(QStringLiteral("ffprobe"),
                {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-show_entries"),
                 QStringLiteral("format_tags"), QStringLiteral("-of"),
                 QStringLiteral("default=noprint_wrappers=1"), path});
    QMap<QString, QString> tags;
    for (const QString &line : out.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const int eq = line.indexOf(QLatin1Char('='));
        if (line.startsWith(QLatin1String("TAG:")) && eq > 4) {
            tags.insert(line.mid(4, eq - 4).toLower(), line.mid(eq + 1));
        }
    }
    return tags;
}

// Reads the open file from its current position to the end in blocks of `block` frames.
inline std::vector<int16_t> readToEnd(TAudioFile2 &file, int block = 8820) {
    std::vector<int16_t> all;
    for (;;) {
        const SampleArray a = file.ReadFile(block);
        if (a.isEmpty()) {
            break;
        }
        all.insert(all.end(), a.samples().begin(), a.samples().end());
    }
    return all;
}

// Writes `samples` with a freshly created writer in blocks of 200 ms.
inline void writeInBlocks(TAudioFile2 &file, const std::vector<int16_t> &samples, int channels,
                          int rate) {
    const size_t block = static_cast<size_t>(rate / 5) * channels;
    for (size_t at = 0; at < samples.size(); at += block) {
        const size_t n = std::min(block, samples.size() - at);
        file.WriteFile(SampleArray(
            channels, std::vector<int16_t>(samples.begin() + at, samples.begin() + at + n)));
    }
}

}  // namespace codectest
