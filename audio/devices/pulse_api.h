// libpulse, opened when the sound server is first asked for (see lazy_library.h): the
// virtual sound card, the tests without a server and the window's first show don't load it
// and the dozen libraries it brings along. Included by every file that calls libpulse, after
// whose own headers every call to one of these functions goes through the table. A
// function missing from the list links directly and so still works, only loaded at start.
#pragma once

#include "audio/lazy_library.h"

#include <pulse/pulseaudio.h>
#include <pulse/rtclock.h>
#include <pulse/thread-mainloop.h>

#include <QString>

// clang-format off
#define KORVANTA_PULSE_FUNCTIONS(X) \
    X(pa_bytes_per_second) \
    X(pa_bytes_to_usec) \
    X(pa_channel_map_can_balance) \
    X(pa_channel_map_equal) \
    X(pa_channel_map_valid) \
    X(pa_context_connect) \
    X(pa_context_disconnect) \
    X(pa_context_drain) \
    X(pa_context_errno) \
    X(pa_context_get_index) \
    X(pa_context_get_server) \
    X(pa_context_get_server_info) \
    X(pa_context_get_sink_info_by_index) \
    X(pa_context_get_sink_info_by_name) \
    X(pa_context_get_sink_info_list) \
    X(pa_context_get_sink_input_info) \
    X(pa_context_get_sink_input_info_list) \
    X(pa_context_get_source_info_by_index) \
    X(pa_context_get_source_info_by_name) \
    X(pa_context_get_source_info_list) \
    X(pa_context_get_state) \
    X(pa_context_is_local) \
    X(pa_context_new_with_proplist) \
    X(pa_context_ref) \
    X(pa_context_set_sink_mute_by_name) \
    X(pa_context_set_sink_port_by_name) \
    X(pa_context_set_sink_volume_by_name) \
    X(pa_context_set_source_mute_by_name) \
    X(pa_context_set_source_port_by_name) \
    X(pa_context_set_source_volume_by_name) \
    X(pa_context_set_state_callback) \
    X(pa_context_set_subscribe_callback) \
    X(pa_context_subscribe) \
    X(pa_context_unref) \
    X(pa_cvolume_avg) \
    X(pa_cvolume_compatible_with_channel_map) \
    X(pa_cvolume_equal) \
    X(pa_cvolume_get_balance) \
    X(pa_cvolume_max) \
    X(pa_cvolume_scale) \
    X(pa_cvolume_set_balance) \
    X(pa_cvolume_valid) \
    X(pa_frame_size) \
    X(pa_gettimeofday) \
    X(pa_operation_cancel) \
    X(pa_operation_get_state) \
    X(pa_operation_ref) \
    X(pa_operation_set_state_callback) \
    X(pa_operation_unref) \
    X(pa_proplist_free) \
    X(pa_proplist_gets) \
    X(pa_proplist_new) \
    X(pa_proplist_sets) \
    X(pa_sample_size) \
    X(pa_sample_spec_valid) \
    X(pa_stream_begin_write) \
    X(pa_stream_cancel_write) \
    X(pa_stream_connect_playback) \
    X(pa_stream_connect_record) \
    X(pa_stream_cork) \
    X(pa_stream_disconnect) \
    X(pa_stream_drain) \
    X(pa_stream_drop) \
    X(pa_stream_flush) \
    X(pa_stream_get_buffer_attr) \
    X(pa_stream_get_channel_map) \
    X(pa_stream_get_context) \
    X(pa_stream_get_device_index) \
    X(pa_stream_get_device_name) \
    X(pa_stream_get_format_info) \
    X(pa_stream_get_index) \
    X(pa_stream_get_latency) \
    X(pa_stream_get_monitor_stream) \
    X(pa_stream_get_sample_spec) \
    X(pa_stream_get_state) \
    X(pa_stream_get_time) \
    X(pa_stream_get_timing_info) \
    X(pa_stream_get_underflow_index) \
    X(pa_stream_is_corked) \
    X(pa_stream_is_suspended) \
    X(pa_stream_new) \
    X(pa_stream_new_extended) \
    X(pa_stream_new_with_proplist) \
    X(pa_stream_peek) \
    X(pa_stream_prebuf) \
    X(pa_stream_proplist_remove) \
    X(pa_stream_proplist_update) \
    X(pa_stream_readable_size) \
    X(pa_stream_ref) \
    X(pa_stream_set_buffer_attr) \
    X(pa_stream_set_buffer_attr_callback) \
    X(pa_stream_set_event_callback) \
    X(pa_stream_set_latency_update_callback) \
    X(pa_stream_set_monitor_stream) \
    X(pa_stream_set_moved_callback) \
    X(pa_stream_set_name) \
    X(pa_stream_set_overflow_callback) \
    X(pa_stream_set_read_callback) \
    X(pa_stream_set_started_callback) \
    X(pa_stream_set_state_callback) \
    X(pa_stream_set_suspended_callback) \
    X(pa_stream_set_underflow_callback) \
    X(pa_stream_set_write_callback) \
    X(pa_stream_trigger) \
    X(pa_stream_unref) \
    X(pa_stream_update_sample_rate) \
    X(pa_stream_update_timing_info) \
    X(pa_stream_writable_size) \
    X(pa_stream_write) \
    X(pa_stream_write_ext_free) \
    X(pa_strerror) \
    X(pa_sw_volume_from_linear) \
    X(pa_sw_volume_to_linear) \
    X(pa_threaded_mainloop_accept) \
    X(pa_threaded_mainloop_free) \
    X(pa_threaded_mainloop_get_api) \
    X(pa_threaded_mainloop_get_retval) \
    X(pa_threaded_mainloop_in_thread) \
    X(pa_threaded_mainloop_lock) \
    X(pa_threaded_mainloop_new) \
    X(pa_threaded_mainloop_once_unlocked) \
    X(pa_threaded_mainloop_set_name) \
    X(pa_threaded_mainloop_signal) \
    X(pa_threaded_mainloop_start) \
    X(pa_threaded_mainloop_stop) \
    X(pa_threaded_mainloop_unlock) \
    X(pa_threaded_mainloop_wait) \
    X(pa_timeval_add) \
    X(pa_usec_to_bytes)
