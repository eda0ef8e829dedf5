// A ring of interleaved frames in which frame f lives in slot f % slots: the player keeps the
// last seconds it sent in one, for the displays to look back into. Runs of frames go in and out
// in at most two pieces.
#pragma once

#include "audio/unfilled_samples.h"

#include <cstdint>

// Stores `frames` frames from `from` as frames firstFrame, firstFrame + 1, ...; of a run longer
// than the ring only the newest are kept.
void copyIntoRing(UnfilledSamples &ring, int channels, int64_t firstFrame, const int16_t *from,
                  int64_t frames);
// Copies frames firstFrame .. firstFrame + frames - 1 to `to`; the caller makes sure the ring
// still holds them.
void copyFromRing(const UnfilledSamples &ring, int channels, int64_t firstFrame, int16_t *to,
                  int64_t frames);
