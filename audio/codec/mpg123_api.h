// libmpg123, opened when the first MP3 is read (see lazy_library.h). It decodes MPEG audio as
// well as FFmpeg does, but loads on its own, where FFmpeg brings a hundred libraries whose
// loading costs more CPU time than decoding a minute of sound. Included by the code that calls
// it, after whose own header every call to one of these functions goes through the table.
#pragma once

#include "audio/lazy_library.h"

#include <mpg123.h>

#include <QString>

// clang-format off
#define KORVANTA_MPG123_FUNCTIONS(X) \
    X(mpg123_close) \
    X(mpg123_decode) \
    X(mpg123_delete) \
    X(mpg123_feed) \
    X(mpg123_format) \
    X(mpg123_format_none) \
    X(mpg123_init) \
    X(mpg123_new) \
    X(mpg123_open_feed) \
    X(mpg123_param2)
// clang-format on

namespace korvanta {

KORVANTA_DECLARE_LAZY_LIBRARY(Mpg123Api, KORVANTA_MPG123_FUNCTIONS, loadMpg123Api, mpg123Api)

}  // namespace korvanta

// clang-format off
#define mpg123_close(...) (::korvanta::mpg123Api().mpg123_close(__VA_ARGS__))
#define mpg123_decode(...) (::korvanta::mpg123Api().mpg123_decode(__VA_ARGS__))
#define mpg123_delete(...) (::korvanta::mpg123Api().mpg123_delete(__VA_ARGS__))
#define mpg123_feed(...) (::korvanta::mpg123Api().mpg123_feed(__VA_ARGS__))
#define mpg123_format(...) (::korvanta::mpg123Api().mpg123_format(__VA_ARGS__))
#define mpg123_format_none(...) (::korvanta::mpg123Api().mpg123_format_none(__VA_ARGS__))
#define mpg123_init(...) (::korvanta::mpg123Api().mpg123_init(__VA_ARGS__))
#define mpg123_new(...) (::korvanta::mpg123Api().mpg123_new(__VA_ARGS__))
#define mpg123_open_feed(...) (::korvanta::mpg123Api().mpg123_open_feed(__VA_ARGS__))
#define mpg123_param2(...) (::korvanta::mpg123Api().mpg123_param2(__VA_ARGS__))
// clang-format on
