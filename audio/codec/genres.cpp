#include "audio/codec/genres.h"

#include <taglib/id3v1genres.h>

namespace korvanta::codec {

QString genreName(int number) {
    if (number < 0 || number >= kGenreCount) {
        return QString();
    }
    return QString::fromStdString(TagLib::ID3v1::genre(number).to8Bit(true));
}

int genreNumber(const QString &name) {
    const QString wanted = name.trimmed();
    if (wanted.isEmpty()) {
        return -1;
    }
    for (int i = 0; i < kGenreCount; ++i) {
        if (wanted.compare(genreName(i), Qt::CaseInsensitive) == 0) {
            return i;
        }
    }
    // Some taggers store the number itself, bare or as "(17)".
    QString digits = wanted;
    if (digits.startsWith(QLatin1Char('(')) && digits.endsWith(QLatin1Char(')'))) {
        digits = digits.mid(1, digits.size() - 2);
    }
    bool ok = false;
    const int n = digits.toInt(&ok);
    return ok && n >= 0 && n < kGenreCount ? n : -1;
}

}  // namespace korvanta::codec
