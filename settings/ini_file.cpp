#include "settings/ini_file.h"

#include "settings/file_lock.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>

#include <vector>

namespace {

// Anything bigger is not a settings file; refusing it keeps memory bounded and stops a write
// from rewriting a file we could not hold.
constexpr qint64 kMaxFileSize = 64 * 1024 * 1024;

enum class Encoding { Bytes, Utf16LE, Utf16BE };

// The file is held as a string of code units: one QChar per byte for 8-bit files, one per
// UTF-16 unit for UTF-16 files. All syntax characters are ASCII, so parsing works on units in
// both cases, and untouched lines go back to disk exactly as they came.
struct Line {
    QString text;  // without the line end
    QString end;   // "\n", "\r\n", "\r" or empty for a last line without one
};

struct Document {
    Encoding encoding = Encoding::Bytes;
    QByteArray bom;
    std::vector<Line> lines;
};

enum class LoadResult { Missing, Loaded, Unusable };

bool isBlank(QChar c) {
    const char16_t u = c.unicode();
    return u == ' ' || u == '\t' || u == '\r' || u == '\n' || u == '\v' || u == '\f' || u == 0x1A;
}

bool isQuote(QChar c) {
    return c == u'"' || c == u'\'';
}

QStringView trimmed(QStringView s) {
    qsizetype begin = 0;
    qsizetype end = s.size();
    while (begin < end && isBlank(s[begin])) {
        ++begin;
    }
    while (end > begin && isBlank(s[end - 1])) {
        --end;
    }
    return s.mid(begin, end - begin);
}

QString unitsFromUtf16(const QByteArray &bytes, qsizetype from, bool littleEndian) {
    QString units;
    units.reserve((bytes.size() - from + 1) / 2);
    // A stray last byte (a damaged file) becomes a unit of its own, so nothing is dropped and
    // the file stays UTF-16 once rewritten.
    for (qsizetype i = from; i < bytes.size(); i += 2) {
        const auto first = static_cast<uchar>(bytes[i]);
        const auto second = i + 1 < bytes.size() ? static_cast<uchar>(bytes[i + 1]) : uchar(0);
        const uchar lo = littleEndian ? first : second;
        const uchar hi = littleEndian ? second : first;
        units.append(QChar(static_cast<char16_t>(hi << 8 | lo)));
    }
    return units;
}

void appendUtf16(QByteArray *out, QStringView units, bool littleEndian) {
    for (QChar c : units) {
        const auto lo = static_cast<char>(c.unicode() & 0xFF);
        const auto hi = static_cast<char>(c.unicode() >> 8);
        out->append(littleEndian ? lo : hi);
        out->append(littleEndian ? hi : lo);
    }
}

// Real text from units. 8-bit files are expected to be UTF-8; files written by other tools in a
// legacy code page still give their names and values back instead of replacement characters.
QString textFromUnits(const Document &doc, QStringView units) {
    if (doc.encoding != Encoding::Bytes) {
        return units.toString();
    }
    const QByteArray bytes = units.toLatin1();
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder(bytes);
    return decoder.hasError() ? QString::fromLatin1(bytes) : text;
}

QString unitsFromText(const Document &doc, const QString &text) {
    return doc.encoding == Encoding::Bytes ? QString::fromLatin1(text.toUtf8()) : text;
}

std::vector<Line> splitLines(const QString &units) {
    std::vector<Line> lines;
    qsizetype start = 0;
    const qsizetype size = units.size();
    for (qsizetype i = 0; i < size; ++i) {
        const QChar c = units[i];
        if (c != u'\n' && c != u'\r') {
            continue;
        }
        const qsizetype endLength = (c == u'\r' && i + 1 < size && units[i + 1] == u'\n') ? 2 : 1;
        lines.push_back({units.mid(start, i - start), units.mid(i, endLength)});
        i += endLength - 1;
        start = i + 1;
    }
    if (start < size) {
        lines.push_back({units.mid(start), QString()});
    }
    return lines;
}

// The caller holds the file's lock, or reads without one.
LoadResult loadUnlocked(const QString &path, Document *doc) {
    const QFileInfo info(path);
    if (!info.exists()) {
        return LoadResult::Missing;
    }
    if (!info.isFile() || info.size() > kMaxFileSize) {
        return LoadResult::Unusable;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return LoadResult::Unusable;
    }
    // Not read(kMaxFileSize + 1): that reserves the whole maximum for every lookup, which
    // sanitizer builds fill page by page. The size check above bounds what readAll takes.
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError || bytes.size() > kMaxFileSize) {
        return LoadResult::Unusable;
    }

