// Voice activation on the captured frames: "sound" at the first frame whose peak reaches the
// start level, "silence" once no frame has come within a few dB of that level for the
// silence time. The level is the one the level bars show: the peak of either channel as
// dBFS of 16-bit samples. The few dB of hysteresis and the silence time itself are the
// hangover that keeps breaths and short gaps in speech from pausing the recording.
#pragma once

#include <cstdint>
#include <functional>

class VoiceTrigger {
public:
    enum class Event { Sound, Silence };
    using Listener = std::function<void(Event event, int64_t frame)>;

    // Levels below the start level by this much or more count as silence.
    static constexpr double kHysteresisDb = 3.0;

    // `silenceFrames` 0: no silence events.
    void configure(int levelDb, int64_t silenceFrames);
    // Starts over on a new stream, waiting for sound (`sounding` false) or counting silence
    // from `frame` on (`sounding` true).
    void restart(bool sounding, int64_t frame = 0);
    bool sounding() const { return sounding_; }

    // Frames of one stream in order; `firstFrame` is the stream number of the first one.
    // `listener` hears every change in the order it happened.
    void feed(const int16_t *samples, int frames, int channels, int64_t firstFrame,
              const Listener &listener);

    // The sample peak that a level in dBFS stands for.
    static int peakForDb(double db);

private:
    int startPeak_ = 32767;
    int holdPeak_ = 32767;
    int64_t silenceFrames_ = 0;
    bool sounding_ = false;
    int64_t lastLoud_ = 0;
};
