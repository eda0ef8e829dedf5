#include "audio/codec/tag_access.h"

#include "audio/codec/genres.h"
#include "audio/codec/posix_file.h"

#include <algorithm>

#include <unistd.h>

#include <taglib/apetag.h>
#include <taglib/asffile.h>
#include <taglib/asftag.h>
#include <taglib/id3v1tag.h>
#include <taglib/id3v2tag.h>
#include <taglib/infotag.h>
#include <taglib/mpcfile.h>
#include <taglib/mpegfile.h>
#include <taglib/textidentificationframe.h>
#include <taglib/vorbisfile.h>
#include <taglib/wavfile.h>
#include <taglib/xiphcomment.h>

namespace korvanta::codec {

namespace {

TagLib::String toTag(const QString &s) {
    return TagLib::String(s.toStdString(), TagLib::String::UTF8);
}

QString fromTag(const TagLib::String &s) {
    return QString::fromStdString(s.to8Bit(true));
}

void readCommon(const TagLib::Tag &tag, TagValues *v) {
    v->title = fromTag(tag.title());
    v->artist = fromTag(tag.artist());
    v->album = fromTag(tag.album());
    v->comment = fromTag(tag.comment());
    v->year = static_cast<int>(tag.year());
    v->track = static_cast<int>(tag.track());
    v->genre = genreNumber(fromTag(tag.genre()));
}

void writeCommon(TagLib::Tag *tag, const TagValues &v) {
    tag->setTitle(toTag(v.title));
    tag->setArtist(toTag(v.artist));
    tag->setAlbum(toTag(v.album));
    tag->setComment(toTag(v.comment));
    tag->setYear(static_cast<unsigned>(std::max(v.year, 0)));
    tag->setTrack(static_cast<unsigned>(std::max(v.track, 0)));
    tag->setGenre(toTag(genreName(v.genre)));
}

QString id3v2Copyright(TagLib::ID3v2::Tag *tag) {
    const TagLib::ID3v2::FrameList &frames = tag->frameListMap()["TCOP"];
    return frames.isEmpty() ? QString() : fromTag(frames.front()->toString());
}

void setId3v2Copyright(TagLib::ID3v2::Tag *tag, const QString &text) {
    tag->removeFrames("TCOP");
    if (!text.isEmpty()) {
        auto *frame = new TagLib::ID3v2::TextIdentificationFrame("TCOP", TagLib::String::UTF8);
        frame->setText(toTag(text));
        tag->addFrame(frame);  // the tag owns it from here
    }
}

void writeId3v2(TagLib::ID3v2::Tag *tag, const TagValues &v) {
    writeCommon(tag, v);
    setId3v2Copyright(tag, v.copyright);
}

QString xiphCopyright(TagLib::Ogg::XiphComment *tag) {
    const TagLib::Ogg::FieldListMap &fields = tag->fieldListMap();
    const auto it = fields.find("COPYRIGHT");
    return it == fields.end() || it->second.isEmpty() ? QString() : fromTag(it->second.front());
}

QString apeCopyright(TagLib::APE::Tag *tag) {
    const TagLib::APE::ItemListMap &items = tag->itemListMap();
    const auto it = items.find("COPYRIGHT");
    return it == items.end() ? QString() : fromTag(it->second.toString());
}

bool readMpeg(const QByteArray &name, int id3Version, TagValues *v) {
    TagLib::MPEG::File file(name.constData(), false);
    if (!file.isValid()) {
        return true;  // nothing TagLib understands: no tags
    }
    const bool v1 = file.hasID3v1Tag();
    const bool v2 = file.hasID3v2Tag();
    if (id3Version == 1 && v1) {
        readCommon(*file.ID3v1Tag(), v);
    } else if (v2) {
        readCommon(*file.ID3v2Tag(), v);
    } else if (v1) {
        readCommon(*file.ID3v1Tag(), v);
    } else if (file.hasAPETag()) {
        readCommon(*file.APETag(), v);
    }
    if (v2) {
        v->copyright = id3v2Copyright(file.ID3v2Tag());
    }
    return true;
}

bool writeMpeg(const QByteArray &name, int id3Version, const TagValues &v) {
    TagLib::MPEG::File file(name.constData(), false);
    if (!file.isValid()) {
        return false;
    }
    const bool hadV1 = file.hasID3v1Tag();
    const bool hadV2 = file.hasID3v2Tag();
    int tags = 0;
    if (id3Version == 1 || hadV1) {
        writeCommon(file.ID3v1Tag(true), v);
        tags |= TagLib::MPEG::File::ID3v1;
    }
    if (id3Version != 1 || hadV2) {
        writeId3v2(file.ID3v2Tag(true), v);
        tags |= TagLib::MPEG::File::ID3v2;
    }
    return file.save(tags, TagLib::File::StripNone, TagLib::ID3v2::v3,
                     TagLib::File::DoNotDuplicate);
}

bool readWav(const QByteArray &name, TagValues *v) {
    TagLib::RIFF::WAV::File file(name.constData(), false);
    if (!file.isValid()) {
        return true;
    }
    if (file.hasID3v2Tag()) {
        readCommon(*file.ID3v2Tag(), v);
        v->copyright = id3v2Copyright(file.ID3v2Tag());
    } else if (file.hasInfoTag()) {
        readCommon(*file.InfoTag(), v);
        v->copyright = fromTag(file.InfoTag()->fieldText("ICOP"));
    }
    return true;
}

bool writeWav(const QByteArray &name, const TagValues &v) {
    TagLib::RIFF::WAV::File file(name.constData(), false);
    if (!file.isValid()) {
        return false;
    }
    // Both: players read one or the other.
    writeId3v2(file.ID3v2Tag(), v);
    TagLib::RIFF::Info::Tag *info = file.InfoTag();
    writeCommon(info, v);
    if (v.copyright.isEmpty()) {
        info->removeField("ICOP");
    } else {
        info->setFieldText("ICOP", toTag(v.copyright));
    }
    return file.save(TagLib::RIFF::WAV::File::AllTags, TagLib::File::StripNone, TagLib::ID3v2::v3);
}

bool readAsf(const QByteArray &name, TagValues *v) {
    TagLib::ASF::File file(name.constData(), false);
    if (!file.isValid() || file.tag() == nullptr) {
        return true;
    }
    readCommon(*file.tag(), v);
    v->copyright = fromTag(file.tag()->copyright());
    return true;
}

bool writeAsf(const QByteArray &name, const TagValues &v) {
    TagLib::ASF::File file(name.constData(), false);
    if (!file.isValid() || file.tag() == nullptr) {
        return false;
    }
    writeCommon(file.tag(), v);
    file.tag()->setCopyright(toTag(v.copyright));
    return file.save();
}

bool readVorbis(const QByteArray &name, TagValues *v) {
    TagLib::Ogg::Vorbis::File file(name.constData(), false);
    if (!file.isValid() || file.tag() == nullptr) {
        return true;
    }
    readCommon(*file.tag(), v);
    v->copyright = xiphCopyright(file.tag());
    return true;
}

bool writeVorbis(const QByteArray &name, const TagValues &v) {
    TagLib::Ogg::Vorbis::File file(name.constData(), false);
    if (!file.isValid() || file.tag() == nullptr) {
        return false;
    }
    TagLib::Ogg::XiphComment *tag = file.tag();
    writeCommon(tag, v);
    tag->removeFields("COPYRIGHT");
    if (!v.copyright.isEmpty()) {
        tag->addField("COPYRIGHT", toTag(v.copyright));
    }
    return file.save();
}

bool readMusepack(const QByteArray &name, TagValues *v) {
    TagLib::MPC::File file(name.constData(), false);
    if (!file.isValid()) {
        return true;
    }
    if (file.hasAPETag()) {
        readCommon(*file.APETag(), v);
        v->copyright = apeCopyright(file.APETag());
    } else if (file.hasID3v1Tag()) {
        readCommon(*file.ID3v1Tag(), v);
    }
    return true;
}

bool writeMusepack(const QByteArray &name, const TagValues &v) {
    TagLib::MPC::File file(name.constData(), false);
    if (!file.isValid()) {
        return false;
    }
    TagLib::APE::Tag *tag = file.APETag(true);
    writeCommon(tag, v);
    tag->removeItem("COPYRIGHT");
    if (!v.copyright.isEmpty()) {
        tag->addValue("COPYRIGHT", toTag(v.copyright));
    }
    return file.save();
}

}  // namespace

TagFormat tagFormatForContainer(const QString &containerName) {
    if (containerName == QLatin1String("mp3")) {
        return TagFormat::Mpeg;
    }
    if (containerName == QLatin1String("wav")) {
        return TagFormat::Wav;
    }
    if (containerName == QLatin1String("asf")) {
        return TagFormat::Asf;
    }
    if (containerName == QLatin1String("ogg")) {
        return TagFormat::OggVorbis;
    }
    if (containerName == QLatin1String("mpc") || containerName == QLatin1String("mpc8")) {
        return TagFormat::Musepack;
    }
    return TagFormat::None;
}

bool readTags(const QString &path, TagFormat format, int id3Version, TagValues *values,
              QString *errorText) {
    *values = TagValues();
    const QByteArray name = nativePath(path);
    if (const int err = checkRegularFile(name); err != 0) {
        *errorText = err == kNotRegularFile ? openErrorText(path, err)
                                            : QStringLiteral("Cannot read %1").arg(path);
        return false;
    }
    if (::access(name.constData(), R_OK) != 0) {
        *errorText = QStringLiteral("Cannot read %1").arg(path);
        return false;
    }
    switch (format) {
        case TagFormat::Mpeg:
            return readMpeg(name, id3Version, values);
        case TagFormat::Wav:
            return readWav(name, values);
        case TagFormat::Asf:
            return readAsf(name, values);
        case TagFormat::OggVorbis:
            return readVorbis(name, values);
        case TagFormat::Musepack:
            return readMusepack(name, values);
        case TagFormat::None:
            break;
    }
    return true;
}

bool writeTags(const QString &path, TagFormat format, int id3Version, const TagValues &values,
               QString *errorText) {
    // TagLib opens the name as it is: anything but a regular file could block it.
    const QByteArray name = nativePath(path);
    if (const int err = checkRegularFile(name); err != 0) {
        *errorText = err == kNotRegularFile ? openErrorText(path, err)
                                            : QStringLiteral("File not found: %1").arg(path);
        return false;
    }
    if (::access(name.constData(), W_OK) != 0) {
        *errorText = QStringLiteral("The file is read-only: %1").arg(path);
        return false;
    }
    bool ok = false;
    switch (format) {
        case TagFormat::Mpeg:
            ok = writeMpeg(name, id3Version, values);
            break;
        case TagFormat::Wav:
            ok = writeWav(name, values);
            break;
        case TagFormat::Asf:
            ok = writeAsf(name, values);
            break;
        case TagFormat::OggVorbis:
            ok = writeVorbis(name, values);
            break;
        case TagFormat::Musepack:
            ok = writeMusepack(name, values);
            break;
        case TagFormat::None:
            *errorText = QStringLiteral("This kind of file can't hold tags: %1").arg(path);
            return false;
    }
    if (!ok) {
        *errorText = QStringLiteral("The tags could not be written to %1").arg(path);
    }
    return ok;
}

}  // namespace korvanta::codec
