#include "audio/codec/mpg123_api.h"

#include "audio/lazy_library.h"

#include <QtGlobal>

namespace korvanta {

namespace {

struct Loaded {
    Mpg123Api api;
    QString error;
    bool ok = false;

    Loaded() {
#define KORVANTA_API_SYMBOL(name) {#name, reinterpret_cast<void **>(&api.name)},
        ok =
            openLibrary("libmpg123.so.0", {KORVANTA_MPG123_FUNCTIONS(KORVANTA_API_SYMBOL)}, &error);
#undef KORVANTA_API_SYMBOL
        // Once per process, before any handle (a no-op in newer versions of the library).
        if (ok)
            (api.mpg123_init)();
    }
};

const Loaded &loaded() {
    static const Loaded library;
    return library;
}

}  // namespace

const Mpg123Api *loadMpg123Api(QString *errorText) {
    const Loaded &library = loaded();
    if (!library.ok && errorText != nullptr)
        *errorText = library.error;
    return library.ok ? &library.api : nullptr;
}

const Mpg123Api &mpg123Api() {
    const Loaded &library = loaded();
    if (!library.ok)
        qFatal("%s", qPrintable(library.error));
    return library.api;
}

}  // namespace korvanta
