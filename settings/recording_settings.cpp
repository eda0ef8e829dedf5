#include "settings/recording_settings.h"

#include "settings/app_paths.h"

using namespace setupkeys;

namespace {

// Reads a key and notes what was read, so a later save can tell whether this run changed it.
// A value that is missing or not a number is noted as the default it reads as.
int load(const IniSnapshot &ini, StoredValues &stored, const IntegerKey &key) {
    const int value = read(ini, key);
    stored.note(entry(key, value));
    return value;
}

// An empty value (`savepath=`) reads as the default, as a missing key does.
QString load(const IniSnapshot &ini, StoredValues &stored, const TextKey &key,
             const QString &defaultValue) {
    QString value = read(ini, key, defaultValue);
    stored.note(entry(key, value));
    return value.trimmed().isEmpty() ? defaultValue : value;
}

// A value no writer of its format can take reads as that key's default: setup.ini is edited
// by hand, and a value that makes the writer refuse must not stop recording nor change what
// is written. Values the writers can take stay as they are, even where the Options dialog
// offers no row for them.
void keepWithin(int &value, int low, int high, const IntegerKey &key) {
    if (value < low || value > high) {
        value = key.defaultValue;
    }
}

void keepChannels(int &value, const IntegerKey &key) {
    keepWithin(value, 1, 2, key);
}

constexpr int kLowestRate = 8000;
constexpr int kHighestRate = 48000;

void keepWritableValues(RecordingSettings &s) {
    keepWithin(s.MP3Freq, kLowestRate, kHighestRate, kMp3Freq);
    keepWithin(s.MP3Bitrate, 8, 320, kMp3Bitrate);
    keepWithin(s.WAVFreq, kLowestRate, kHighestRate, kWavFreq);
    keepChannels(s.WAVCh, kWavChannels);
    if (s.WAVBPS != 8 && s.WAVBPS != 16) {
        s.WAVBPS = kWavBits.defaultValue;
    }
    keepWithin(s.FLACFreq, kLowestRate, kHighestRate, kFlacFreq);
    keepChannels(s.FLACCh, kFlacChannels);
    keepChannels(s.OpusCh, kOpusChannels);
    keepWithin(s.OpusBitrate, 6, 256 * s.OpusCh, kOpusBitrate);  // what the encoder takes
    keepWithin(s.VorbisQuality, 0, 10, kVorbisQuality);
    keepWithin(s.VorbisFreq, kLowestRate, kHighestRate, kVorbisFreq);
    keepChannels(s.VorbisCh, kVorbisChannels);
}

FormatListRows loadRows(const IniSnapshot &ini, StoredValues &stored) {
    FormatListRows rows;
    rows.mp3 = load(ini, stored, kMp3Row);
    rows.wav = load(ini, stored, kWavRow);
    rows.flac = load(ini, stored, kFlacRow);
    rows.opus = load(ini, stored, kOpusRow);
    rows.vorbis = load(ini, stored, kVorbisRow);
    return rows;
}

// Every key the Options dialog owns, in the order a new file gets them.
std::vector<IniEntry> optionsEntries(const RecordingSettings &s, const FormatListRows &rows) {
    return {entry(kSavePath, s.SavePath),       entry(kSaveFormat, s.ext),
            entry(kTimeLimit, s.RecordTime),    entry(kMp3Bitrate, s.MP3Bitrate),
            entry(kMp3Freq, s.MP3Freq),         entry(kMp3Row, rows.mp3),
            entry(kWavFreq, s.WAVFreq),         entry(kWavChannels, s.WAVCh),
            entry(kWavBits, s.WAVBPS),          entry(kWavRow, rows.wav),
            entry(kWmaProfile, s.WMAProfile),   entry(kFlacFreq, s.FLACFreq),
            entry(kFlacChannels, s.FLACCh),     entry(kFlacRow, rows.flac),
            entry(kOpusBitrate, s.OpusBitrate), entry(kOpusChannels, s.OpusCh),
            entry(kOpusRow, rows.opus),         entry(kVorbisQuality, s.VorbisQuality),
            entry(kVorbisFreq, s.VorbisFreq),   entry(kVorbisChannels, s.VorbisCh),
            entry(kVorbisRow, rows.vorbis)};
}

}  // namespace

void LoadRecordingSettings(RecordingSettings &s, const QString &iniPath) {
    // Read once for all the keys, as at start-up a large file would otherwise be parsed
    // twenty times.
    const IniSnapshot ini(iniPath);
    StoredValues &stored = s.stored;
    s.ext = load(ini, stored, kSaveFormat, QString::fromLatin1(kDefaultSaveFormat));
    s.SavePath = load(ini, stored, kSavePath, defaultRecordingFolder());
    s.MP3Bitrate = load(ini, stored, kMp3Bitrate);
    s.MP3Freq = load(ini, stored, kMp3Freq);
    s.WAVFreq = load(ini, stored, kWavFreq);
    s.WAVCh = load(ini, stored, kWavChannels);
    s.WAVBPS = load(ini, stored, kWavBits);
    s.WMAProfile = load(ini, stored, kWmaProfile);
    s.FLACFreq = load(ini, stored, kFlacFreq);
    s.FLACCh = load(ini, stored, kFlacChannels);
    s.OpusBitrate = load(ini, stored, kOpusBitrate);
    s.OpusCh = load(ini, stored, kOpusChannels);
    s.VorbisQuality = load(ini, stored, kVorbisQuality);
    s.VorbisFreq = load(ini, stored, kVorbisFreq);
    s.VorbisCh = load(ini, stored, kVorbisChannels);
    s.RecordTime = load(ini, stored, kTimeLimit);
    loadRows(ini, stored);
    // Noted as read above: the file keeps its values until the user saves other ones.
    keepWritableValues(s);
}

FormatListRows LoadFormatListRows(RecordingSettings &s, const QString &iniPath) {
    return loadRows(IniSnapshot(iniPath), s.stored);
}

bool SaveTimeLimit(RecordingSettings &s, const QString &iniPath, QString *error) {
    return s.stored.saveChanged({entry(kTimeLimit, s.RecordTime)}, iniPath, error);
}

bool SaveSettings(RecordingSettings &s, const FormatListRows &rows, const QString &iniPath,
                  QString *error) {
    return s.stored.saveChanged(optionsEntries(s, rows), iniPath, error);
}

bool SaveSettings(RecordingSettings &s, int mp3Row, int wavRow, const QString &iniPath,
                  QString *error) {
    StoredValues unnoted;  // the stored rows go back as they are, like every other key
    FormatListRows rows = loadRows(IniSnapshot(iniPath), unnoted);
    rows.mp3 = mp3Row;
    rows.wav = wavRow;
    return SaveSettings(s, rows, iniPath, error);
}
