// The recording-format and listening settings of a test process: one pair, shared by every
// window and dialog the tests open, as the program's main makes one pair for its window.
#pragma once

#include "settings/capture_settings.h"
#include "settings/recording_settings.h"

inline RecordingSettings &testRecordingSettings() {
    static RecordingSettings settings;
    return settings;
}

inline CaptureSettings &testCaptureSettings() {
    static CaptureSettings settings;
    return settings;
}