    QString units;
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        doc->bom = bytes.left(3);
        units = QString::fromLatin1(bytes.mid(3));
    } else if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        doc->encoding = bytes[0] == '\xFF' ? Encoding::Utf16LE : Encoding::Utf16BE;
        doc->bom = bytes.left(2);
        units = unitsFromUtf16(bytes, 2, doc->encoding == Encoding::Utf16LE);
    } else {
        units = QString::fromLatin1(bytes);
    }
    doc->lines = splitLines(units);
    return LoadResult::Loaded;
}

// A writer rewriting the file in place (a read-only folder) holds the exclusive lock meanwhile.
LoadResult loadDocument(const QString &path, Document *doc) {
    const FileLock lock = FileLock::forReading(path);
    return loadUnlocked(path, doc);
}

QByteArray encodeDocument(const Document &doc) {
    QByteArray out = doc.bom;
    for (const Line &line : doc.lines) {
        if (doc.encoding == Encoding::Bytes) {
            out += line.text.toLatin1();
            out += line.end.toLatin1();
        } else {
            const bool littleEndian = doc.encoding == Encoding::Utf16LE;
            appendUtf16(&out, line.text, littleEndian);
            appendUtf16(&out, line.end, littleEndian);
        }
    }
    return out;
}

bool saveDocument(const QString &path, const Document &doc) {
    QSaveFile file(path);
    // A user may keep setup.ini writable in a directory they cannot add files to.
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        return false;
    }
    const QByteArray bytes = encodeDocument(doc);
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

bool sameName(const QString &a, QStringView b) {
    return QStringView(a).compare(b, Qt::CaseInsensitive) == 0;
}

// Where a key stands in a document. Only the first section of the name is searched.
struct Location {
    qsizetype sectionLine = -1;
    qsizetype lastContentLine = -1;  // last non-blank line of the section (or its header)
    qsizetype keyLine = -1;
    qsizetype valueStart = 0;  // unit index of the value in the key line
};

Location locate(const Document &doc, QStringView section, QStringView key) {
    Location at;
    for (qsizetype i = 0; i < static_cast<qsizetype>(doc.lines.size()); ++i) {
        const QString &text = doc.lines[static_cast<size_t>(i)].text;
        const QStringView content = trimmed(text);
        if (content.startsWith(u'[')) {
            const qsizetype close = content.indexOf(u']');
            if (close > 0) {
                if (at.sectionLine >= 0) {
                    break;
                }
                if (sameName(textFromUnits(doc, trimmed(content.mid(1, close - 1))), section)) {
                    at.sectionLine = i;
                    at.lastContentLine = i;
                }
                continue;
            }
        }
        if (at.sectionLine < 0 || content.isEmpty()) {
            continue;
        }
        at.lastContentLine = i;
        const qsizetype equals = text.indexOf(u'=');
        if (at.keyLine >= 0 || content.startsWith(u';') || equals < 0) {
            continue;
        }
        if (sameName(textFromUnits(doc, trimmed(QStringView(text).left(equals))), key)) {
            at.keyLine = i;
            at.valueStart = equals + 1;
            while (at.valueStart < text.size() && isBlank(text[at.valueStart])) {
                ++at.valueStart;
            }
        }
    }
    return at;
}

