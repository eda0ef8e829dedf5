// Libraries opened on first use: what a missing library or function says, that nothing half
// filled is left behind, and that the tables the program relies on match the installed
// libraries (a misspelt or removed name would otherwise only show when sound is first used).
#include "audio/lazy_library.h"
#include "audio/codec/lame_api.h"
#include "audio/devices/pulse_api.h"
#include "audio/dsp/fftw_api.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using Cosine = double (*)(double);

TEST(LazyLibraryTest, MissingFileNamesTheLibraryAndFillsNothing) {
    void *cosine = nullptr;
    QString error;
    EXPECT_FALSE(
        korvanta::openLibrary("/nonexistent/korvanta/libnothing.so.0", {{"cos", &cosine}}, &error));
    EXPECT_EQ(cosine, nullptr);
    EXPECT_TRUE(
        error.startsWith(QStringLiteral("Cannot load /nonexistent/korvanta/libnothing.so.0")))
        << qPrintable(error);
}

TEST(LazyLibraryTest, MissingFunctionNamesItAndClearsTheOthers) {
    void *cosine = nullptr;
    void *missing = nullptr;
    QString error;
    EXPECT_FALSE(korvanta::openLibrary(
        "libm.so.6", {{"cos", &cosine}, {"korvanta_no_such_function", &missing}}, &error));
    // The function found first must not stay behind, half a table is no table.
    EXPECT_EQ(cosine, nullptr);
    EXPECT_EQ(missing, nullptr);
    EXPECT_TRUE(error.contains(QStringLiteral("korvanta_no_such_function"))) << qPrintable(error);
}

TEST(LazyLibraryTest, FoundFunctionsAreCallable) {
    void *cosine = nullptr;
    QString error;
    ASSERT_TRUE(korvanta::openLibrary("libm.so.6", {{"cos", &cosine}}, &error))
        << qPrintable(error);
    EXPECT_DOUBLE_EQ(reinterpret_cast<Cosine>(cosine)(0.0), 1.0);
}

TEST(LazyLibraryTest, ProgramTablesMatchTheInstalledLibraries) {
    QString error;
    EXPECT_NE(korvanta::loadPulseApi(&error), nullptr) << qPrintable(error);
    EXPECT_NE(korvanta::loadLameApi(&error), nullptr) << qPrintable(error);
    const korvanta::FftwApi *fftw = korvanta::loadFftwApi(&error);
    ASSERT_NE(fftw, nullptr) << qPrintable(error);
    // Calls go through the table: a 4-point transform of a constant is all DC.
    float *in = fftwf_alloc_real(4);
    fftwf_complex *out = fftwf_alloc_complex(3);
    fftwf_plan plan = fftwf_plan_dft_r2c_1d(4, in, out, FFTW_ESTIMATE);
    std::fill(in, in + 4, 1.0f);
    fftwf_execute(plan);
    EXPECT_FLOAT_EQ(out[0][0], 4.0f);
    EXPECT_FLOAT_EQ(out[1][0], 0.0f);
    fftwf_destroy_plan(plan);
    fftwf_free(out);
    fftwf_free(in);
}

}  // namespace
