#include "audio/devices/pulse_api.h"

#include "audio/lazy_library.h"

#include <QtGlobal>

namespace korvanta {

namespace {

struct LoadedPulse {
    PulseApi api;
    QString error;
    bool ok = false;

    LoadedPulse() {
#define KORVANTA_PULSE_SYMBOL(name) {#name, reinterpret_cast<void **>(&api.name)},
        ok =
            openLibrary("libpulse.so.0", {KORVANTA_PULSE_FUNCTIONS(KORVANTA_PULSE_SYMBOL)}, &error);
#undef KORVANTA_PULSE_SYMBOL
    }
};

const LoadedPulse &loaded() {
    static const LoadedPulse pulse;
    return pulse;
}

}  // namespace

const PulseApi *loadPulseApi(QString *errorText) {
    const LoadedPulse &pulse = loaded();
    if (!pulse.ok && errorText != nullptr)
        *errorText = pulse.error;
    return pulse.ok ? &pulse.api : nullptr;
}

const PulseApi &pulseApi() {
    const LoadedPulse &pulse = loaded();
    if (!pulse.ok)
        qFatal("%s", qPrintable(pulse.error));
    return pulse.api;
}

}  // namespace korvanta
