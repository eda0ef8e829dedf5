// Loads korvanta-ffmpeg.so on first use: from the modules/ folder beside the program (where
// it is installed), the program's own folder (a build folder), or else from the build folder
// it was made in (tests and benchmarks run from sub-folders of it).
#include "audio/codec/ffmpeg_codec.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <dlfcn.h>

namespace korvanta::codec {

namespace {

constexpr char kModuleName[] = "korvanta-ffmpeg.so";

struct LoadResult {
    const FfmpegCodec *codec = nullptr;
    QString error;
};

QStringList candidatePaths() {
    QStringList paths;
    const QFileInfo program(QStringLiteral("/proc/self/exe"));
    if (const QString exe = program.symLinkTarget(); !exe.isEmpty()) {
        const QString folder = QFileInfo(exe).absolutePath();
        paths << folder + QStringLiteral("/modules/") + QLatin1String(kModuleName)
              << folder + QLatin1Char('/') + QLatin1String(kModuleName);
    }
    const QString built = QStringLiteral(KORVANTA_FFMPEG_MODULE_PATH);
    if (!paths.contains(built)) {
        paths << built;
    }
    return paths;
}

LoadResult load() {
    LoadResult result;
    QStringList reasons;
    for (const QString &path : candidatePaths()) {
        if (!QFileInfo::exists(path)) {
            continue;
        }
        void *handle = dlopen(QFile::encodeName(path).constData(), RTLD_NOW | RTLD_LOCAL);
        if (handle == nullptr) {
            reasons << QString::fromLocal8Bit(dlerror());
            continue;
        }
        using Entry = const FfmpegCodec *(*)();
        const auto entry = reinterpret_cast<Entry>(dlsym(handle, "korvanta_ffmpeg_codec"));
        const FfmpegCodec *codec = entry != nullptr ? entry() : nullptr;
        if (codec == nullptr || codec->version != kFfmpegCodecVersion) {
            reasons << QCoreApplication::translate("FfmpegCodecLoader",
                                                   "%1 belongs to another version of the program")
                           .arg(path);
            dlclose(handle);
            continue;
        }
        // Never unloaded: readers and writers it made may outlive any owner we could name.
        result.codec = codec;
        return result;
    }
    if (reasons.isEmpty()) {
        reasons << QCoreApplication::translate("FfmpegCodecLoader",
                                               "%1 was not found next to the program")
                       .arg(kModuleName);
    }
    result.error =
        QCoreApplication::translate("FfmpegCodecLoader", "Cannot load the audio codecs: ") +
        reasons.join(QLatin1String("; "));
    return result;
}

}  // namespace

const FfmpegCodec *ffmpegCodec(QString *errorText) {
    static const LoadResult loaded = load();
    if (loaded.codec == nullptr && errorText != nullptr) {
        *errorText = loaded.error;
    }
    return loaded.codec;
}

}  // namespace korvanta::codec
