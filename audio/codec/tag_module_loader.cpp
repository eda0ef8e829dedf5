// Loads korvanta-tags.so on first use, from the program's own folder or else from the build
// folder it was made in (tests and benchmarks run from sub-folders of it), and forwards the
// tag functions to it.
#include "audio/codec/tag_module.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include <dlfcn.h>

namespace korvanta::codec {

namespace {

constexpr char kModuleName[] = "korvanta-tags.so";

QString cannotLoad(const QString &reasons) {
    return QCoreApplication::translate("TagModule", "Cannot load the tag library: ") + reasons;
}

struct Loaded {
    const TagModule *module = nullptr;
    QString error;
};

const Loaded &loaded() {
    static const Loaded result = [] {
        QStringList paths;
        const QFileInfo program(QStringLiteral("/proc/self/exe"));
        if (const QString exe = program.symLinkTarget(); !exe.isEmpty()) {
            // Installed in modules/ beside the program; in a build folder, beside it.
            const QString folder = QFileInfo(exe).absolutePath();
            paths << folder + QStringLiteral("/modules/") + QLatin1String(kModuleName)
                  << folder + QLatin1Char('/') + QLatin1String(kModuleName);
        }
        const QString built = QStringLiteral(KORVANTA_TAG_MODULE_PATH);
        if (!paths.contains(built))
            paths << built;
        Loaded r;
        r.module = loadTagModule(paths, &r.error);
        return r;
    }();
    return result;
}

}  // namespace

const TagModule *loadTagModule(const QStringList &paths, QString *errorText) {
    QStringList reasons;
    for (const QString &path : paths) {
        if (!QFileInfo::exists(path))
            continue;
        void *handle = dlopen(QFile::encodeName(path).constData(), RTLD_NOW | RTLD_LOCAL);
        if (handle == nullptr) {
            reasons << QString::fromLocal8Bit(dlerror());
            continue;
        }
        using Entry = const TagModule *(*)();
        const auto entry = reinterpret_cast<Entry>(dlsym(handle, "korvanta_tag_module"));
        const TagModule *module = entry != nullptr ? entry() : nullptr;
        if (module == nullptr || module->version != kTagModuleVersion) {
            reasons << QCoreApplication::translate("TagModule",
                                                   "%1 belongs to another version of the program")
                           .arg(path);
            dlclose(handle);
            continue;
        }
        // Never unloaded: nothing it hands out outlives a call, but unloading buys nothing.
        return module;
    }
    if (reasons.isEmpty()) {
        reasons << QCoreApplication::translate("TagModule", "%1 was not found next to the program")
                       .arg(QLatin1String(kModuleName));
    }
    *errorText = cannotLoad(reasons.join(QLatin1String("; ")));
    return nullptr;
}

const TagModule *tagModule(QString *errorText) {
    const Loaded &result = loaded();
    if (result.module == nullptr && errorText != nullptr)
        *errorText = result.error;
    return result.module;
}

bool readTags(const QString &path, TagFormat format, int id3Version, TagValues *values,
              QString *errorText) {
    const TagModule *module = tagModule(errorText);
    if (module == nullptr) {
        *values = TagValues();
        return false;
    }
    return module->read(path, format, id3Version, values, errorText);
}

bool writeTags(const QString &path, TagFormat format, int id3Version, const TagValues &values,
               QString *errorText, QString *noticeText) {
    noticeText->clear();
    const TagModule *module = tagModule(errorText);
    return module != nullptr &&
           module->write(path, format, id3Version, values, errorText, noticeText);
}

}  // namespace korvanta::codec
