#include "settings/recording_settings.h"

#include "settings/app_paths.h"

using namespace setupkeys;

namespace {

bool reportResult(bool ok, const IniFile &ini, QString *error) {
    if (!ok && error) {
        *error = ini.lastError();
    }
    return ok;
}

}  // namespace

RecordingSettings &recordingSettings() {
    static RecordingSettings settings;
    return settings;
}

void LoadRecordingSettings(RecordingSettings &s, const QString &iniPath) {
    // Read once for all the keys, as at start-up a large file would otherwise be parsed
    // sixteen times.
    const IniSnapshot ini(iniPath);
    s.ext = read(ini, kSaveFormat, QString::fromLatin1(kDefaultSaveFormat));
    s.SavePath = read(ini, kSavePath, defaultRecordingFolder());
    s.MP3Bitrate = read(ini, kMp3Bitrate);
    s.MP3Freq = read(ini, kMp3Freq);
    s.WAVFreq = read(ini, kWavFreq);
    s.WAVCh = read(ini, kWavChannels);
    s.WAVBPS = read(ini, kWavBits);
    s.WMAProfile = read(ini, kWmaProfile);
    s.FLACFreq = read(ini, kFlacFreq);
    s.FLACCh = read(ini, kFlacChannels);
    s.OpusBitrate = read(ini, kOpusBitrate);
    s.OpusCh = read(ini, kOpusChannels);
    s.VorbisQuality = read(ini, kVorbisQuality);
    s.VorbisFreq = read(ini, kVorbisFreq);
    s.VorbisCh = read(ini, kVorbisChannels);
    s.RecordTime = read(ini, kTimeLimit);
}

bool SaveTimeLimit(const RecordingSettings &s, const QString &iniPath, QString *error) {
    IniFile ini(iniPath);
    return reportResult(write(ini, kTimeLimit, s.RecordTime), ini, error);
}

bool SaveSettings(const RecordingSettings &s, const FormatListRows &rows, const QString &iniPath,
                  QString *error) {
    IniFile ini(iniPath);
    // && stops at the first failed write, leaving the later keys as they were.
    const bool ok = write(ini, kSavePath, s.SavePath) && write(ini, kSaveFormat, s.ext) &&
                    write(ini, kTimeLimit, s.RecordTime) && write(ini, kMp3Bitrate, s.MP3Bitrate) &&
                    write(ini, kMp3Freq, s.MP3Freq) && write(ini, kMp3Row, rows.mp3) &&
                    write(ini, kWavFreq, s.WAVFreq) && write(ini, kWavChannels, s.WAVCh) &&
                    write(ini, kWavBits, s.WAVBPS) && write(ini, kWavRow, rows.wav) &&
                    write(ini, kWmaProfile, s.WMAProfile) && write(ini, kFlacFreq, s.FLACFreq) &&
                    write(ini, kFlacChannels, s.FLACCh) && write(ini, kFlacRow, rows.flac) &&
                    write(ini, kOpusBitrate, s.OpusBitrate) &&
                    write(ini, kOpusChannels, s.OpusCh) && write(ini, kOpusRow, rows.opus) &&
                    write(ini, kVorbisQuality, s.VorbisQuality) &&
                    write(ini, kVorbisFreq, s.VorbisFreq) &&
                    write(ini, kVorbisChannels, s.VorbisCh) && write(ini, kVorbisRow, rows.vorbis);
    return reportResult(ok, ini, error);
}

bool SaveSettings(const RecordingSettings &s, int mp3Row, int wavRow, const QString &iniPath,
                  QString *error) {
    FormatListRows rows;
    {
        const IniFile stored(iniPath);
        rows.flac = read(stored, kFlacRow);
        rows.opus = read(stored, kOpusRow);
        rows.vorbis = read(stored, kVorbisRow);
    }
    rows.mp3 = mp3Row;
    rows.wav = wavRow;
    return SaveSettings(s, rows, iniPath, error);
}
