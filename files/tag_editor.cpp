#include "files/tag_editor.h"

#include "audio/audio_information2.h"

#include <QComboBox>
#include <QLineEdit>

#include <limits>

bool StrToIntStrict(const QString &text, int32_t *value) {
    int i = 0;
    while (i < text.size() && text[i] == QLatin1Char(' '))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-'))) {
        negative = text[i] == QLatin1Char('-');
        ++i;
    }
    int base = 10;
    if (i < text.size() && text[i] == QLatin1Char('$')) {
        base = 16;
        ++i;
    } else if (i + 1 < text.size() && text[i] == QLatin1Char('0') &&
               (text[i + 1] == QLatin1Char('x') || text[i + 1] == QLatin1Char('X'))) {
        base = 16;
        i += 2;
    }
    if (i >= text.size())
        return false;
    int64_t magnitude = 0;
    for (; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        int digit = base;  // not a digit unless one of the cases below says so
        if (c >= u'0' && c <= u'9')
            digit = c - u'0';
        else if (c >= u'a' && c <= u'f')
            digit = c - u'a' + 10;
        else if (c >= u'A' && c <= u'F')
            digit = c - u'A' + 10;
        if (digit >= base)
            return false;
        magnitude = magnitude * base + digit;
        if (magnitude > int64_t(std::numeric_limits<uint32_t>::max()))
            return false;
    }
    int64_t result = negative ? -magnitude : magnitude;
    // Hex spells a 32-bit pattern ($FFFFFFFF is -1); decimal must fit the signed range.
    if (base == 16 && !negative && result > std::numeric_limits<int32_t>::max())
        result = static_cast<int32_t>(static_cast<uint32_t>(result));
    if (result < std::numeric_limits<int32_t>::min() ||
        result > std::numeric_limits<int32_t>::max())
        return false;
    *value = static_cast<int32_t>(result);
    return true;
}

bool ResetTagFields(TAudioInformation2 &info, const QString &fileName, const TagFields &f) {
    if (!info.GetAudioInformation(fileName))
        return false;
    f.title->setText(info.infoTitle());
    f.artist->setText(info.infoArtist());
    f.album->setText(info.infoAlbum());
    const int genre = info.infoGenre();
    f.genre->setCurrentIndex(genre >= 0 && genre < f.genre->count() ? genre : -1);
    f.copyright->setText(info.infoCopyright());
    f.comment->setText(info.infoComments());
    f.year->setText(QString::number(info.infoYear()));
    f.track->setText(QString::number(info.infoTrack()));
    return true;
}

ApplyResult ApplyTagFields(TAudioInformation2 &info, const QString &fileName, const TagFields &f) {
    info.setInfoTitle(f.title->text());
    info.setInfoArtist(f.artist->text());
    info.setInfoAlbum(f.album->text());
    info.setInfoGenre(static_cast<int16_t>(f.genre->currentIndex()));
    info.setInfoCopyright(f.copyright->text());
    info.setInfoComments(f.comment->text());

    int32_t year = 0;
    if (!StrToIntStrict(f.year->text(), &year) || !info.setInfoYear(year))
        return ApplyResult::InvalidYear;
    int32_t track = 0;
    // The component takes 16 bits: a larger number arrives as its low 16 bits.
    if (!StrToIntStrict(f.track->text(), &track) ||
        !info.setInfoTrack(static_cast<int16_t>(static_cast<uint16_t>(track))))
        return ApplyResult::InvalidTrack;
    if (!info.SetAudioInformation(fileName))
        return ApplyResult::WriteFailed;
    return info.LastNoticeText().isEmpty() ? ApplyResult::Written : ApplyResult::WrittenWithChanges;
}
