// The tag module loaded on first use: the genre names the program keeps for itself match
// TagLib's, and a missing or foreign module is refused with a reason instead of called.
#include "audio/codec/tag_module.h"
#include "audio/codec/genres.h"

#include <gtest/gtest.h>

#include <taglib/id3v1genres.h>

namespace korvanta::codec {
namespace {

TEST(TagModuleTest, GenreNamesMatchTagLib) {
    for (int genre = 0; genre < kGenreCount; ++genre) {
        const QString tagLib = QString::fromStdString(TagLib::ID3v1::genre(genre).to8Bit(true));
        EXPECT_EQ(genreName(genre), tagLib) << genre;
        EXPECT_EQ(genreNumber(tagLib), genre) << genre;
    }
}

TEST(TagModuleTest, MissingModuleSaysSo) {
    QString error;
    EXPECT_EQ(loadTagModule({QStringLiteral("/nonexistent/korvanta/korvanta-tags.so")}, &error),
              nullptr);
    EXPECT_EQ(error, QStringLiteral("Cannot load the tag library: korvanta-tags.so was not "
                                    "found next to the program"));
}

TEST(TagModuleTest, ForeignLibraryIsRefused) {
    QString error;
    // A module of ours, but not this one: it has no tag entry point.
    const QString ffmpegModule = QStringLiteral(KORVANTA_FFMPEG_MODULE_PATH);
    EXPECT_EQ(loadTagModule({ffmpegModule}, &error), nullptr);
    EXPECT_TRUE(error.contains(ffmpegModule + QStringLiteral(" belongs to another version")))
        << qPrintable(error);
}

TEST(TagModuleTest, BuiltModuleIsFound) {
    QString error;
    const TagModule *module = tagModule(&error);
    ASSERT_NE(module, nullptr) << qPrintable(error);
    EXPECT_EQ(module->version, kTagModuleVersion);
    // A file that isn't there: the module answers, with its own reason.
    TagValues values;
    values.title = QStringLiteral("stale");
    EXPECT_FALSE(readTags(QStringLiteral("/nonexistent/korvanta/none.mp3"), TagFormat::Mpeg, 2,
                          &values, &error));
    EXPECT_TRUE(values.title.isEmpty());
    EXPECT_FALSE(error.startsWith(QStringLiteral("Cannot load the tag library")));
}

}  // namespace
}  // namespace korvanta::codec
