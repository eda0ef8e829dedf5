// The information component: size, duration, format text and tags of an audio file.
// GetAudioInformation loads a file's facts and tags; the info* properties can then be
// edited and SetAudioInformation writes them back. Failures return false and leave a
// readable LastErrorText; nothing throws.
#pragma once

#include <QString>

#include <cstdint>
#include <memory>

class TAudioInformation2 {
public:
    TAudioInformation2();
    ~TAudioInformation2();
    TAudioInformation2(const TAudioInformation2 &) = delete;
    TAudioInformation2 &operator=(const TAudioInformation2 &) = delete;

    bool GetAudioInformation(const QString &fileName);
    bool SetAudioInformation(const QString &fileName);
    QString LastErrorText() const;
    // After a successful SetAudioInformation: what the file's tag holds where it differs from
    // the values given (an ID3v1 tag holds Latin-1 only, in 30 characters); empty if nothing.
    QString LastNoticeText() const;

    int64_t Size() const;  // bytes
    int Duration() const;  // milliseconds
    QString FormatString() const;

    QString infoTitle() const;
    void setInfoTitle(const QString &v);
    QString infoArtist() const;
    void setInfoArtist(const QString &v);
    QString infoAlbum() const;
    void setInfoAlbum(const QString &v);
    QString infoCopyright() const;
    void setInfoCopyright(const QString &v);
    QString infoComments() const;
    void setInfoComments(const QString &v);
    int32_t infoYear() const;
    bool setInfoYear(int32_t v);  // false: the value is refused
    int16_t infoGenre() const;
    void setInfoGenre(int16_t v);
    int16_t infoTrack() const;
    bool setInfoTrack(int16_t v);  // false: the value is refused

    // Genre names for 0..146; empty for any other number.
    QString GenreToString(int nGenre) const;

    int mp3TagInfoVersion() const;  // 1 = ID3v1, 2 = ID3v2
    void setMp3TagInfoVersion(int version);
    bool mp3FastAnalysis() const;
    void setMp3FastAnalysis(bool fast);

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};