QString valueFromLine(const Document &doc, QStringView rawValue) {
    const qsizetype nul = rawValue.indexOf(QChar(0));
    QStringView value = trimmed(nul >= 0 ? rawValue.left(nul) : rawValue);
    if (value.size() >= 2 && isQuote(value.front()) && value.back() == value.front()) {
        value = value.mid(1, value.size() - 2);
    }
    QString text = textFromUnits(doc, value);
    if (text.size() > IniFile::kMaxValueLength) {
        qsizetype length = IniFile::kMaxValueLength;
        if (text[length - 1].isHighSurrogate()) {
            --length;
        }
        text.truncate(length);
    }
    return text;
}

bool hasLineBreakOrNul(QStringView name) {
    return name.contains(u'\r') || name.contains(u'\n') || name.contains(QChar(0));
}

bool isStorableSection(QStringView section) {
    return !section.isEmpty() && !hasLineBreakOrNul(section) && !section.contains(u']');
}

bool isStorableKey(QStringView key) {
    return !key.isEmpty() && !hasLineBreakOrNul(key) && !key.contains(u'=') &&
           !key.startsWith(u';') && !key.startsWith(u'[');
}

// What goes after "=" so that reading gives the value back: line breaks become blanks, and a
// value that reading would trim or unquote is wrapped in one more pair of quotes.
QString storedValue(const QString &value) {
    QString stored = value;
    stored.replace(u'\r', u' ').replace(u'\n', u' ');
    if (stored.isEmpty()) {
        return stored;
    }
    const bool edgeBlank = isBlank(stored.front()) || isBlank(stored.back());
    const bool quoted =
        stored.size() >= 2 && isQuote(stored.front()) && stored.back() == stored.front();
    return edgeBlank || quoted ? u'"' + stored + u'"' : stored;
}

int digitValue(QChar c, int base) {
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9') {
        return u - u'0';
    }
    if (base == 16 && u >= u'a' && u <= u'f') {
        return u - u'a' + 10;
    }
    if (base == 16 && u >= u'A' && u <= u'F') {
        return u - u'A' + 10;
    }
    return -1;
}

QString lineEndOf(const Document &doc) {
    for (const Line &line : doc.lines) {
        if (!line.end.isEmpty()) {
            return line.end;
        }
    }
    return QStringLiteral("\n");
}

}  // namespace

