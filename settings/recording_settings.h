// The recording-format settings and their loading from / saving to setup.ini. The program
// keeps one object, made in main and handed to the window, the recording and the dialogs.
#pragma once

#include "settings/setup_keys.h"
#include "settings/stored_values.h"

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
    // What this run last read from setup.ini or wrote there; the saves below write only the
    // keys whose value differs from it. Never loaded (a fresh object): every key is written.
    StoredValues stored;
};

// Fills the persisted fields from the file and notes them in s.stored, with the Options
// dialog's list rows; flgSplit and SplitTime are left alone. A key that is
// missing or empty, or holds a value its format's writer can't take, reads as its default.
void LoadRecordingSettings(RecordingSettings &s, const QString &iniPath);

// Each save below writes, in one locked read-change-write of the file as it is on disk, only
// the keys whose value this run changed, so it never undoes what another copy of the program
// or the user wrote to the others. On failure *error (if given) gets the message to show.

// options/timelimit, if this run changed it (when the main window closes).
bool SaveTimeLimit(RecordingSettings &s, const QString &iniPath, QString *error);

// The rows the Options dialog's lists stand on (-1: none), written beside the values.
struct FormatListRows {
    int mp3 = setupkeys::kMp3Row.defaultValue;
    int wav = setupkeys::kWavRow.defaultValue;
    int flac = setupkeys::kFlacRow.defaultValue;
    int opus = setupkeys::kOpusRow.defaultValue;
    int vorbis = setupkeys::kVorbisRow.defaultValue;
};

// The list rows as the file holds them now, noted in s.stored (the Options dialog, when shown).
FormatListRows LoadFormatListRows(RecordingSettings &s, const QString &iniPath);

// Every persisted field and the Options dialog's list rows that changed: all of them or, on
// failure, none.
bool SaveSettings(RecordingSettings &s, const FormatListRows &rows, const QString &iniPath,
                  QString *error);
// The same with the MP3 and WAV rows given and the other lists' rows as stored already.
bool SaveSettings(RecordingSettings &s, int mp3Row, int wavRow, const QString &iniPath,
                  QString *error);
