#include "audio/codec/lame_api.h"

#include "audio/lazy_library.h"

#include <QtGlobal>

namespace korvanta {

namespace {

struct Loaded {
    LameApi api;
    QString error;
    bool ok = false;

    Loaded() {
#define KORVANTA_API_SYMBOL(name) {#name, reinterpret_cast<void **>(&api.name)},
        ok = openLibrary("libmp3lame.so.0", {KORVANTA_LAME_FUNCTIONS(KORVANTA_API_SYMBOL)}, &error);
#undef KORVANTA_API_SYMBOL
    }
};

const Loaded &loaded() {
    static const Loaded library;
    return library;
}

}  // namespace

const LameApi *loadLameApi(QString *errorText) {
    const Loaded &library = loaded();
    if (!library.ok && errorText != nullptr)
        *errorText = library.error;
    return library.ok ? &library.api : nullptr;
}

const LameApi &lameApi() {
    const Loaded &library = loaded();
    if (!library.ok)
        qFatal("%s", qPrintable(library.error));
    return library.api;
}

}  // namespace korvanta
