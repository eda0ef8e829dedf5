// The process-wide recording-format settings and their loading from / saving to setup.ini.
#pragma once

#include "settings/setup_keys.h"

#include <QString>

struct RecordingSettings {
    QString ext = QString::fromLatin1(setupkeys::kDefaultSaveFormat);  // with the dot, as stored
    QString SavePath;                                                  // ends in "/"
    int MP3Bitrate = setupkeys::kMp3Bitrate.defaultValue;              // kbps
    int MP3Freq = setupkeys::kMp3Freq.defaultValue;                    // Hz
    int WAVFreq = setupkeys::kWavFreq.defaultValue;                    // Hz
    int WAVCh = setupkeys::kWavChannels.defaultValue;
    int WAVBPS = setupkeys::kWavBits.defaultValue;
    int WMAProfile = setupkeys::kWmaProfile.defaultValue;
    int RecordTime = setupkeys::kTimeLimit.defaultValue;  // seconds; 0 or less: no auto stop
    bool flgSplit = false;                                // never persisted
    int SplitTime = 0;                                    // seconds; never persisted
    int TotalFileTime = 0;  // seconds of the split parts already finished
};

// The one instance shared by the main window, the recording and the dialogs.
RecordingSettings &recordingSettings();

// Fills the persisted fields from the file (defaults for whatever is missing); flgSplit,
// SplitTime and TotalFileTime are left alone.
void LoadRecordingSettings(RecordingSettings &s, const QString &iniPath);

// Writes options/timelimit only. On failure *error (if given) gets the message to show.
bool SaveTimeLimit(const RecordingSettings &s, const QString &iniPath, QString *error);

// Writes every persisted field plus the Options dialog's MP3 and WAV list rows, stopping at the
// first failure. On failure *error (if given) gets the message to show.
bool SaveSettings(const RecordingSettings &s, int mp3Row, int wavRow, const QString &iniPath,
                  QString *error);
