// The output format the recording settings ask for, set on a file component.
#pragma once

class TAudioFile2;
class TAudioFile2LameEnc;
struct RecordingSettings;

// Sets the format of the settings' file type on `file`; for MP3 `encoder` is brought to the
// settings' rate and bitrate first and its options go to the file.
void ApplyRecordingFormat(const RecordingSettings &settings, TAudioFile2 &file,
                          TAudioFile2LameEnc &encoder);
