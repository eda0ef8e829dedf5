#include "audio/codec/tag_access.h"

#include "audio/codec/asf_header.h"
#include "audio/codec/genres.h"
#include "audio/codec/posix_file.h"
#include "audio/codec/streamed_wav.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <algorithm>
#include <utility>

#include <unistd.h>

#include <taglib/apetag.h>
#include <taglib/asffile.h>
#include <taglib/asftag.h>
#include <taglib/flacfile.h>
#include <taglib/id3v1tag.h>
#include <taglib/id3v2tag.h>
#include <taglib/infotag.h>
#include <taglib/mp4file.h>
#include <taglib/mpcfile.h>
#include <taglib/mpegfile.h>
#include <taglib/opusfile.h>
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

// Sets only the fields whose value differs from what the tag holds: writing an unchanged
// value back would lose what the editor can't show (a full date, several values in one
// field, a genre outside the list). `storedYear` is the year as we read it from this tag.
void writeCommon(TagLib::Tag *tag, const TagValues &v, int storedYear, bool withComment = true) {
    if (fromTag(tag->title()) != v.title) {
        tag->setTitle(toTag(v.title));
    }
    if (fromTag(tag->artist()) != v.artist) {
        tag->setArtist(toTag(v.artist));
    }
    if (fromTag(tag->album()) != v.album) {
        tag->setAlbum(toTag(v.album));
    }
    if (withComment && fromTag(tag->comment()) != v.comment) {
        tag->setComment(toTag(v.comment));
    }
    if (storedYear != v.year) {
        tag->setYear(static_cast<unsigned>(std::max(v.year, 0)));
    }
    if (static_cast<int>(tag->track()) != v.track) {
        tag->setTrack(static_cast<unsigned>(std::max(v.track, 0)));
    }
    if (genreNumber(fromTag(tag->genre())) != v.genre) {
        tag->setGenre(toTag(genreName(v.genre)));
    }
}

void writeCommon(TagLib::Tag *tag, const TagValues &v) {
    writeCommon(tag, v, static_cast<int>(tag->year()));
}

// ID3v2.4 has several dates; other programs put the year into any of them (eyeD3 into the
// release date), so the year comes from the first one present.
const char *const kId3v2DateFrames[] = {"TDRC", "TDRL", "TDOR", "TYER", "TORY"};

int id3v2Year(TagLib::ID3v2::Tag *tag) {
    for (const char *id : kId3v2DateFrames) {
        const TagLib::ID3v2::FrameList &frames = tag->frameListMap()[id];
        if (!frames.isEmpty()) {
            const int year = fromTag(frames.front()->toString()).left(4).toInt();
            if (year > 0) {
                return year;
            }
        }
    }
    return 0;
}

