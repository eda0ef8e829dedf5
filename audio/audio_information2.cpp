#include "audio/audio_information2.h"

#include "audio/codec/audio_source.h"
#include "audio/codec/ffmpeg_codec.h"
#include "audio/codec/genres.h"
#include "audio/codec/posix_file.h"
#include "audio/codec/tag_access.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>

#include <sys/stat.h>

#include <QCoreApplication>

using namespace korvanta::codec;

namespace {

constexpr int kMaxYear = 9999;  // four digits: what every tag format can hold

int64_t fileSize(const QString &fileName) {
    struct stat st {};
    return ::stat(nativePath(fileName).constData(), &st) == 0 ? st.st_size : 0;
}

// Empty when `fileName` is a regular file there is no reason not to look into; else why not.
// Only looks: a FIFO or device is never opened.
QString refusal(const QString &fileName) {
    const int err = fileName.isEmpty() ? ENOENT : checkRegularFile(nativePath(fileName));
    if (err == 0) {
        return QString();
    }
    if (err == ENOENT || err == ENOTDIR) {
        return QCoreApplication::translate("TAudioInformation2", "File not found: %1")
            .arg(fileName);
    }
    return err == kNotRegularFile
               ? openErrorText(fileName, err)
               : QCoreApplication::translate("TAudioInformation2", "Cannot read %1").arg(fileName);
}

}  // namespace

struct TAudioInformation2::Impl {
    int64_t size = 0;
    int duration = 0;
    QString formatString;
    TagValues tags;
    int tagVersion = 2;  // the tag editor starts with ID3v2 selected
    bool fastAnalysis = false;
    QString errorText;
    QString noticeText;
    // The tag format found by the last GetAudioInformation, for the same file's Set.
    QString loadedFile;
    TagFormat loadedFormat = TagFormat::None;

    // Probes the file's content; fills size, duration and format text.
    TagFormat probe(const QString &fileName) {
        size = fileSize(fileName);
        duration = 0;
        formatString.clear();
        int errorNum = 0;
        QString error;
        const std::unique_ptr<AudioSource> source = openAudioSource(fileName, &errorNum, &error);
        if (!source) {
            return TagFormat::None;
        }
        if (source->sampleRate() > 0) {
            duration = static_cast<int>(
                std::min<int64_t>(source->length() * 1000 / source->sampleRate(), INT32_MAX));
        }
        formatString = source->formatText();
        return tagFormatForContainer(source->containerName());
    }
};

TAudioInformation2::TAudioInformation2() : d(std::make_unique<Impl>()) {}

TAudioInformation2::~TAudioInformation2() = default;

bool TAudioInformation2::GetAudioInformation(const QString &fileName) {
    d->size = 0;
    d->duration = 0;
    d->formatString.clear();
    d->tags = TagValues();
    d->errorText.clear();
    d->loadedFile.clear();
    d->errorText = refusal(fileName);
    if (!d->errorText.isEmpty()) {
        return false;
    }
    // A file we can't decode (say, a recording that was just created and is still empty)
    // is not an error here: it simply has no length, format or tags to show.
    const TagFormat format = d->probe(fileName);
    if (!readTags(fileName, format, d->tagVersion, &d->tags, &d->errorText)) {
        return false;
    }
    d->loadedFile = fileName;
    d->loadedFormat = format;
    return true;
}

bool TAudioInformation2::SetAudioInformation(const QString &fileName) {
    d->errorText.clear();
    d->noticeText.clear();
    d->errorText = refusal(fileName);
    if (!d->errorText.isEmpty()) {
        return false;
    }
    TagFormat format = d->loadedFormat;
    if (fileName != d->loadedFile) {
        const int64_t size = d->size;
        const int duration = d->duration;
        const QString text = d->formatString;
        format = d->probe(fileName);
        d->size = size;
        d->duration = duration;
        d->formatString = text;
    }
    if (!writeTags(fileName, format, d->tagVersion, d->tags, &d->errorText, &d->noticeText)) {
        return false;
    }
    d->size = fileSize(fileName);
    return true;
}

QString TAudioInformation2::LastErrorText() const {
    return d->errorText;
}

QString TAudioInformation2::LastNoticeText() const {
    return d->noticeText;
}

int64_t TAudioInformation2::Size() const {
    return d->size;
}

int TAudioInformation2::Duration() const {
    return d->duration;
}

QString TAudioInformation2::FormatString() const {
    return d->formatString;
}

QString TAudioInformation2::infoTitle() const {
    return d->tags.title;
}

void TAudioInformation2::setInfoTitle(const QString &v) {
    d->tags.title = v;
}

QString TAudioInformation2::infoArtist() const {
    return d->tags.artist;
}

void TAudioInformation2::setInfoArtist(const QString &v) {
    d->tags.artist = v;
}

QString TAudioInformation2::infoAlbum() const {
    return d->tags.album;
}

void TAudioInformation2::setInfoAlbum(const QString &v) {
    d->tags.album = v;
}

QString TAudioInformation2::infoCopyright() const {
    return d->tags.copyright;
}

void TAudioInformation2::setInfoCopyright(const QString &v) {
    d->tags.copyright = v;
}

QString TAudioInformation2::infoComments() const {
    return d->tags.comment;
}

void TAudioInformation2::setInfoComments(const QString &v) {
    d->tags.comment = v;
}

int32_t TAudioInformation2::infoYear() const {
    return d->tags.year;
}

bool TAudioInformation2::setInfoYear(int32_t v) {
    if (v < 0 || v > kMaxYear) {
        return false;
    }
    d->tags.year = v;
    return true;
}

int16_t TAudioInformation2::infoGenre() const {
    return static_cast<int16_t>(d->tags.genre);
}

void TAudioInformation2::setInfoGenre(int16_t v) {
    d->tags.genre = v >= 0 && v < kGenreCount ? v : -1;
}

int16_t TAudioInformation2::infoTrack() const {
    return static_cast<int16_t>(std::min(d->tags.track, 32767));
}

bool TAudioInformation2::setInfoTrack(int16_t v) {
    if (v < 0) {
        return false;
    }
    d->tags.track = v;
    return true;
}

QString TAudioInformation2::GenreToString(int nGenre) const {
    return genreName(nGenre);
}

int TAudioInformation2::mp3TagInfoVersion() const {
    return d->tagVersion;
}

void TAudioInformation2::setMp3TagInfoVersion(int version) {
    if (version == 1 || version == 2) {
        d->tagVersion = version;
    }
}

bool TAudioInformation2::mp3FastAnalysis() const {
    return d->fastAnalysis;
}

void TAudioInformation2::setMp3FastAnalysis(bool fast) {
    d->fastAnalysis = fast;
}
