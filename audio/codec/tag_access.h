// Reads and writes the tags the tag editor shows, through TagLib, for each kind of file that
// can hold them: ID3v1/ID3v2 on MPEG audio, ASF attributes on WMA, RIFF INFO and an ID3v2
// chunk on WAV, Vorbis comments on Ogg Vorbis, Ogg Opus and FLAC, APE tags on Musepack, MP4
// atoms on M4A.
#pragma once

#include <QString>

namespace korvanta::codec {

enum class TagFormat { None, Mpeg, Wav, Asf, Ogg, Flac, Musepack, Mp4 };

// The tag format for a file, from the container its content was detected as.
TagFormat tagFormatForContainer(const QString &containerName);

struct TagValues {
    QString title;
    QString artist;
    QString album;
    QString copyright;
    QString comment;
    int year = 0;    // 0: none
    int genre = -1;  // ID3v1 genre number, -1: none or not one of them
    int track = 0;   // 0: none
};

// For MPEG files `id3Version` picks the tag: 1 reads/writes ID3v1, 2 ID3v2. Reading falls back
// to the other tag when the chosen one is missing; writing also updates the other tag if the
// file already has one, so that no reader sees stale values. Only fields whose value changed
// are written, so what the editor can't show (full dates, several values) stays as it was.
// When the chosen ID3v1 tag can't hold the values as given, the write goes ahead with what it
// can hold and `noticeText` says what the tag holds instead; otherwise it comes back empty.
bool readTags(const QString &path, TagFormat format, int id3Version, TagValues *values,
              QString *errorText);
bool writeTags(const QString &path, TagFormat format, int id3Version, const TagValues &values,
               QString *errorText, QString *noticeText);

}  // namespace korvanta::codec
