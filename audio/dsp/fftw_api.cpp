#include "audio/dsp/fftw_api.h"

#include "audio/lazy_library.h"

#include <QtGlobal>

namespace korvanta {

namespace {

struct Loaded {
    FftwApi api;
    QString error;
    bool ok = false;

    Loaded() {
#define KORVANTA_API_SYMBOL(name) {#name, reinterpret_cast<void **>(&api.name)},
        ok = openLibrary("libfftw3f.so.3", {KORVANTA_FFTW_FUNCTIONS(KORVANTA_API_SYMBOL)}, &error);
#undef KORVANTA_API_SYMBOL
    }
};

const Loaded &loaded() {
    static const Loaded library;
    return library;
}

}  // namespace

const FftwApi *loadFftwApi(QString *errorText) {
    const Loaded &library = loaded();
    if (!library.ok && errorText != nullptr)
        *errorText = library.error;
    return library.ok ? &library.api : nullptr;
}

const FftwApi &fftwApi() {
    const Loaded &library = loaded();
    if (!library.ok)
        qFatal("%s", qPrintable(library.error));
    return library.api;
}

}  // namespace korvanta
