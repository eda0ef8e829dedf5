#include "playback/format_text.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFontMetrics>

TEST(FormatMP3Str, ShortensMpegWordingAndTheFirstColon) {
    EXPECT_EQ(FormatMP3Str(QStringLiteral("MPEG 1.0 layer-3: 44100 Hz, 128 kbps, stereo")),
              QStringLiteral("MP3  44100 Hz, 128 kbps, stereo"));
    EXPECT_EQ(FormatMP3Str(QStringLiteral("MPEG 2.0 layer-2: 22050 Hz")),
              QStringLiteral("MP2  22050 Hz"));
    EXPECT_EQ(FormatMP3Str(QStringLiteral("PCM 44100 Hz")), QStringLiteral("PCM 44100 Hz"));
    EXPECT_EQ(FormatMP3Str(QStringLiteral("a:b:c")), QStringLiteral("a b:c"));
    // The replacement needs "MPEG" in capitals somewhere, then matches any case.
    EXPECT_EQ(FormatMP3Str(QStringLiteral("mpeg 1.0 layer-3")), QStringLiteral("mpeg 1.0 layer-3"));
    EXPECT_EQ(FormatMP3Str(QStringLiteral("MPEG: mpeg 1.0 LAYER-3")), QStringLiteral("MPEG  MP3"));
    // Only the first occurrence changes.
    EXPECT_EQ(FormatMP3Str(QStringLiteral("MPEG 1.0 layer-1 MPEG 1.0 layer-2")),
              QStringLiteral("MP1 MPEG 1.0 layer-2"));
}

TEST(ShortenPath, ReplacesLeadingFoldersAndKeepsTheFileName) {
    const QFontMetrics metrics(QApplication::font());
    const QString path = QStringLiteral("/home/user/music/recordings/2026/december/Untitled12.mp3");
    EXPECT_EQ(ShortenPath(path, metrics, 10000), path);

    const int width =
        metrics.horizontalAdvance(QStringLiteral("/.../2026/december/Untitled12.mp3"));
    const QString shortened = ShortenPath(path, metrics, width);
    EXPECT_EQ(shortened, QStringLiteral("/.../2026/december/Untitled12.mp3"));

    const QString tiny = ShortenPath(path, metrics, 5);
    EXPECT_TRUE(tiny.endsWith(QStringLiteral("/Untitled12.mp3")));
    EXPECT_TRUE(tiny.contains(QStringLiteral("...")));
}
