#include "audio/devices/pulse_api.h"

#include "audio/lazy_library.h"

namespace korvanta {

KORVANTA_DEFINE_LAZY_LIBRARY(PulseApi, "libpulse.so.0", KORVANTA_PULSE_FUNCTIONS, loadPulseApi,
                             pulseApi)

}  // namespace korvanta
