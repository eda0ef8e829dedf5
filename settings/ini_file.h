// Private-profile access to one INI file (setup.ini, support.ini). Every call opens the file by
// path, reads or rewrites it and lets it go again; nothing is cached between calls, so several
// accessors of the same file always see each other's writes.
//
// Reading rules:
// - "[name]" opens a section (text after the first "]" is ignored); "key=value" lines belong to
//   the section above them; lines before the first section belong to none.
// - Section and key names match case-insensitively, ignoring surrounding blanks.
// - If a section or a key appears twice, the first one wins; later duplicates are never read
//   or written (but are kept in the file).
// - Lines starting with ";" are comments; lines without "=" are not keys.
// - A value is trimmed of surrounding blanks, one pair of matching quotes (' or ") around it is
//   dropped, and it ends at an embedded NUL. At most 2047 characters are returned.
// - A UTF-8 BOM is skipped. Files starting with a UTF-16 BOM are read and written as UTF-16.
//   Other files are taken as UTF-8; a name or value that is not valid UTF-8 is read as Latin-1.
// - Line ends may be LF, CRLF or CR.
// - A missing or unreadable file, a directory or another non-regular file at the path, or a
//   file larger than 64 MiB reads as empty: every lookup yields its default.
//
// Writing rules:
// - Only the value of the first matching key is replaced; its name, the blanks around "=" and
//   every other byte of the file stay as they were (including the BOM and line ends).
// - A missing key is added after the last non-blank line of its section; a missing section is
//   added at the end of the file after a blank line; a missing file is created. Names that are
//   created are written in lower case.
// - New lines use the line end the file already uses ("\n" for a new file).
// - Line breaks in a value are written as blanks so a value can never add lines to the file.
//   A value with blanks at either end, or quoted at both ends, is written inside one more pair
//   of double quotes, so it reads back exactly as it was written.
// - A write reads the file as it is on disk at that moment, changes its keys and writes it back,
//   all under an exclusive advisory lock on the file, so copies of the program writing at the
//   same time never lose each other's keys. Reads take a shared lock.
// - The file is replaced atomically (temporary file with the file's permissions + rename), so a
//   reader sees the old file or the new one, never a part. When the directory does not allow
//   new files but the file itself is writable, it is rewritten in place instead.
// - A write fails, and leaves the file untouched, when the file cannot be read or written, when
//   a directory is in the way, or when the section or key name cannot be stored (empty, line
//   breaks, "]" in a section or "=" in a key, or a key starting with ";" or "[").
#pragma once

#include <QString>

#include <memory>
#include <vector>

// One key's new value, for writing several keys in one go.
struct IniEntry {
    QString section;
    QString key;
    QString value;
};

class IniFile {
public:
    explicit IniFile(const QString &path);

    QString path() const { return path_; }

    QString ReadString(const QString &section, const QString &key,
                       const QString &defaultValue) const;
    // Accepts optional blanks, an optional sign and decimal digits, or hexadecimal digits after
    // "$" or "0x". Anything else, or a number outside 32 bits, yields defaultValue.
    int ReadInteger(const QString &section, const QString &key, int defaultValue) const;

    bool WriteString(const QString &section, const QString &key, const QString &value);
    bool WriteInteger(const QString &section, const QString &key, int value);
    // Writes every entry, in order, in one read-change-write: all of them or, on failure, none.
    // No entries: nothing is touched or created.
    bool Write(const std::vector<IniEntry> &entries);

    // "Unable to write to <full path>" after a failed write; empty after a successful one.
    QString lastError() const { return lastError_; }

    // Longest text value ReadString returns, in UTF-16 characters.
    static constexpr int kMaxValueLength = 2047;

private:
    bool fail();

    QString path_;
    QString lastError_;
};

// The file as it was when this was made, read once, with IniFile's reading rules. For reading
// many keys in one go (start-up), where opening the file for each key would parse a large
// file over and over.
class IniSnapshot {
public:
    explicit IniSnapshot(const QString &path);
    ~IniSnapshot();
    IniSnapshot(const IniSnapshot &) = delete;
    IniSnapshot &operator=(const IniSnapshot &) = delete;

    QString ReadString(const QString &section, const QString &key,
                       const QString &defaultValue) const;
    int ReadInteger(const QString &section, const QString &key, int defaultValue) const;

private:
    struct Data;
    std::unique_ptr<Data> d_;
};

// Parses an integer the way ReadInteger does; false when text is not a valid 32-bit integer.
bool ParseIniInteger(const QString &text, int *value);
