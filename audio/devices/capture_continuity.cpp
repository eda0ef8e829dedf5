#include "audio/devices/capture_continuity.h"

#include <algorithm>
#include <utility>

CaptureContinuity::Loss CaptureContinuity::arrived(int64_t total, int64_t nowUs) {
    Loss loss;
    if (windowLead_ != kNone && nowUs - windowStartUs_ >= kWindowUs)
        loss = closeWindow(total);
    if (windowLead_ == kNone) {
        windowStartUs_ = nowUs;
        windowCatchUpTotal_ = total;
    }
    const int64_t lead = total * 1'000'000 / rate_ - nowUs;
    if (windowLead_ == kNone || lead > windowLead_ + kCatchUpStepUs)
        windowCatchUpTotal_ = total;
    windowLead_ = std::max(windowLead_, lead);
    return loss;
}

// A whole window has passed; `latestTotal` frames have come by now.
CaptureContinuity::Loss CaptureContinuity::closeWindow(int64_t latestTotal) {
    const int64_t lead = std::exchange(windowLead_, kNone);
    if (reference_ == kNone) {
        reference_ = lead;
        return {};
    }
    const int64_t deficit = reference_ - lead;
    if (deficit < kLeastLossUs) {
        // Jitter, drift, or late frames that have come after all.
        reference_ = lead;
        suspectDeficit_ = kNone;
        overran_ = false;
        return {};
    }
    if (suspectDeficit_ == kNone && !overran_) {
        suspectDeficit_ = deficit;
        suspectTotal_ = windowCatchUpTotal_;
        return {};
    }
    // Short for two windows (or one, after the server said it overran): lost. The window
    // that fell short less is the one the late frames had all come in.
    const int64_t lostUs = suspectDeficit_ == kNone ? deficit : std::min(deficit, suspectDeficit_);
    const int64_t at = suspectDeficit_ == kNone ? windowCatchUpTotal_ : suspectTotal_;
    reference_ -= lostUs;
    suspectDeficit_ = kNone;
    overran_ = false;
    return {lostUs * rate_ / 1'000'000, std::max<int64_t>(0, latestTotal - at)};
}