// A tag keeps the version it was read in (a 2.4 tag made 2.3 would lose its 2.4-only frames);
// a new tag is 2.3, which every player reads.
TagLib::ID3v2::Version id3v2SaveVersion(TagLib::ID3v2::Tag *tag, bool existed) {
    return existed && tag->header()->majorVersion() >= 4 ? TagLib::ID3v2::v4 : TagLib::ID3v2::v3;
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

void readId3v2(TagLib::ID3v2::Tag *tag, TagValues *v) {
    readCommon(*tag, v);
    v->year = id3v2Year(tag);
    v->copyright = id3v2Copyright(tag);
}

void writeId3v2(TagLib::ID3v2::Tag *tag, const TagValues &v) {
    if (v.year == 0 && id3v2Year(tag) != 0) {
        // Clearing the year clears every date it could be read from, or it would come back.
        for (const char *id : kId3v2DateFrames) {
            tag->removeFrames(id);
        }
    }
    writeCommon(tag, v, id3v2Year(tag));
    if (id3v2Copyright(tag) != v.copyright) {
        setId3v2Copyright(tag, v.copyright);
    }
}

// What an ID3v1 field can hold of `text`: Latin-1 only, with "?" for any other character,
// cut to `width`. A line for the user is added to `notes` when that differs from the text.
QString id3v1Text(const QString &text, int width, const QString &label, QStringList *notes) {
    QString fitted;
    for (const char32_t c : text.toUcs4()) {
        fitted += c <= 0xFF ? QChar(c) : QLatin1Char('?');
    }
    fitted.truncate(width);
    if (fitted != text) {
        notes->append(QStringLiteral("%1: \"%2\"").arg(label, fitted));
    }
    return fitted;
}

// The values as the ID3v1 tag will hold them, with a note for each field that differs.
TagValues id3v1Values(const TagValues &v, bool keepsCopyright, QStringList *notes) {
    constexpr int kMaxTrack = 255;
    TagValues fitted = v;
    fitted.title = id3v1Text(v.title, 30, QCoreApplication::translate("TagAccess", "Title"), notes);
    fitted.artist =
        id3v1Text(v.artist, 30, QCoreApplication::translate("TagAccess", "Artist"), notes);
    fitted.album = id3v1Text(v.album, 30, QCoreApplication::translate("TagAccess", "Album"), notes);
    if (v.track > kMaxTrack) {
        fitted.track = 0;
        notes->append(QCoreApplication::translate(
            "TagAccess", "Track: not stored (ID3v1 holds numbers up to 255)"));
    }
    // ID3v1.1 gives the comment's last two bytes to the track number.
    const int commentWidth = fitted.track > 0 ? 28 : 30;
    fitted.comment = id3v1Text(v.comment, commentWidth,
                               QCoreApplication::translate("TagAccess", "Comment"), notes);
    if (!keepsCopyright && !v.copyright.isEmpty()) {
        notes->append(QCoreApplication::translate(
            "TagAccess", "Copyright: not stored (ID3v1 has no such field)"));
    }
    return fitted;
}

QString xiphCopyright(TagLib::Ogg::XiphComment *tag) {
    const TagLib::Ogg::FieldListMap &fields = tag->fieldListMap();
    const auto it = fields.find("COPYRIGHT");
    return it == fields.end() || it->second.isEmpty() ? QString() : fromTag(it->second.front());
}

// The field the comment is shown from and written to: COMMENT, the common name, unless the
// file only has a DESCRIPTION.
TagLib::String xiphCommentField(TagLib::Ogg::XiphComment *tag) {
    const TagLib::Ogg::FieldListMap &fields = tag->fieldListMap();
    const auto comment = fields.find("COMMENT");
    const auto description = fields.find("DESCRIPTION");
    const bool hasComment = comment != fields.end() && !comment->second.isEmpty();
    const bool hasDescription = description != fields.end() && !description->second.isEmpty();
    return !hasComment && hasDescription ? "DESCRIPTION" : "COMMENT";
}

QString xiphComment(TagLib::Ogg::XiphComment *tag) {
    const TagLib::Ogg::FieldListMap &fields = tag->fieldListMap();
    const auto it = fields.find(xiphCommentField(tag));
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
        readId3v2(file.ID3v2Tag(), v);
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

// `notice` gets what the user should know when the chosen ID3v1 tag can't hold the values.
bool writeMpeg(const QByteArray &name, int id3Version, const TagValues &v, QString *notice) {
    TagLib::MPEG::File file(name.constData(), false);
    if (!file.isValid()) {
        return false;
    }
    const bool hadV1 = file.hasID3v1Tag();
    const bool hadV2 = file.hasID3v2Tag();
    const bool writeV2 = id3Version != 1 || hadV2;
    int tags = 0;
    if (id3Version == 1 || hadV1) {
        QStringList notes;
        writeCommon(file.ID3v1Tag(true), id3v1Values(v, writeV2, &notes));
        tags |= TagLib::MPEG::File::ID3v1;
        if (id3Version == 1 && !notes.isEmpty()) {
            *notice =
                QCoreApplication::translate(
                    "TagAccess", "The ID3v1 tag can't hold all of the text. It now holds:\n") +
                notes.join(QLatin1Char('\n')) +
                (writeV2 ? QCoreApplication::translate(
                               "TagAccess", "\nThe file's ID3v2 tag keeps the full text.")
                         : QCoreApplication::translate("TagAccess",
                                                       "\nChoose ID3v2 to keep the full text."));
        }
    }
    TagLib::ID3v2::Version version = TagLib::ID3v2::v3;
    if (writeV2) {
        writeId3v2(file.ID3v2Tag(true), v);
        version = id3v2SaveVersion(file.ID3v2Tag(), hadV2);
        tags |= TagLib::MPEG::File::ID3v2;
    }
    return file.save(tags, TagLib::File::StripNone, version, TagLib::File::DoNotDuplicate);
}

bool readWav(const QByteArray &name, TagValues *v) {
    TagLib::RIFF::WAV::File file(name.constData(), false);
    if (!file.isValid()) {
        return true;
    }
    if (file.hasID3v2Tag()) {
        readId3v2(file.ID3v2Tag(), v);
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
    const bool hadV2 = file.hasID3v2Tag();
    writeId3v2(file.ID3v2Tag(), v);
    TagLib::RIFF::Info::Tag *info = file.InfoTag();
    writeCommon(info, v);
    if (v.copyright.isEmpty()) {
        info->removeField("ICOP");
    } else if (fromTag(info->fieldText("ICOP")) != v.copyright) {
        info->setFieldText("ICOP", toTag(v.copyright));
    }
    return file.save(TagLib::RIFF::WAV::File::AllTags, TagLib::File::StripNone,
                     id3v2SaveVersion(file.ID3v2Tag(), hadV2));
}

// Where other tools put a WMA's year: WM/Year, as text or (some taggers) as a number, or
// ffmpeg's "date" and "year".
const char *const kAsfYearAttributes[] = {"WM/Year", "date", "year"};
// Where they put the description when the header's own field is empty: ffmpeg writes it as
// an attribute of that name.
const char *const kAsfCommentAttributes[] = {"Description", "description", "comment"};

const TagLib::ASF::Attribute *firstAsfAttribute(const TagLib::ASF::Tag &tag, const char *name) {
    const TagLib::ASF::AttributeListMap &attributes = tag.attributeListMap();
    const auto it = attributes.find(name);
    return it == attributes.end() || it->second.isEmpty() ? nullptr : &it->second.front();
}

int asfYear(const TagLib::ASF::Tag &tag) {
    for (const char *name : kAsfYearAttributes) {
        const TagLib::ASF::Attribute *a = firstAsfAttribute(tag, name);
        if (a == nullptr) {
            continue;
        }
        int year = 0;
        switch (a->type()) {
            case TagLib::ASF::Attribute::UnicodeType:
                year = fromTag(a->toString()).left(4).toInt();  // "2003" or "2003-05-01"
                break;
            case TagLib::ASF::Attribute::DWordType:
                year = static_cast<int>(a->toUInt());
                break;
            case TagLib::ASF::Attribute::QWordType:
                year = static_cast<int>(std::min<unsigned long long>(a->toULongLong(), 65535));
                break;
            case TagLib::ASF::Attribute::WordType:
                year = a->toUShort();
                break;
            default:
                break;
        }
        if (year > 0) {
            return year;
        }
    }
    return 0;
}

QString asfComment(const TagLib::ASF::Tag &tag) {
    if (!tag.comment().isEmpty()) {
        return fromTag(tag.comment());
    }
    for (const char *name : kAsfCommentAttributes) {
        const TagLib::ASF::Attribute *a = firstAsfAttribute(tag, name);
        if (a != nullptr && a->type() == TagLib::ASF::Attribute::UnicodeType &&
            !a->toString().isEmpty()) {
            return fromTag(a->toString());
        }
    }
    return QString();
}

bool readAsf(const QByteArray &name, TagValues *v) {
    TagLib::ASF::File file(name.constData(), false);
    if (!file.isValid() || file.tag() == nullptr) {
        return true;
    }
    readCommon(*file.tag(), v);
    v->year = asfYear(*file.tag());
    v->comment = asfComment(*file.tag());
    v->copyright = fromTag(file.tag()->copyright());
    return true;
}

bool writeAsf(const QByteArray &name, const TagValues &v) {
    TagLib::ASF::File file(name.constData(), false);
    TagLib::ASF::Tag *tag = file.tag();
    if (!file.isValid() || tag == nullptr) {
        return false;
    }
    // Year and comment are written below: each in one place, every other place it could be
    // read from cleared, or the old value would come back.
    writeCommon(tag, v, v.year, false);
    if (asfYear(*tag) != v.year) {
        for (const char *attribute : kAsfYearAttributes) {
            tag->removeItem(attribute);
        }
        if (v.year > 0) {
            tag->setYear(static_cast<unsigned>(v.year));
        }
    }
    if (asfComment(*tag) != v.comment) {
        for (const char *attribute : kAsfCommentAttributes) {
            tag->removeItem(attribute);
        }
        tag->setComment(toTag(v.comment));
    }
    if (fromTag(tag->copyright()) != v.copyright) {
        tag->setCopyright(toTag(v.copyright));
    }
    return file.save();
}

// The ASF header stores each text with a 16-bit byte count that includes the UTF-16
// terminator; a longer text would be cut or lost.
constexpr int kMaxAsfText = 32766;

QString overlongAsfField(const TagValues &v) {
    const std::pair<const char *, const QString *> fields[] = {
        {QT_TRANSLATE_NOOP("TagAccess", "Title"), &v.title},
        {QT_TRANSLATE_NOOP("TagAccess", "Artist"), &v.artist},
        {QT_TRANSLATE_NOOP("TagAccess", "Album"), &v.album},
        {QT_TRANSLATE_NOOP("TagAccess", "Copyright"), &v.copyright},
        {QT_TRANSLATE_NOOP("TagAccess", "Comment"), &v.comment}};
    for (const auto &[label, text] : fields) {
        if (text->size() > kMaxAsfText) {
            return QCoreApplication::translate(
                       "TagAccess", "%1 is too long for a WMA file: %2 characters, at most %3 fit.")
                .arg(QCoreApplication::translate("TagAccess", label))
                .arg(text->size())
                .arg(kMaxAsfText);
        }
    }
    return QString();
}

void readXiph(TagLib::Ogg::XiphComment *tag, TagValues *v) {
    readCommon(*tag, v);
    v->comment = xiphComment(tag);
    v->copyright = xiphCopyright(tag);
}

void writeXiph(TagLib::Ogg::XiphComment *tag, const TagValues &v) {
    writeCommon(tag, v, static_cast<int>(tag->year()), false);
    if (xiphComment(tag) != v.comment) {
        tag->addField(xiphCommentField(tag), toTag(v.comment));  // replaces; empty removes
    }
    if (xiphCopyright(tag) != v.copyright) {
        tag->addField("COPYRIGHT", toTag(v.copyright));
    }
}

// Ogg holds Vorbis or Opus; both keep their tags as Vorbis comments.
bool readOgg(const QByteArray &name, TagValues *v) {
    TagLib::Ogg::Vorbis::File vorbis(name.constData(), false);
    if (vorbis.isValid() && vorbis.tag() != nullptr) {
        readXiph(vorbis.tag(), v);
        return true;
    }
    TagLib::Ogg::Opus::File opus(name.constData(), false);
    if (opus.isValid() && opus.tag() != nullptr) {
        readXiph(opus.tag(), v);
    }
    return true;
}

bool writeOgg(const QByteArray &name, const TagValues &v) {
    {
        TagLib::Ogg::Vorbis::File vorbis(name.constData(), false);
        if (vorbis.isValid() && vorbis.tag() != nullptr) {
            writeXiph(vorbis.tag(), v);
            return vorbis.save();
        }
    }
    TagLib::Ogg::Opus::File opus(name.constData(), false);
    if (!opus.isValid() || opus.tag() == nullptr) {
        return false;
    }
    writeXiph(opus.tag(), v);
    return opus.save();
}

bool readFlac(const QByteArray &name, TagValues *v) {
    TagLib::FLAC::File file(name.constData(), false);
    if (file.isValid() && file.hasXiphComment()) {
        readXiph(file.xiphComment(), v);
    }
    return true;
}

bool writeFlac(const QByteArray &name, const TagValues &v) {
    TagLib::FLAC::File file(name.constData(), false);
    if (!file.isValid()) {
        return false;
    }
    writeXiph(file.xiphComment(true), v);
    return file.save();
}

QString mp4Copyright(const TagLib::MP4::Tag &tag) {
    return tag.contains("cprt") ? fromTag(tag.item("cprt").toStringList().toString()) : QString();
}

bool readMp4(const QByteArray &name, TagValues *v) {
    TagLib::MP4::File file(name.constData(), false);
    if (file.isValid() && file.tag() != nullptr) {
        readCommon(*file.tag(), v);
        v->copyright = mp4Copyright(*file.tag());
    }
    return true;
}

bool writeMp4(const QByteArray &name, const TagValues &v) {
    TagLib::MP4::File file(name.constData(), false);
    TagLib::MP4::Tag *tag = file.tag();
    if (!file.isValid() || tag == nullptr) {
        return false;
    }
    writeCommon(tag, v);
    if (mp4Copyright(*tag) != v.copyright) {
        if (v.copyright.isEmpty()) {
            tag->removeItem("cprt");
        } else {
            tag->setItem("cprt", TagLib::StringList(toTag(v.copyright)));
        }
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

bool readTags(const QString &path, TagFormat format, int id3Version, TagValues *values,
              QString *errorText) {
    *values = TagValues();
    const QByteArray name = nativePath(path);
    if (const int err = checkRegularFile(name); err != 0) {
        *errorText = err == kNotRegularFile
                         ? openErrorText(path, err)
                         : QCoreApplication::translate("TagAccess", "Cannot read %1").arg(path);
        return false;
    }
    if (::access(name.constData(), R_OK) != 0) {
        *errorText = QCoreApplication::translate("TagAccess", "Cannot read %1").arg(path);
        return false;
    }
    switch (format) {
        case TagFormat::Mpeg:
            return readMpeg(name, id3Version, values);
        case TagFormat::Wav:
            return readWav(name, values);
        case TagFormat::Asf:
            return readAsf(name, values);
        case TagFormat::Ogg:
            return readOgg(name, values);
        case TagFormat::Flac:
            return readFlac(name, values);
        case TagFormat::Musepack:
            return readMusepack(name, values);
        case TagFormat::Mp4:
            return readMp4(name, values);
        case TagFormat::None:
            break;
    }
    return true;
}

bool writeTags(const QString &path, TagFormat format, int id3Version, const TagValues &values,
               QString *errorText, QString *noticeText) {
    noticeText->clear();
    // TagLib opens the name as it is: anything but a regular file could block it.
    const QByteArray name = nativePath(path);
    if (const int err = checkRegularFile(name); err != 0) {
        *errorText = err == kNotRegularFile
                         ? openErrorText(path, err)
                         : QCoreApplication::translate("TagAccess", "File not found: %1").arg(path);
        return false;
    }
    if (::access(name.constData(), W_OK) != 0) {
        *errorText =
            QCoreApplication::translate("TagAccess", "The file is read-only: %1").arg(path);
        return false;
    }
    bool ok = false;
    switch (format) {
        case TagFormat::Mpeg:
            ok = writeMpeg(name, id3Version, values, noticeText);
            break;
        case TagFormat::Wav:
            // The tag writer believes the header's sizes: a streamed file's must be true first.
            if (!fixStreamedWavSizes(path, errorText)) {
                return false;
            }
            ok = writeWav(name, values);
            break;
        case TagFormat::Asf:
            *errorText = overlongAsfField(values);
            if (!errorText->isEmpty()) {
                return false;
            }
            // TagLib leaves the header's file size as it was; readers compute the length
            // from it.
            ok = writeAsf(name, values) && fixAsfFileSize(path);
            break;
        case TagFormat::Ogg:
            ok = writeOgg(name, values);
            break;
        case TagFormat::Flac:
            ok = writeFlac(name, values);
            break;
        case TagFormat::Musepack:
            ok = writeMusepack(name, values);
            break;
        case TagFormat::Mp4:
            ok = writeMp4(name, values);
            break;
        case TagFormat::None:
            *errorText =
                QCoreApplication::translate("TagAccess", "This kind of file can't hold tags: %1")
                    .arg(path);
            return false;
    }
    if (!ok) {
        *errorText = QCoreApplication::translate("TagAccess", "The tags could not be written to %1")
                         .arg(path);
    }
    return ok;
}

}  // namespace korvanta::codec