bool ParseIniInteger(const QString &text, int *value) {
    qsizetype i = 0;
    const qsizetype size = text.size();
    while (i < size && (text[i] == u' ' || text[i] == u'\t')) {
        ++i;
    }
    bool negative = false;
    if (i < size && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    int base = 10;
    if (i < size && text[i] == u'$') {
        base = 16;
        ++i;
    } else if (i + 1 < size && text[i] == u'0' && (text[i + 1] == u'x' || text[i + 1] == u'X')) {
        base = 16;
        i += 2;
    }
    if (i == size) {
        return false;
    }
    constexpr qint64 kLimit = qint64(1) << 31;
    qint64 magnitude = 0;
    for (; i < size; ++i) {
        const int digit = digitValue(text[i], base);
        if (digit < 0) {
            return false;
        }
        magnitude = magnitude * base + digit;
        if (magnitude > kLimit) {
            return false;
        }
    }
    const qint64 result = negative ? -magnitude : magnitude;
    if (result > kLimit - 1) {
        return false;
    }
    *value = static_cast<int>(result);
    return true;
}

IniFile::IniFile(const QString &path) : path_(path) {}

namespace {

// A key's value in a loaded document, or defaultValue.
QString readFrom(const Document &doc, const QString &section, const QString &key,
                 const QString &defaultValue) {
    const QStringView sectionName = trimmed(section);
    const QStringView keyName = trimmed(key);
    if (sectionName.isEmpty() || keyName.isEmpty()) {
        return defaultValue;
    }
    const Location at = locate(doc, sectionName, keyName);
    if (at.keyLine < 0) {
        return defaultValue;
    }
    const QString &line = doc.lines[static_cast<size_t>(at.keyLine)].text;
    return valueFromLine(doc, QStringView(line).mid(at.valueStart));
}

// Sets one key in a loaded document, adding its line or its section when missing.
void setValue(Document *doc, QStringView sectionName, QStringView keyName, const QString &value) {
    const QString valueUnits = unitsFromText(*doc, storedValue(value));
    const QString lineEnd = lineEndOf(*doc);
    const Location at = locate(*doc, sectionName, keyName);
    const QString keyLine = unitsFromText(*doc, keyName.toString().toLower()) + u'=' + valueUnits;

    if (at.keyLine >= 0) {
        Line &line = doc->lines[static_cast<size_t>(at.keyLine)];
        line.text = line.text.left(at.valueStart) + valueUnits;
    } else if (at.sectionLine >= 0) {
        Line &last = doc->lines[static_cast<size_t>(at.lastContentLine)];
        if (last.end.isEmpty()) {
            last.end = lineEnd;
        }
        doc->lines.insert(doc->lines.begin() + at.lastContentLine + 1, Line{keyLine, lineEnd});
    } else {
        if (!doc->lines.empty()) {
            Line &last = doc->lines.back();
            if (last.end.isEmpty()) {
                last.end = lineEnd;
            }
            if (!trimmed(last.text).isEmpty()) {
                doc->lines.push_back(Line{QString(), lineEnd});
            }
        }
        const QString header = u'[' + unitsFromText(*doc, sectionName.toString().toLower()) + u']';
        doc->lines.push_back(Line{header, lineEnd});
        doc->lines.push_back(Line{keyLine, lineEnd});
    }
}

}  // namespace

QString IniFile::ReadString(const QString &section, const QString &key,
                            const QString &defaultValue) const {
    Document doc;
    if (trimmed(section).isEmpty() || trimmed(key).isEmpty() ||
        loadDocument(path_, &doc) != LoadResult::Loaded) {
        return defaultValue;
    }
    return readFrom(doc, section, key, defaultValue);
}

struct IniSnapshot::Data {
    Document doc;
    bool loaded = false;
};

IniSnapshot::IniSnapshot(const QString &path) : d_(std::make_unique<Data>()) {
    d_->loaded = loadDocument(path, &d_->doc) == LoadResult::Loaded;
}

IniSnapshot::~IniSnapshot() = default;

QString IniSnapshot::ReadString(const QString &section, const QString &key,
                                const QString &defaultValue) const {
    return d_->loaded ? readFrom(d_->doc, section, key, defaultValue) : defaultValue;
}

int IniSnapshot::ReadInteger(const QString &section, const QString &key, int defaultValue) const {
    int value = 0;
    return ParseIniInteger(ReadString(section, key, QString()), &value) ? value : defaultValue;
}

int IniFile::ReadInteger(const QString &section, const QString &key, int defaultValue) const {
    int value = 0;
    return ParseIniInteger(ReadString(section, key, QString()), &value) ? value : defaultValue;
}

bool IniFile::WriteString(const QString &section, const QString &key, const QString &value) {
    return Write({{section, key, value}});
}

bool IniFile::Write(const std::vector<IniEntry> &entries) {
    lastError_.clear();
    for (const IniEntry &entry : entries) {
        if (!isStorableSection(trimmed(entry.section)) || !isStorableKey(trimmed(entry.key))) {
            return fail();
        }
    }
    if (entries.empty()) {
        return true;
    }
    // Held from the read to the rename, so no other writer's change falls in between.
    const FileLock lock = FileLock::forWriting(path_);
    if (!lock.isOpen()) {
        return fail();
    }
    Document doc;
    bool written = loadUnlocked(path_, &doc) == LoadResult::Loaded;
    if (written) {
        for (const IniEntry &entry : entries) {
            setValue(&doc, trimmed(entry.section), trimmed(entry.key), entry.value);
        }
        written = saveDocument(path_, doc);
    }
    if (!written) {
        // An empty file made only to be locked would otherwise be left behind.
        if (lock.createdFile()) {
            QFile::remove(path_);
        }
        return fail();
    }
    return true;
}

bool IniFile::fail() {
    lastError_ = QCoreApplication::translate("IniFile", "Unable to write to %1")
                     .arg(QFileInfo(path_).absoluteFilePath());
    return false;
}

bool IniFile::WriteInteger(const QString &section, const QString &key, int value) {
    return WriteString(section, key, QString::number(value));
}
