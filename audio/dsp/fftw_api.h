// FFTW (single precision), opened when the first spectrum is computed (see lazy_library.h),
// so the window shows without loading it. Included by the code that calls FFTW, after whose
// own headers every call to one of these functions goes through the table.
#pragma once

#include "audio/lazy_library.h"

#include <fftw3.h>

#include <QString>

// clang-format off
#define KORVANTA_FFTW_FUNCTIONS(X) \
    X(fftwf_alloc_complex) \
    X(fftwf_alloc_real) \
    X(fftwf_destroy_plan) \
    X(fftwf_execute) \
    X(fftwf_free) \
    X(fftwf_plan_dft_r2c_1d)
// clang-format on

namespace korvanta {

KORVANTA_DECLARE_LAZY_LIBRARY(FftwApi, KORVANTA_FFTW_FUNCTIONS, loadFftwApi, fftwApi)

}  // namespace korvanta

// clang-format off
#define fftwf_alloc_complex(...) (::korvanta::fftwApi().fftwf_alloc_complex(__VA_ARGS__))
#define fftwf_alloc_real(...) (::korvanta::fftwApi().fftwf_alloc_real(__VA_ARGS__))
#define fftwf_destroy_plan(...) (::korvanta::fftwApi().fftwf_destroy_plan(__VA_ARGS__))
#define fftwf_execute(...) (::korvanta::fftwApi().fftwf_execute(__VA_ARGS__))
#define fftwf_free(...) (::korvanta::fftwApi().fftwf_free(__VA_ARGS__))
#define fftwf_plan_dft_r2c_1d(...) (::korvanta::fftwApi().fftwf_plan_dft_r2c_1d(__VA_ARGS__))
// clang-format on
