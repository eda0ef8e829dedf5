// FFTW (single precision), opened when the first spectrum is computed (see lazy_library.h),
// so the window shows without loading it. Included by the code that calls FFTW, after whose
// own headers every call to one of these functions goes through the table.
#pragma once

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

struct FftwApi {
#define KORVANTA_API_POINTER(name) decltype(&::name) name = nullptr;
    KORVANTA_FFTW_FUNCTIONS(KORVANTA_API_POINTER)
#undef KORVANTA_API_POINTER
};

// Opens the library on the first call (from any thread); null, with the reason, if it can't.
const FftwApi *loadFftwApi(QString *errorText);
// The table, for code that only runs once loadFftwApi() succeeded; stops the program with the
// reason otherwise.
const FftwApi &fftwApi();

}  // namespace korvanta

// clang-format off
#define fftwf_alloc_complex(...) (::korvanta::fftwApi().fftwf_alloc_complex(__VA_ARGS__))
#define fftwf_alloc_real(...) (::korvanta::fftwApi().fftwf_alloc_real(__VA_ARGS__))
#define fftwf_destroy_plan(...) (::korvanta::fftwApi().fftwf_destroy_plan(__VA_ARGS__))
#define fftwf_execute(...) (::korvanta::fftwApi().fftwf_execute(__VA_ARGS__))
#define fftwf_free(...) (::korvanta::fftwApi().fftwf_free(__VA_ARGS__))
#define fftwf_plan_dft_r2c_1d(...) (::korvanta::fftwApi().fftwf_plan_dft_r2c_1d(__VA_ARGS__))
// clang-format on
