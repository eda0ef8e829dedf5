#include "recording/voice_trigger.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

int VoiceTrigger::peakForDb(double db) {
    return std::clamp(static_cast<int>(std::ceil(32767.0 * std::pow(10.0, db / 20.0))), 1, 32767);
}

void VoiceTrigger::configure(int levelDb, int64_t silenceFrames) {
    startPeak_ = peakForDb(levelDb);
    holdPeak_ = peakForDb(levelDb - kHysteresisDb);
    silenceFrames_ = std::max<int64_t>(0, silenceFrames);
}

void VoiceTrigger::restart(bool sounding, int64_t frame) {
    sounding_ = sounding;
    lastLoud_ = frame;
}

void VoiceTrigger::feed(const int16_t *samples, int frames, int channels, int64_t firstFrame,
                        const Listener &listener) {
    for (int i = 0; i < frames; ++i) {
        int peak = 0;
        for (int ch = 0; ch < channels; ++ch)
            peak = std::max(peak, std::abs(int(samples[static_cast<size_t>(i) * channels + ch])));
        const int64_t frame = firstFrame + i;
        if (!sounding_) {
            if (peak >= startPeak_) {
                sounding_ = true;
                lastLoud_ = frame;
                listener(Event::Sound, frame);
            }
            continue;
        }
        if (peak >= holdPeak_) {
            lastLoud_ = frame;
        } else if (silenceFrames_ > 0 && frame - lastLoud_ >= silenceFrames_) {
            sounding_ = false;
            listener(Event::Silence, frame);
        }
    }
}