// clang-format on

namespace korvanta {

// The sound-server backend is created only once loadPulseApi() succeeded.
KORVANTA_DECLARE_LAZY_LIBRARY(PulseApi, KORVANTA_PULSE_FUNCTIONS, loadPulseApi, pulseApi)

}  // namespace korvanta

// clang-format off
#define pa_bytes_per_second(...) (::korvanta::pulseApi().pa_bytes_per_second(__VA_ARGS__))
#define pa_bytes_to_usec(...) (::korvanta::pulseApi().pa_bytes_to_usec(__VA_ARGS__))
#define pa_channel_map_can_balance(...) (::korvanta::pulseApi().pa_channel_map_can_balance(__VA_ARGS__))
#define pa_channel_map_equal(...) (::korvanta::pulseApi().pa_channel_map_equal(__VA_ARGS__))
#define pa_channel_map_valid(...) (::korvanta::pulseApi().pa_channel_map_valid(__VA_ARGS__))
#define pa_context_connect(...) (::korvanta::pulseApi().pa_context_connect(__VA_ARGS__))
#define pa_context_disconnect(...) (::korvanta::pulseApi().pa_context_disconnect(__VA_ARGS__))
#define pa_context_drain(...) (::korvanta::pulseApi().pa_context_drain(__VA_ARGS__))
#define pa_context_errno(...) (::korvanta::pulseApi().pa_context_errno(__VA_ARGS__))
#define pa_context_get_index(...) (::korvanta::pulseApi().pa_context_get_index(__VA_ARGS__))
#define pa_context_get_server(...) (::korvanta::pulseApi().pa_context_get_server(__VA_ARGS__))
#define pa_context_get_server_info(...) (::korvanta::pulseApi().pa_context_get_server_info(__VA_ARGS__))
#define pa_context_get_sink_info_by_index(...) (::korvanta::pulseApi().pa_context_get_sink_info_by_index(__VA_ARGS__))
#define pa_context_get_sink_info_by_name(...) (::korvanta::pulseApi().pa_context_get_sink_info_by_name(__VA_ARGS__))
#define pa_context_get_sink_info_list(...) (::korvanta::pulseApi().pa_context_get_sink_info_list(__VA_ARGS__))
#define pa_context_get_sink_input_info(...) (::korvanta::pulseApi().pa_context_get_sink_input_info(__VA_ARGS__))
#define pa_context_get_sink_input_info_list(...) (::korvanta::pulseApi().pa_context_get_sink_input_info_list(__VA_ARGS__))
#define pa_context_get_source_info_by_index(...) (::korvanta::pulseApi().pa_context_get_source_info_by_index(__VA_ARGS__))
#define pa_context_get_source_info_by_name(...) (::korvanta::pulseApi().pa_context_get_source_info_by_name(__VA_ARGS__))
#define pa_context_get_source_info_list(...) (::korvanta::pulseApi().pa_context_get_source_info_list(__VA_ARGS__))
#define pa_context_get_state(...) (::korvanta::pulseApi().pa_context_get_state(__VA_ARGS__))
#define pa_context_is_local(...) (::korvanta::pulseApi().pa_context_is_local(__VA_ARGS__))
#define pa_context_new_with_proplist(...) (::korvanta::pulseApi().pa_context_new_with_proplist(__VA_ARGS__))
#define pa_context_ref(...) (::korvanta::pulseApi().pa_context_ref(__VA_ARGS__))
#define pa_context_set_sink_mute_by_name(...) (::korvanta::pulseApi().pa_context_set_sink_mute_by_name(__VA_ARGS__))
#define pa_context_set_sink_port_by_name(...) (::korvanta::pulseApi().pa_context_set_sink_port_by_name(__VA_ARGS__))
#define pa_context_set_sink_volume_by_name(...) (::korvanta::pulseApi().pa_context_set_sink_volume_by_name(__VA_ARGS__))
#define pa_context_set_source_mute_by_name(...) (::korvanta::pulseApi().pa_context_set_source_mute_by_name(__VA_ARGS__))
#define pa_context_set_source_port_by_name(...) (::korvanta::pulseApi().pa_context_set_source_port_by_name(__VA_ARGS__))
#define pa_context_set_source_volume_by_name(...) (::korvanta::pulseApi().pa_context_set_source_volume_by_name(__VA_ARGS__))
#define pa_context_set_state_callback(...) (::korvanta::pulseApi().pa_context_set_state_callback(__VA_ARGS__))
#define pa_context_set_subscribe_callback(...) (::korvanta::pulseApi().pa_context_set_subscribe_callback(__VA_ARGS__))
#define pa_context_subscribe(...) (::korvanta::pulseApi().pa_context_subscribe(__VA_ARGS__))
#define pa_context_unref(...) (::korvanta::pulseApi().pa_context_unref(__VA_ARGS__))
#define pa_cvolume_avg(...) (::korvanta::pulseApi().pa_cvolume_avg(__VA_ARGS__))
#define pa_cvolume_compatible_with_channel_map(...) (::korvanta::pulseApi().pa_cvolume_compatible_with_channel_map(__VA_ARGS__))
#define pa_cvolume_equal(...) (::korvanta::pulseApi().pa_cvolume_equal(__VA_ARGS__))
#define pa_cvolume_get_balance(...) (::korvanta::pulseApi().pa_cvolume_get_balance(__VA_ARGS__))
#define pa_cvolume_max(...) (::korvanta::pulseApi().pa_cvolume_max(__VA_ARGS__))
#define pa_cvolume_scale(...) (::korvanta::pulseApi().pa_cvolume_scale(__VA_ARGS__))
#define pa_cvolume_set_balance(...) (::korvanta::pulseApi().pa_cvolume_set_balance(__VA_ARGS__))
#define pa_cvolume_valid(...) (::korvanta::pulseApi().pa_cvolume_valid(__VA_ARGS__))
#define pa_frame_size(...) (::korvanta::pulseApi().pa_frame_size(__VA_ARGS__))
#define pa_gettimeofday(...) (::korvanta::pulseApi().pa_gettimeofday(__VA_ARGS__))
#define pa_operation_cancel(...) (::korvanta::pulseApi().pa_operation_cancel(__VA_ARGS__))
#define pa_operation_get_state(...) (::korvanta::pulseApi().pa_operation_get_state(__VA_ARGS__))
#define pa_operation_ref(...) (::korvanta::pulseApi().pa_operation_ref(__VA_ARGS__))
#define pa_operation_set_state_callback(...) (::korvanta::pulseApi().pa_operation_set_state_callback(__VA_ARGS__))
#define pa_operation_unref(...) (::korvanta::pulseApi().pa_operation_unref(__VA_ARGS__))
#define pa_proplist_free(...) (::korvanta::pulseApi().pa_proplist_free(__VA_ARGS__))
#define pa_proplist_gets(...) (::korvanta::pulseApi().pa_proplist_gets(__VA_ARGS__))
#define pa_proplist_new(...) (::korvanta::pulseApi().pa_proplist_new(__VA_ARGS__))
#define pa_proplist_sets(...) (::korvanta::pulseApi().pa_proplist_sets(__VA_ARGS__))
#define pa_sample_size(...) (::korvanta::pulseApi().pa_sample_size(__VA_ARGS__))
#define pa_sample_spec_valid(...) (::korvanta::pulseApi().pa_sample_spec_valid(__VA_ARGS__))
#define pa_stream_begin_write(...) (::korvanta::pulseApi().pa_stream_begin_write(__VA_ARGS__))
#define pa_stream_cancel_write(...) (::korvanta::pulseApi().pa_stream_cancel_write(__VA_ARGS__))
#define pa_stream_connect_playback(...) (::korvanta::pulseApi().pa_stream_connect_playback(__VA_ARGS__))
#define pa_stream_connect_record(...) (::korvanta::pulseApi().pa_stream_connect_record(__VA_ARGS__))
#define pa_stream_cork(...) (::korvanta::pulseApi().pa_stream_cork(__VA_ARGS__))
#define pa_stream_disconnect(...) (::korvanta::pulseApi().pa_stream_disconnect(__VA_ARGS__))
#define pa_stream_drain(...) (::korvanta::pulseApi().pa_stream_drain(__VA_ARGS__))
#define pa_stream_drop(...) (::korvanta::pulseApi().pa_stream_drop(__VA_ARGS__))
#define pa_stream_flush(...) (::korvanta::pulseApi().pa_stream_flush(__VA_ARGS__))
#define pa_stream_get_buffer_attr(...) (::korvanta::pulseApi().pa_stream_get_buffer_attr(__VA_ARGS__))
#define pa_stream_get_channel_map(...) (::korvanta::pulseApi().pa_stream_get_channel_map(__VA_ARGS__))
#define pa_stream_get_context(...) (::korvanta::pulseApi().pa_stream_get_context(__VA_ARGS__))
#define pa_stream_get_device_index(...) (::korvanta::pulseApi().pa_stream_get_device_index(__VA_ARGS__))
#define pa_stream_get_device_name(...) (::korvanta::pulseApi().pa_stream_get_device_name(__VA_ARGS__))
#define pa_stream_get_format_info(...) (::korvanta::pulseApi().pa_stream_get_format_info(__VA_ARGS__))
#define pa_stream_get_index(...) (::korvanta::pulseApi().pa_stream_get_index(__VA_ARGS__))
#define pa_stream_get_latency(...) (::korvanta::pulseApi().pa_stream_get_latency(__VA_ARGS__))
#define pa_stream_get_monitor_stream(...) (::korvanta::pulseApi().pa_stream_get_monitor_stream(__VA_ARGS__))
#define pa_stream_get_sample_spec(...) (::korvanta::pulseApi().pa_stream_get_sample_spec(__VA_ARGS__))
#define pa_stream_get_state(...) (::korvanta::pulseApi().pa_stream_get_state(__VA_ARGS__))
#define pa_stream_get_time(...) (::korvanta::pulseApi().pa_stream_get_time(__VA_ARGS__))
#define pa_stream_get_timing_info(...) (::korvanta::pulseApi().pa_stream_get_timing_info(__VA_ARGS__))
#define pa_stream_get_underflow_index(...) (::korvanta::pulseApi().pa_stream_get_underflow_index(__VA_ARGS__))
#define pa_stream_is_corked(...) (::korvanta::pulseApi().pa_stream_is_corked(__VA_ARGS__))
#define pa_stream_is_suspended(...) (::korvanta::pulseApi().pa_stream_is_suspended(__VA_ARGS__))
#define pa_stream_new(...) (::korvanta::pulseApi().pa_stream_new(__VA_ARGS__))
#define pa_stream_new_extended(...) (::korvanta::pulseApi().pa_stream_new_extended(__VA_ARGS__))
#define pa_stream_new_with_proplist(...) (::korvanta::pulseApi().pa_stream_new_with_proplist(__VA_ARGS__))
#define pa_stream_peek(...) (::korvanta::pulseApi().pa_stream_peek(__VA_ARGS__))
#define pa_stream_prebuf(...) (::korvanta::pulseApi().pa_stream_prebuf(__VA_ARGS__))
#define pa_stream_proplist_remove(...) (::korvanta::pulseApi().pa_stream_proplist_remove(__VA_ARGS__))
#define pa_stream_proplist_update(...) (::korvanta::pulseApi().pa_stream_proplist_update(__VA_ARGS__))
#define pa_stream_readable_size(...) (::korvanta::pulseApi().pa_stream_readable_size(__VA_ARGS__))
#define pa_stream_ref(...) (::korvanta::pulseApi().pa_stream_ref(__VA_ARGS__))
#define pa_stream_set_buffer_attr(...) (::korvanta::pulseApi().pa_stream_set_buffer_attr(__VA_ARGS__))
#define pa_stream_set_buffer_attr_callback(...) (::korvanta::pulseApi().pa_stream_set_buffer_attr_callback(__VA_ARGS__))
#define pa_stream_set_event_callback(...) (::korvanta::pulseApi().pa_stream_set_event_callback(__VA_ARGS__))
#define pa_stream_set_latency_update_callback(...) (::korvanta::pulseApi().pa_stream_set_latency_update_callback(__VA_ARGS__))
#define pa_stream_set_monitor_stream(...) (::korvanta::pulseApi().pa_stream_set_monitor_stream(__VA_ARGS__))
#define pa_stream_set_moved_callback(...) (::korvanta::pulseApi().pa_stream_set_moved_callback(__VA_ARGS__))
#define pa_stream_set_name(...) (::korvanta::pulseApi().pa_stream_set_name(__VA_ARGS__))
#define pa_stream_set_overflow_callback(...) (::korvanta::pulseApi().pa_stream_set_overflow_callback(__VA_ARGS__))
#define pa_stream_set_read_callback(...) (::korvanta::pulseApi().pa_stream_set_read_callback(__VA_ARGS__))
#define pa_stream_set_started_callback(...) (::korvanta::pulseApi().pa_stream_set_started_callback(__VA_ARGS__))
#define pa_stream_set_state_callback(...) (::korvanta::pulseApi().pa_stream_set_state_callback(__VA_ARGS__))
#define pa_stream_set_suspended_callback(...) (::korvanta::pulseApi().pa_stream_set_suspended_callback(__VA_ARGS__))
#define pa_stream_set_underflow_callback(...) (::korvanta::pulseApi().pa_stream_set_underflow_callback(__VA_ARGS__))
#define pa_stream_set_write_callback(...) (::korvanta::pulseApi().pa_stream_set_write_callback(__VA_ARGS__))
#define pa_stream_trigger(...) (::korvanta::pulseApi().pa_stream_trigger(__VA_ARGS__))
#define pa_stream_unref(...) (::korvanta::pulseApi().pa_stream_unref(__VA_ARGS__))
#define pa_stream_update_sample_rate(...) (::korvanta::pulseApi().pa_stream_update_sample_rate(__VA_ARGS__))
#define pa_stream_update_timing_info(...) (::korvanta::pulseApi().pa_stream_update_timing_info(__VA_ARGS__))
#define pa_stream_writable_size(...) (::korvanta::pulseApi().pa_stream_writable_size(__VA_ARGS__))
#define pa_stream_write(...) (::korvanta::pulseApi().pa_stream_write(__VA_ARGS__))
#define pa_stream_write_ext_free(...) (::korvanta::pulseApi().pa_stream_write_ext_free(__VA_ARGS__))
#define pa_strerror(...) (::korvanta::pulseApi().pa_strerror(__VA_ARGS__))
#define pa_sw_volume_from_linear(...) (::korvanta::pulseApi().pa_sw_volume_from_linear(__VA_ARGS__))
#define pa_sw_volume_to_linear(...) (::korvanta::pulseApi().pa_sw_volume_to_linear(__VA_ARGS__))
#define pa_threaded_mainloop_accept(...) (::korvanta::pulseApi().pa_threaded_mainloop_accept(__VA_ARGS__))
#define pa_threaded_mainloop_free(...) (::korvanta::pulseApi().pa_threaded_mainloop_free(__VA_ARGS__))
#define pa_threaded_mainloop_get_api(...) (::korvanta::pulseApi().pa_threaded_mainloop_get_api(__VA_ARGS__))
#define pa_threaded_mainloop_get_retval(...) (::korvanta::pulseApi().pa_threaded_mainloop_get_retval(__VA_ARGS__))
#define pa_threaded_mainloop_in_thread(...) (::korvanta::pulseApi().pa_threaded_mainloop_in_thread(__VA_ARGS__))
#define pa_threaded_mainloop_lock(...) (::korvanta::pulseApi().pa_threaded_mainloop_lock(__VA_ARGS__))
#define pa_threaded_mainloop_new(...) (::korvanta::pulseApi().pa_threaded_mainloop_new(__VA_ARGS__))
#define pa_threaded_mainloop_once_unlocked(...) (::korvanta::pulseApi().pa_threaded_mainloop_once_unlocked(__VA_ARGS__))
#define pa_threaded_mainloop_set_name(...) (::korvanta::pulseApi().pa_threaded_mainloop_set_name(__VA_ARGS__))
#define pa_threaded_mainloop_signal(...) (::korvanta::pulseApi().pa_threaded_mainloop_signal(__VA_ARGS__))
#define pa_threaded_mainloop_start(...) (::korvanta::pulseApi().pa_threaded_mainloop_start(__VA_ARGS__))
#define pa_threaded_mainloop_stop(...) (::korvanta::pulseApi().pa_threaded_mainloop_stop(__VA_ARGS__))
#define pa_threaded_mainloop_unlock(...) (::korvanta::pulseApi().pa_threaded_mainloop_unlock(__VA_ARGS__))
#define pa_threaded_mainloop_wait(...) (::korvanta::pulseApi().pa_threaded_mainloop_wait(__VA_ARGS__))
#define pa_timeval_add(...) (::korvanta::pulseApi().pa_timeval_add(__VA_ARGS__))
#define pa_usec_to_bytes(...) (::korvanta::pulseApi().pa_usec_to_bytes(__VA_ARGS__))
// clang-format on
