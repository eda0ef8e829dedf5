// IniFile against hand-written files: lookups, integer syntax, odd input, and writes that must
// leave every line they do not own exactly as it was.
#include "settings/ini_file.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <utility>

#include <unistd.h>

namespace {

class IniFileTest : public ::testing::Test {
protected:
    QString path() const { return dir_.filePath(QStringLiteral("setup.ini")); }

    void writeFile(const QByteArray &bytes) const {
        QFile file(path());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    QByteArray readFile() const {
        QFile file(path());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QString read(const char *section, const char *key) const {
        return IniFile(path()).ReadString(QString::fromUtf8(section), QString::fromUtf8(key),
                                          QStringLiteral("<default>"));
    }

    bool write(const char *section, const char *key, const QString &value) {
        IniFile ini(path());
        const bool ok = ini.WriteString(QString::fromUtf8(section), QString::fromUtf8(key), value);
        lastError_ = ini.lastError();
        return ok;
    }

    QTemporaryDir dir_;
    QString lastError_;
};

TEST_F(IniFileTest, LooksUpNamesIgnoringCaseAndBlanks) {
    writeFile(
        "[Options]\n"
        "  SaveFormat  =  .Wav  \n"
        "[ MP3 ]\n"
        "BitRate=192\n"
        "empty=\n"
        "quoted=\"  spaced  \"\n"
        "half=\"open\n");
    EXPECT_EQ(read("options", "saveformat"), ".Wav");
    EXPECT_EQ(read("OPTIONS", "SAVEFORMAT"), ".Wav");
    EXPECT_EQ(read(" mp3 ", " bitrate "), "192");
    EXPECT_EQ(read("mp3", "empty"), "");
    EXPECT_EQ(read("mp3", "quoted"), "  spaced  ");
    EXPECT_EQ(read("mp3", "half"), "\"open");
    EXPECT_EQ(read("mp3", "missing"), "<default>");
    EXPECT_EQ(read("wav", "bitrate"), "<default>");
}

TEST_F(IniFileTest, IgnoresCommentsStrayLinesAndLaterDuplicates) {
    writeFile(
        "orphan=1\n"
        "[tips] ; trailing note\n"
        ";tipno=5\n"
        "no equals sign\n"
        "tipno=7\n"
        "TIPNO=8\n"
        "[other]\n"
        "[tips]\n"
        "tipno=9\n"
        "showtip=0\n");
    EXPECT_EQ(read("tips", "tipno"), "7");
    EXPECT_EQ(read("tips", "showtip"), "<default>");
    EXPECT_EQ(read("tips", "no equals sign"), "<default>");
    EXPECT_EQ(read("tips", "orphan"), "<default>");
}

TEST_F(IniFileTest, KeepsBomLineEndsAndEncoding) {
    writeFile("\xEF\xBB\xBF[a]\r\nk=crlf\r\n");
    EXPECT_EQ(read("a", "k"), "crlf");
    ASSERT_TRUE(write("a", "new", QStringLiteral("x")));
    EXPECT_EQ(readFile(), "\xEF\xBB\xBF[a]\r\nk=crlf\r\nnew=x\r\n");
    writeFile("[a]\rk=cr\r");
    EXPECT_EQ(read("a", "k"), "cr");
    ASSERT_TRUE(write("a", "k", QStringLiteral("x")));
    EXPECT_EQ(readFile(), "[a]\rk=x\r");
    writeFile("[a]\nk=caf\xC3\xA9\nlatin=caf\xE9\n");
    EXPECT_EQ(read("a", "k"), QString::fromUtf8("caf\xC3\xA9"));
    EXPECT_EQ(read("a", "latin"), QString::fromUtf8("caf\xC3\xA9"));

    const QString text = QString::fromUtf8("[a]\r\nk=\xE2\x82\xAC\r\n");
    QByteArray utf16("\xFF\xFE", 2);
    utf16.append(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
    writeFile(utf16);
    EXPECT_EQ(read("a", "k"), QString::fromUtf8("\xE2\x82\xAC"));
    ASSERT_TRUE(write("a", "new", QStringLiteral("x")));
    const QString expected = QString::fromUtf8("[a]\r\nk=\xE2\x82\xAC\r\nnew=x\r\n");
    QByteArray expectedBytes("\xFF\xFE", 2);
    expectedBytes.append(reinterpret_cast<const char *>(expected.utf16()), expected.size() * 2);
    EXPECT_EQ(readFile(), expectedBytes);
}

TEST_F(IniFileTest, CutsTextValuesAt2047Characters) {
    const QByteArray exact(2047, 'x');
    writeFile("[a]\nexact=" + exact + "\nlong=" + QByteArray(5000, 'y') + "z\n");
    EXPECT_EQ(read("a", "exact"), QString::fromLatin1(exact));
    EXPECT_EQ(read("a", "long"), QString(2047, u'y'));
}

// clang-format off
TEST(ParseIniIntegerTest, AcceptsDecimalAndHexForms) {
    const std::pair<const char *, int> valid[] = {
        {"0", 0}, {"00012", 12}, {" \t42", 42}, {"+7", 7}, {"-7", -7}, {"$1F", 31}, {"0x1f", 31},
        {"0XfF", 255}, {"-$10", -16}, {"2147483647", INT32_MAX}, {"-2147483648", INT32_MIN},
        {"$7FFFFFFF", INT32_MAX}};
    for (const auto &[text, expected] : valid) {
        int value = 0;
        EXPECT_TRUE(ParseIniInteger(QString::fromUtf8(text), &value)) << text;
        EXPECT_EQ(value, expected) << text;
    }
}

TEST(ParseIniIntegerTest, RejectsEverythingElse) {
    const char *invalid[] = {
        "", " ", "+", "-", "$", "0x", "12abc", "1 2", "12 ", "- 5", "abc", "1.5", "0x1g", "$-1",
        "x10", "2147483648", "-2147483649", "$80000000", "99999999999999999999", "\xD9\xA3"};
    for (const char *text : invalid) {
        int value = 1234;
        EXPECT_FALSE(ParseIniInteger(QString::fromUtf8(text), &value)) << text;
        EXPECT_EQ(value, 1234) << text;
    }
}
// clang-format on

TEST_F(IniFileTest, SurvivesOddFiles) {
    EXPECT_EQ(read("a", "k"), "<default>");  // missing file

    QByteArray garbage;
    for (int i = 0; i < 70000; ++i) {
        garbage.append(static_cast<char>((i * 7919 + i / 13) & 0xFF));
    }
    writeFile(garbage);
    EXPECT_EQ(read("a", "k"), "<default>");
    ASSERT_TRUE(write("a", "k", QStringLiteral("v")));
    EXPECT_TRUE(readFile().startsWith(garbage));
    EXPECT_EQ(read("a", "k"), "v");

    writeFile("[a]\nk=" + QByteArray(8 * 1024 * 1024, '\x01') + "\n[b]\nk=ok\n");
    EXPECT_EQ(read("b", "k"), "ok");
    EXPECT_EQ(read("a", "k").size(), IniFile::kMaxValueLength);

    writeFile(QByteArray("[a]\nk=before\0after\n", 19));
    EXPECT_EQ(read("a", "k"), "before");

    QFile::remove(path());
    ASSERT_TRUE(QDir(dir_.path()).mkdir(QStringLiteral("setup.ini")));
    EXPECT_EQ(read("a", "k"), "<default>");
    EXPECT_FALSE(write("a", "k", QStringLiteral("v")));
    EXPECT_EQ(lastError_, "Unable to write to " + path());
}

TEST_F(IniFileTest, ReplacesOnlyTheValueOfAnExistingKey) {
    const QByteArray before =
        "; settings\r\n"
        "[Vendor]\r\n"
        "Colour = blue\r\n"
        "\r\n"
        "[MP3]\r\n"
        "  BitRate =  128   \r\n"
        "bitrate=64\r\n"
        "\r\n"
        "[wav]\r\n"
        "freq=8000";
    writeFile(before);
    ASSERT_TRUE(write("mp3", "bitrate", QStringLiteral("192")));
    QByteArray expected = before;
    expected.replace("  BitRate =  128   \r\n", "  BitRate =  192\r\n");
    EXPECT_EQ(readFile(), expected);

    ASSERT_TRUE(write("WAV", "FREQ", QStringLiteral("44100")));
    expected.replace("freq=8000", "freq=44100");
    EXPECT_EQ(readFile(), expected);
}

TEST_F(IniFileTest, AddsKeysAndSectionsInLowerCase) {
    writeFile(
        "[Options]\n"
        "savepath=/rec/\n"
        "; end of options\n"
        "\n"
        "[Vendor]\n"
        "x=1");
    ASSERT_TRUE(write("OPTIONS", "TimeLimit", QStringLiteral("90")));
    ASSERT_TRUE(write("Tips", "ShowTip", QStringLiteral("0")));
    EXPECT_EQ(readFile(),
              "[Options]\n"
              "savepath=/rec/\n"
              "; end of options\n"
              "timelimit=90\n"
              "\n"
              "[Vendor]\n"
              "x=1\n"
              "\n"
              "[tips]\n"
              "showtip=0\n");

    QFile::remove(path());
    ASSERT_TRUE(write("Options", "SaveFormat", QStringLiteral(".wav")));
    EXPECT_EQ(readFile(), "[options]\nsaveformat=.wav\n");
}

TEST_F(IniFileTest, ValuesReadBackAsWrittenWithoutAddingLines) {
    for (const char *value : {" lead", "trail\t", "'single'", "\"double\"", "\"", "a=b;c", ""}) {
        ASSERT_TRUE(write("a", "k", QString::fromUtf8(value)));
        EXPECT_EQ(read("a", "k"), QString::fromUtf8(value));
    }
    ASSERT_TRUE(write("a", "k", QStringLiteral("one\r\n[b]\nk=two")));
    EXPECT_EQ(read("a", "k"), "one  [b] k=two");
    EXPECT_EQ(read("b", "k"), "<default>");

    EXPECT_FALSE(write("a", "k=x", QStringLiteral("v")));
    EXPECT_FALSE(write("a]", "k", QStringLiteral("v")));
    EXPECT_FALSE(write("a", "", QStringLiteral("v")));
    EXPECT_EQ(readFile(), "[a]\nk=one  [b] k=two\n");
}

TEST_F(IniFileTest, ReportsFailedWritesWithThePath) {
    // A regular file where a directory should be stops the write even for root.
    writeFile("[a]\nk=1\n");
    const QString blocked = path() + QStringLiteral("/setup.ini");
    IniFile ini(blocked);
    EXPECT_FALSE(ini.WriteInteger(QStringLiteral("a"), QStringLiteral("k"), 2));
    EXPECT_EQ(ini.lastError(), "Unable to write to " + blocked);
    EXPECT_EQ(readFile(), "[a]\nk=1\n");

    // The error belongs to the last write only.
    QFile::remove(path());
    ASSERT_TRUE(QDir(dir_.path()).mkdir(QStringLiteral("setup.ini")));
    IniFile retried(path());
    EXPECT_FALSE(retried.WriteInteger(QStringLiteral("a"), QStringLiteral("k"), 3));
    EXPECT_FALSE(retried.lastError().isEmpty());
    ASSERT_TRUE(QDir(dir_.path()).rmdir(QStringLiteral("setup.ini")));
    EXPECT_TRUE(retried.WriteInteger(QStringLiteral("a"), QStringLiteral("k"), 3));
    EXPECT_TRUE(retried.lastError().isEmpty());
}

TEST_F(IniFileTest, HonoursPermissionsOfFileAndDirectory) {
    if (geteuid() == 0) {
        GTEST_SKIP() << "permissions do not apply to root";
    }
    writeFile("[a]\nk=1\n");
    QFile::setPermissions(path(), QFile::ReadOwner);
    EXPECT_FALSE(write("a", "k", QStringLiteral("2")));
    EXPECT_EQ(lastError_, "Unable to write to " + path());

    // A writable file in a read-only directory is rewritten in place.
    QFile::setPermissions(path(), QFile::ReadOwner | QFile::WriteOwner);
    QFile::setPermissions(dir_.path(), QFile::ReadOwner | QFile::ExeOwner);
    EXPECT_TRUE(write("a", "k", QStringLiteral("3")));
    EXPECT_EQ(readFile(), "[a]\nk=3\n");
    QFile::setPermissions(dir_.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

}  // namespace

// The snapshot for loading many keys at once reads by the same rules as IniFile, from the file
// as it was when it was taken.
TEST_F(IniFileTest, ASnapshotReadsAsIniFileDoesFromTheFileAsItWas) {
    writeFile("; c\n[Options]\n Key = ' spaced ' \nnum=$1F\nbad=12x\n[options]\nkey=later\n");
    const IniSnapshot snapshot(path());
    ASSERT_TRUE(write("options", "added", QStringLiteral("after")));
    for (const char *key : {"key", "num", "bad", "none"}) {
        EXPECT_EQ(snapshot.ReadString(QStringLiteral("OPTIONS"), QString::fromUtf8(key),
                                      QStringLiteral("<default>")),
                  read("options", key))
            << key;
    }
    EXPECT_EQ(snapshot.ReadInteger(QStringLiteral("options"), QStringLiteral("num"), 0), 31);
    EXPECT_EQ(snapshot.ReadInteger(QStringLiteral("options"), QStringLiteral("bad"), -7), -7);
    EXPECT_EQ(snapshot.ReadString(QStringLiteral("options"), QStringLiteral("added"),
                                  QStringLiteral("<default>")),
              QStringLiteral("<default>"));
    const IniSnapshot missing(dir_.filePath(QStringLiteral("none.ini")));
    EXPECT_EQ(missing.ReadInteger(QStringLiteral("options"), QStringLiteral("num"), 5), 5);
}
