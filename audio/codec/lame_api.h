// LAME, opened when the first MP3 is written (see lazy_library.h), so the window shows
// without loading it. Included by the code that calls LAME, after whose own header every
// call to one of these functions goes through the table.
#pragma once

#include "audio/lazy_library.h"

#include <lame/lame.h>

#include <QString>

// clang-format off
#define KORVANTA_LAME_FUNCTIONS(X) \
    X(lame_close) \
    X(lame_encode_buffer_interleaved) \
    X(lame_encode_flush) \
    X(lame_get_lametag_frame) \
    X(lame_get_out_samplerate) \
    X(lame_init) \
    X(lame_init_params) \
    X(lame_set_VBR) \
    X(lame_set_VBR_hard_min) \
    X(lame_set_VBR_max_bitrate_kbps) \
    X(lame_set_VBR_mean_bitrate_kbps) \
    X(lame_set_VBR_min_bitrate_kbps) \
    X(lame_set_bWriteVbrTag) \
    X(lame_set_brate) \
    X(lame_set_in_samplerate) \
    X(lame_set_mode) \
    X(lame_set_num_channels) \
    X(lame_set_out_samplerate) \
    X(lame_set_quality) \
    X(lame_set_write_id3tag_automatic)
// clang-format on

namespace korvanta {

KORVANTA_DECLARE_LAZY_LIBRARY(LameApi, KORVANTA_LAME_FUNCTIONS, loadLameApi, lameApi)

}  // namespace korvanta

// clang-format off
#define lame_close(...) (::korvanta::lameApi().lame_close(__VA_ARGS__))
#define lame_encode_buffer_interleaved(...) (::korvanta::lameApi().lame_encode_buffer_interleaved(__VA_ARGS__))
#define lame_encode_flush(...) (::korvanta::lameApi().lame_encode_flush(__VA_ARGS__))
#define lame_get_lametag_frame(...) (::korvanta::lameApi().lame_get_lametag_frame(__VA_ARGS__))
#define lame_get_out_samplerate(...) (::korvanta::lameApi().lame_get_out_samplerate(__VA_ARGS__))
#define lame_init(...) (::korvanta::lameApi().lame_init(__VA_ARGS__))
#define lame_init_params(...) (::korvanta::lameApi().lame_init_params(__VA_ARGS__))
#define lame_set_VBR(...) (::korvanta::lameApi().lame_set_VBR(__VA_ARGS__))
#define lame_set_VBR_hard_min(...) (::korvanta::lameApi().lame_set_VBR_hard_min(__VA_ARGS__))
#define lame_set_VBR_max_bitrate_kbps(...) (::korvanta::lameApi().lame_set_VBR_max_bitrate_kbps(__VA_ARGS__))
#define lame_set_VBR_mean_bitrate_kbps(...) (::korvanta::lameApi().lame_set_VBR_mean_bitrate_kbps(__VA_ARGS__))
#define lame_set_VBR_min_bitrate_kbps(...) (::korvanta::lameApi().lame_set_VBR_min_bitrate_kbps(__VA_ARGS__))
#define lame_set_bWriteVbrTag(...) (::korvanta::lameApi().lame_set_bWriteVbrTag(__VA_ARGS__))
#define lame_set_brate(...) (::korvanta::lameApi().lame_set_brate(__VA_ARGS__))
#define lame_set_in_samplerate(...) (::korvanta::lameApi().lame_set_in_samplerate(__VA_ARGS__))
#define lame_set_mode(...) (::korvanta::lameApi().lame_set_mode(__VA_ARGS__))
#define lame_set_num_channels(...) (::korvanta::lameApi().lame_set_num_channels(__VA_ARGS__))
#define lame_set_out_samplerate(...) (::korvanta::lameApi().lame_set_out_samplerate(__VA_ARGS__))
#define lame_set_quality(...) (::korvanta::lameApi().lame_set_quality(__VA_ARGS__))
#define lame_set_write_id3tag_automatic(...) (::korvanta::lameApi().lame_set_write_id3tag_automatic(__VA_ARGS__))
// clang-format on
