// How the command line reads durations, formats and commands, as scripts and desktop
// shortcuts write them.
#include "app/command_line.h"

#include <gtest/gtest.h>

namespace {

CommandLine read(QStringList arguments) {
    arguments.prepend(QStringLiteral("korvanta-recorder"));
    return readCommandLine(arguments, QStringLiteral("/home/u"));
}

TEST(CommandLineReadingTest, DurationsInTheFormsPeopleWrite) {
    const std::pair<const char *, int> good[] = {
        {"90m", 5400}, {"1h30m", 5400}, {"1h 30m", 5400},  {"45s", 45},
        {"2h", 7200},  {"90", 90},      {"1H5M10S", 3910}, {"10min", 600},
    };
    for (const auto &[text, seconds] : good)
        EXPECT_EQ(parseDuration(QString::fromLatin1(text)), seconds) << text;
    for (const char *bad : {"", "soon", "0", "0m", "-5m", "1.5h", "m", "5m 3h", "9999999h"})
        EXPECT_FALSE(parseDuration(QString::fromLatin1(bad)).has_value()) << bad;
}

TEST(CommandLineReadingTest, CommandsWithTheirOptions) {
    const CommandLine record =
        read({QStringLiteral("--record"), QStringLiteral("--for"), QStringLiteral("1h30m"),
              QStringLiteral("--format"), QStringLiteral("FLAC"), QStringLiteral("--input"),
              QStringLiteral("Monitor"), QStringLiteral("a.wav")});
    EXPECT_TRUE(record.error.isEmpty()) << qPrintable(record.error);
    EXPECT_EQ(record.action, CommandLine::Action::Record);
    EXPECT_EQ(record.forSeconds, 5400);
    EXPECT_EQ(record.format, QStringLiteral(".flac"));
    EXPECT_EQ(record.input, QStringLiteral("Monitor"));
    EXPECT_EQ(record.files, QStringList{QStringLiteral("/home/u/a.wav")});

    EXPECT_EQ(read({QStringLiteral("--format=vorbis"), QStringLiteral("--toggle-record")}).format,
              QStringLiteral(".ogg"));
    EXPECT_EQ(read({QStringLiteral("--status")}).action, CommandLine::Action::Status);
    EXPECT_TRUE(read({QStringLiteral("--new-instance")}).newInstance);
    EXPECT_EQ(read({}).action, CommandLine::Action::None);
}

TEST(CommandLineReadingTest, ContradictionsAreRefusedWithAReason) {
    const QStringList wrong[] = {
        {QStringLiteral("--record"), QStringLiteral("--pause")},
        {QStringLiteral("--stop"), QStringLiteral("--format"), QStringLiteral("mp3")},
        {QStringLiteral("--record"), QStringLiteral("--for"), QStringLiteral("later")},
        {QStringLiteral("--record"), QStringLiteral("--format"), QStringLiteral("aiff")},
        {QStringLiteral("--input"), QStringLiteral("Mic")},
    };
    for (const QStringList &arguments : wrong)
        EXPECT_FALSE(read(arguments).error.isEmpty()) << qPrintable(arguments.join(' '));
}

}  // namespace
