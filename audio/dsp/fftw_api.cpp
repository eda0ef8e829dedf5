#include "audio/dsp/fftw_api.h"

#include "audio/lazy_library.h"

namespace korvanta {

KORVANTA_DEFINE_LAZY_LIBRARY(FftwApi, "libfftw3f.so.3", KORVANTA_FFTW_FUNCTIONS, loadFftwApi,
                             fftwApi)

}  // namespace korvanta
