#include "playback/format_text.h"

#include <QFontMetrics>
#include <QStringList>

namespace {

void replaceFirst(QString &text, const QString &what, const QString &with) {
    const int at = text.indexOf(what, 0, Qt::CaseInsensitive);
    if (at >= 0)
        text.replace(at, what.size(), with);
}

}  // namespace

QString FormatMP3Str(const QString &LongStr) {
    QString text = LongStr;
    if (text.contains(QLatin1String("MPEG"), Qt::CaseSensitive)) {
        replaceFirst(text, QStringLiteral("MPEG 1.0 layer-"), QStringLiteral("MP"));
        replaceFirst(text, QStringLiteral("MPEG 2.0 layer-"), QStringLiteral("MP"));
    }
    const int colon = text.indexOf(QLatin1Char(':'));
    if (colon >= 0)
        text[colon] = QLatin1Char(' ');
    return text;
}

QString ShortenPath(const QString &path, const QFontMetrics &metrics, int width) {
    if (metrics.horizontalAdvance(path) <= width)
        return path;
    const QString ellipsis = QStringLiteral("...");
    QStringList parts = path.split(QLatin1Char('/'));
    const QString fileName = parts.takeLast();
    // Keep the root ("" for an absolute path) and drop folders after it one by one.
    const QString root = parts.isEmpty() ? QString() : parts.takeFirst();
    while (!parts.isEmpty()) {
        parts.removeFirst();
        QStringList shown{root, ellipsis};
        shown += parts;
        shown << fileName;
        const QString candidate = shown.join(QLatin1Char('/'));
        if (metrics.horizontalAdvance(candidate) <= width)
            return candidate;
    }
    const QString short1 = root + QLatin1Char('/') + ellipsis + QLatin1Char('/') + fileName;
    if (metrics.horizontalAdvance(short1) <= width)
        return short1;
    return ellipsis + QLatin1Char('/') + fileName;  // the file name always stays whole
}
