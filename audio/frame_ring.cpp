#include "audio/frame_ring.h"

#include <algorithm>

void copyIntoRing(UnfilledSamples &ring, int channels, int64_t firstFrame, const int16_t *from,
                  int64_t frames) {
    const int64_t slots = static_cast<int64_t>(ring.size()) / channels;
    if (frames > slots) {  // only the newest fit
        from += (frames - slots) * channels;
        firstFrame += frames - slots;
        frames = slots;
    }
    int64_t slot = firstFrame % slots;
    while (frames > 0) {
        const int64_t run = std::min(frames, slots - slot);
        std::copy_n(from, run * channels, ring.data() + slot * channels);
        from += run * channels;
        frames -= run;
        slot = 0;
    }
}

void copyFromRing(const UnfilledSamples &ring, int channels, int64_t firstFrame, int16_t *to,
                  int64_t frames) {
    const int64_t slots = static_cast<int64_t>(ring.size()) / channels;
    int64_t slot = firstFrame % slots;
    while (frames > 0) {
        const int64_t run = std::min(frames, slots - slot);
        std::copy_n(ring.data() + slot * channels, run * channels, to);
        to += run * channels;
        frames -= run;
        slot = 0;
    }
}
