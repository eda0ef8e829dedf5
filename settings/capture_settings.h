// Listening before and around a recording: the pre-record length, the input level shown while
// stopped, and voice-activated start and pause. All of it is off unless setup.ini says
// otherwise; values from the file are brought into range on reading.
#pragma once

#include "settings/setup_keys.h"

#include <QString>

struct CaptureSettings {
    static constexpr int kMaxPreRecordSeconds = 30;
    static constexpr int kMinVoiceLevelDb = -60;
    static constexpr int kMaxVoiceLevelDb = -1;
    static constexpr int kMinSilenceSeconds = 1;
    static constexpr int kMaxSilenceSeconds = 600;

    int preRecordSeconds = setupkeys::kPreRecord.defaultValue;  // 0: off
    bool showLevelWhileStopped = false;
    bool voiceStart = false;                                 // Record waits for sound
    int voiceLevelDb = setupkeys::kVoiceLevel.defaultValue;  // dBFS of the meters' peak
    bool voicePause = false;                                 // pause on silence
    int silenceSeconds = setupkeys::kVoiceSilence.defaultValue;

    // The input is captured while no recording runs.
    bool listensWhileIdle() const { return preRecordSeconds > 0 || showLevelWhileStopped; }

    bool operator==(const CaptureSettings &o) const {
        return preRecordSeconds == o.preRecordSeconds &&
               showLevelWhileStopped == o.showLevelWhileStopped && voiceStart == o.voiceStart &&
               voiceLevelDb == o.voiceLevelDb && voicePause == o.voicePause &&
               silenceSeconds == o.silenceSeconds;
    }
};

// Reads the keys; missing or unusable values give the defaults, numbers out of range are
// clamped.
CaptureSettings LoadCaptureSettings(const QString &iniPath);

// Writes the keys whose value in s differs from `before` (what this run loaded or saved last),
// in one locked read-change-write: a file without them stays without them while the features
// stay off, and keys another copy of the program changed meanwhile keep its values.
bool SaveCaptureSettings(const CaptureSettings &s, const CaptureSettings &before,
                         const QString &iniPath, QString *error);
