// Every section, key and default of setup.ini in one table, so readers and writers in different
// windows can never disagree about a name or a default.
#pragma once

#include "settings/ini_file.h"

namespace setupkeys {

struct IntegerKey {
    const char *section;
    const char *name;
    int defaultValue;
};

struct TextKey {
    const char *section;
    const char *name;
};

inline constexpr TextKey kSaveFormat{"options", "saveformat"};
inline constexpr char kDefaultSaveFormat[] = ".mp3";
// Default: defaultRecordingFolder() (settings/app_paths.h).
inline constexpr TextKey kSavePath{"options", "savepath"};
inline constexpr IntegerKey kTimeLimit{"options", "timelimit", -1};

inline constexpr IntegerKey kMp3Bitrate{"mp3", "bitrate", 128};
inline constexpr IntegerKey kMp3Freq{"mp3", "freq", 44100};
// Rows of the Options dialog's lists; 5 and 15 are the rows matching the defaults above.
inline constexpr IntegerKey kMp3Row{"mp3", "ind", 5};

inline constexpr IntegerKey kWavFreq{"wav", "freq", 44100};
inline constexpr IntegerKey kWavChannels{"wav", "ch", 2};
inline constexpr IntegerKey kWavBits{"wav", "bps", 16};
inline constexpr IntegerKey kWavRow{"wav", "ind", 15};

inline constexpr IntegerKey kWmaProfile{"wma", "profile", 38};

// The lossless and Ogg formats; each `ind` default is the row of the values beside it.
inline constexpr IntegerKey kFlacFreq{"flac", "freq", 44100};
inline constexpr IntegerKey kFlacChannels{"flac", "ch", 2};
inline constexpr IntegerKey kFlacRow{"flac", "ind", 0};

inline constexpr IntegerKey kOpusBitrate{"opus", "bitrate", 128};
inline constexpr IntegerKey kOpusChannels{"opus", "ch", 2};
inline constexpr IntegerKey kOpusRow{"opus", "ind", 10};

inline constexpr IntegerKey kVorbisQuality{"vorbis", "quality", 5};
inline constexpr IntegerKey kVorbisFreq{"vorbis", "freq", 44100};
inline constexpr IntegerKey kVorbisChannels{"vorbis", "ch", 2};
inline constexpr IntegerKey kVorbisRow{"vorbis", "ind", 20};
// Listening while stopped and voice-activated recording (settings/capture_settings.h).
inline constexpr IntegerKey kPreRecord{"capture", "prerecord", 0};  // seconds, 0..30
inline constexpr IntegerKey kShowLevelStopped{"capture", "monitor", 0};
inline constexpr IntegerKey kVoiceStart{"capture", "voicestart", 0};
inline constexpr IntegerKey kVoiceLevel{"capture", "voicelevel", -30};  // dBFS
inline constexpr IntegerKey kVoicePause{"capture", "voicepause", 0};
inline constexpr IntegerKey kVoiceSilence{"capture", "voicesilence", 3};  // seconds

inline constexpr IntegerKey kTipNumber{"tips", "tipno", 1};
inline constexpr IntegerKey kShowTip{"tips", "showtip", 1};

inline int read(const IniFile &ini, const IntegerKey &key) {
    return ini.ReadInteger(QLatin1String(key.section), QLatin1String(key.name), key.defaultValue);
}

inline QString read(const IniFile &ini, const TextKey &key, const QString &defaultValue) {
    return ini.ReadString(QLatin1String(key.section), QLatin1String(key.name), defaultValue);
}

inline int read(const IniSnapshot &ini, const IntegerKey &key) {
    return ini.ReadInteger(QLatin1String(key.section), QLatin1String(key.name), key.defaultValue);
}

inline QString read(const IniSnapshot &ini, const TextKey &key, const QString &defaultValue) {
    return ini.ReadString(QLatin1String(key.section), QLatin1String(key.name), defaultValue);
}

inline IniEntry entry(const IntegerKey &key, int value) {
    return {QLatin1String(key.section), QLatin1String(key.name), QString::number(value)};
}

inline IniEntry entry(const TextKey &key, const QString &value) {
    return {QLatin1String(key.section), QLatin1String(key.name), value};
}

inline bool write(IniFile &ini, const IntegerKey &key, int value) {
    return ini.WriteInteger(QLatin1String(key.section), QLatin1String(key.name), value);
}

inline bool write(IniFile &ini, const TextKey &key, const QString &value) {
    return ini.WriteString(QLatin1String(key.section), QLatin1String(key.name), value);
}

}  // namespace setupkeys
