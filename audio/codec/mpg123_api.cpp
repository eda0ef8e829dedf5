#include "audio/codec/mpg123_api.h"

#include "audio/lazy_library.h"

namespace korvanta {

KORVANTA_DEFINE_LAZY_LIBRARY(Mpg123Api, "libmpg123.so.0", KORVANTA_MPG123_FUNCTIONS, loadMpg123Api,
                             mpg123Api)

}  // namespace korvanta
