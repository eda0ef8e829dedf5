#include "audio/devices/capture_frontier.h"

#include <algorithm>

void CaptureFrontier::arrived(int64_t total, int64_t nowUs) {
    if (lead_ == kNone || nowUs - windowStartUs_ >= kWindowUs) {
        previousLead_ = lead_;
        lead_ = kNone;
        windowStartUs_ = nowUs;
    }
    lead_ = std::max(lead_, total * 1'000'000 / rate_ - nowUs);
}

int64_t CaptureFrontier::framesCapturedBy(int64_t momentUs) const {
    const int64_t lead = std::max(lead_, previousLead_);
    if (lead == kNone)
        return -1;
    return std::max<int64_t>(0, (momentUs + lead) * rate_ / 1'000'000);
}
