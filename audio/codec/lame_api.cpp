#include "audio/codec/lame_api.h"

#include "audio/lazy_library.h"

namespace korvanta {

KORVANTA_DEFINE_LAZY_LIBRARY(LameApi, "libmp3lame.so.0", KORVANTA_LAME_FUNCTIONS, loadLameApi,
                             lameApi)

}  // namespace korvanta
