#include "settings/capture_settings.h"

#include <QFile>

#include <algorithm>

using namespace setupkeys;

namespace {

constexpr qint64 kMaxIniBytes = 64 * 1024 * 1024;  // larger files read as empty

// A switch is 0 or 1; anything else is taken as the default.
bool readSwitch(const IniFile &ini, const IntegerKey &key) {
    const int value = read(ini, key);
    return (value == 0 || value == 1) ? value == 1 : key.defaultValue == 1;
}

// Every lookup parses the whole file again; a file that never names the section, as almost
// every one does not, is read once instead of six times (it may be large or odd, and start-up
// waits for it).
bool mayHoldSection(const QString &iniPath) {
    QFile file(iniPath);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray text = file.read(kMaxIniBytes).toLower();
    return text.contains("capture") || text.contains(QByteArray("c\0a\0p\0t\0u\0r\0e", 13));
}

void addIfChanged(std::vector<IniEntry> &entries, const IntegerKey &key, int value, int before) {
    if (value != before)
        entries.push_back(entry(key, value));
}

}  // namespace

CaptureSettings LoadCaptureSettings(const QString &iniPath) {
    CaptureSettings s;
    if (!mayHoldSection(iniPath))
        return s;
    const IniFile ini(iniPath);
    s.preRecordSeconds =
        std::clamp(read(ini, kPreRecord), 0, CaptureSettings::kMaxPreRecordSeconds);
    s.showLevelWhileStopped = readSwitch(ini, kShowLevelStopped);
    s.voiceStart = readSwitch(ini, kVoiceStart);
    s.voiceLevelDb = std::clamp(read(ini, kVoiceLevel), CaptureSettings::kMinVoiceLevelDb,
                                CaptureSettings::kMaxVoiceLevelDb);
    s.voicePause = readSwitch(ini, kVoicePause);
    s.silenceSeconds = std::clamp(read(ini, kVoiceSilence), CaptureSettings::kMinSilenceSeconds,
                                  CaptureSettings::kMaxSilenceSeconds);
    return s;
}

bool SaveCaptureSettings(const CaptureSettings &s, const CaptureSettings &before,
                         const QString &iniPath, QString *error) {
    std::vector<IniEntry> changed;
    addIfChanged(changed, kPreRecord, s.preRecordSeconds, before.preRecordSeconds);
    addIfChanged(changed, kShowLevelStopped, s.showLevelWhileStopped, before.showLevelWhileStopped);
    addIfChanged(changed, kVoiceStart, s.voiceStart, before.voiceStart);
    addIfChanged(changed, kVoiceLevel, s.voiceLevelDb, before.voiceLevelDb);
    addIfChanged(changed, kVoicePause, s.voicePause, before.voicePause);
    addIfChanged(changed, kVoiceSilence, s.silenceSeconds, before.silenceSeconds);
    IniFile ini(iniPath);
    const bool ok = ini.Write(changed);
    if (!ok && error)
        *error = ini.lastError();
    return ok;
}
