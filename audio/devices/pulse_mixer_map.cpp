#include "audio/devices/pulse_mixer_map.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int kKnobMax = 65535;

// Ports become lines only where there is a choice to make.
bool hasPortLines(const PulseDevice &device, Direction direction) {
    return direction == Direction::Input && device.ports.size() >= 2;
}

}  // namespace

int knobFromPulse(pa_volume_t volume) {
    if (volume == PA_VOLUME_INVALID)
        return 0;
    if (volume >= PA_VOLUME_NORM)
        return kKnobMax;  // the server allows amplification; the knob tops out at 100 %
    return static_cast<int>(std::lround(static_cast<double>(volume) * kKnobMax / PA_VOLUME_NORM));
}

pa_volume_t pulseFromKnob(int knob) {
    knob = std::clamp(knob, 0, kKnobMax);
    return static_cast<pa_volume_t>(
        std::lround(static_cast<double>(knob) * PA_VOLUME_NORM / kKnobMax));
}

int balanceFromPulse(const pa_cvolume &volume, const pa_channel_map &map) {
    if (!pa_cvolume_valid(&volume) || !pa_channel_map_valid(&map) ||
        !pa_cvolume_compatible_with_channel_map(&volume, &map) || !pa_channel_map_can_balance(&map))
        return 50;
    const float balance = pa_cvolume_get_balance(&volume, &map);  // -1 left .. +1 right
    return std::clamp(static_cast<int>(std::lround((balance + 1.0f) * 50.0f)), 0, 100);
}

pa_cvolume withKnobVolume(pa_cvolume volume, int knob) {
    if (pa_cvolume_valid(&volume))
        pa_cvolume_scale(&volume, pulseFromKnob(knob));
    return volume;
}

pa_cvolume withBalance(pa_cvolume volume, const pa_channel_map &map, int balance) {
    if (pa_cvolume_valid(&volume) && pa_channel_map_valid(&map) &&
        pa_cvolume_compatible_with_channel_map(&volume, &map) && pa_channel_map_can_balance(&map)) {
        const float value = std::clamp(balance, 0, 100) / 50.0f - 1.0f;
        pa_cvolume_set_balance(&volume, &map, value);
    }
    return volume;
}

std::vector<MixerLine> mixerLinesFor(const PulseDevice &device, Direction direction) {
    if (!device.present)
        return {};
    std::vector<MixerLine> lines;
    MixerLine master;
    master.name = QStringLiteral("Master");
    master.hasVolume = pa_cvolume_valid(&device.volume);
    master.volume = master.hasVolume ? knobFromPulse(pa_cvolume_max(&device.volume)) : 0;
    master.hasBalance =
        pa_channel_map_valid(&device.channelMap) && pa_channel_map_can_balance(&device.channelMap);
    master.balance = balanceFromPulse(device.volume, device.channelMap);
    master.hasMute = direction == Direction::Output;
    master.mute = master.hasMute && device.mute;
    lines.push_back(master);

    if (!hasPortLines(device, direction))
        return lines;
    for (const PulsePort &port : device.ports) {
        MixerLine line;
        line.name =
            port.description.isEmpty() ? QString::fromStdString(port.name) : port.description;
        if (port.unplugged)
            line.name += QStringLiteral(" (unplugged)");
        line.hasSelect = true;
        line.select = port.name == device.activePort;
        lines.push_back(line);
    }
    return lines;
}

const PulsePort *portOfLine(const PulseDevice &device, Direction direction, int line) {
    if (!hasPortLines(device, direction) || line < 1 ||
        line > static_cast<int>(device.ports.size()))
        return nullptr;
    return &device.ports[line - 1];
}
