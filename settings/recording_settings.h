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
    int FLACFreq = setupkeys::kFlacFreq.defaultValue;  // Hz
    int FLACCh = setupkeys::kFlacChannels.defaultValue;
    int OpusBitrate = setupkeys::kOpusBitrate.defaultValue;  // kbps
    int OpusCh = setupkeys::kOpusChannels.defaultValue;
    int VorbisQuality = setupkeys::kVorbisQuality.defaultValue;  // 0 to 10
    int VorbisFreq = setupkeys::kVorbisFreq.defaultValue;        // Hz
    int VorbisCh = setupkeys::kVorbisChannels.defaultValue;
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

// The rows the Options dialog's lists stand on (-1: none), written beside the values.
struct FormatListRows {
    int mp3 = setupkeys::kMp3Row.defaultValue;
    int wav = setupkeys::kWavRow.defaultValue;
    int flac = setupkeys::kFlacRow.defaultValue;
    int opus = setupkeys::kOpusRow.defaultValue;
    int vorbis = setupkeys::kVorbisRow.defaultValue;
};

// Writes every persisted field plus the Options dialog's list rows, stopping at the first
// failure. On failure *error (if given) gets the message to show.
bool SaveSettings(const RecordingSettings &s, const FormatListRows &rows, const QString &iniPath,
                  QString *error);
// The same with the MP3 and WAV rows given and the other lists' rows as stored already.
bool SaveSettings(const RecordingSettings &s, int mp3Row, int wavRow, const QString &iniPath,
                  QString *error);
