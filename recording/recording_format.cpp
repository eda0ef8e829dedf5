#include "recording/recording_format.h"

#include "audio/audio_file2.h"
#include "audio/audio_file2_lame_enc.h"
#include "settings/recording_settings.h"

void ApplyRecordingFormat(const RecordingSettings &s, TAudioFile2 &file,
                          TAudioFile2LameEnc &encoder) {
    file.setWmaFormatEnabled(true);
    const QString format = s.ext.toUpper();
    if (format == QLatin1String(".WAV"))
        file.SetFormatPCM(s.WAVFreq, s.WAVCh, s.WAVBPS);
    else if (format == QLatin1String(".WMA"))
        file.SetFormatWMA(s.WMAProfile);
    else if (format == QLatin1String(".MP3"))
        file.SetFormatMP3(s.MP3Freq, s.MP3Bitrate, 2);
    else if (format == QLatin1String(".FLAC"))
        file.SetFormatFLAC(s.FLACFreq, s.FLACCh);
    else if (format == QLatin1String(".OPUS"))
        file.SetFormatOpus(s.OpusBitrate, s.OpusCh);
    else if (format == QLatin1String(".OGG"))
        file.SetFormatVorbis(s.VorbisQuality, s.VorbisFreq, s.VorbisCh);
    encoder.setFrequency(s.MP3Freq);
    encoder.setBitrate(s.MP3Bitrate);
    file.SetFormatMP3Ex(encoder);
}
