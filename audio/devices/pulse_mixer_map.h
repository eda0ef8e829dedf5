// How a sink or source of the sound server appears as mixer lines, and the conversions
// between the components' scales and the server's.
//
// Line 0, "Master", is the device's own volume: 0..65535 maps linearly onto the server's
// 0..100 % (volumes above 100 % read as 65535), balance 0..100 (50 = centre, 0 = left
// only) goes through the channel map's balance, and outputs have mute. An input with
// several ports (microphone, line in, ...) has one more line per port, in the server's
// port order; its select switch means "this port is the active one". No line has advanced
// controls.
#pragma once

#include "audio/devices/audio_backend.h"
#include "audio/devices/pulse_api.h"
#include "audio/devices/pulse_device_table.h"

#include <vector>

int knobFromPulse(pa_volume_t volume);
pa_volume_t pulseFromKnob(int knob);

// The balance of a volume, 0..100; 50 when the channel map has no left and right.
int balanceFromPulse(const pa_cvolume &volume, const pa_channel_map &map);
// The volume with its loudest channel set to `knob`, keeping the balance.
pa_cvolume withKnobVolume(pa_cvolume volume, int knob);
// The volume with the balance set, keeping the loudest channel.
pa_cvolume withBalance(pa_cvolume volume, const pa_channel_map &map, int balance);

std::vector<MixerLine> mixerLinesFor(const PulseDevice &device, Direction direction);
// The port a line stands for, or nullptr (line 0, or a line that does not exist).
const PulsePort *portOfLine(const PulseDevice &device, Direction direction, int line);
