#include "extras/tip_sequence.h"

#include <QFile>
#include <QStringDecoder>

namespace {

// A tip file is a small text file; anything bigger is not one, and reading it would only
// cost memory.
constexpr qint64 kMaxTipFileSize = 4 * 1024 * 1024;

QString decode(const QByteArray &bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    return QString::fromLatin1(bytes);
}

}  // namespace

QStringList ReadTips(const QString &path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxTipFileSize)
        return {};
    QString text = decode(file.read(kMaxTipFileSize));
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\r', u'\n');

    QStringList tips;
    const QStringList lines = text.split(u'\n');
    for (const QString &line : lines) {
        if (!line.isEmpty())
            tips << line;
    }
    return tips;
}

TipSequence::TipSequence(QStringList tips, int storedTipNo)
    : tips_(std::move(tips)), currentTipNo_(storedTipNo) {
    const int total = TotalLine();
    if (total > 0 && currentTipNo_ >= total)
        currentTipNo_ %= total;
    // Negative numbers stay as they are: nothing is shown until Next reaches tip 1.
    if (currentTipNo_ >= 0 && currentTipNo_ < total && show(currentTipNo_ + 1))
        ++currentTipNo_;
}

bool TipSequence::Next() {
    const int total = TotalLine();
    if (total == 0)
        return false;
    currentTipNo_ = currentTipNo_ == total ? 1 : currentTipNo_ + 1;
    return show(currentTipNo_);
}

bool TipSequence::show(int tipNo) {
    if (tipNo < 1 || tipNo > TotalLine())
        return false;
    shownText_ = tips_[tipNo - 1];
    hasShownTip_ = true;
    return true;
}
