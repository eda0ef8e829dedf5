// The applications playing as the input list numbers and names them, without a server: an
// entry per stream playing, kept by a new stream of the application once its own has ended.
#include "audio/devices/application_table.h"

#include <gtest/gtest.h>

namespace {

// The names of the entries playing, as "a|b|c" (readable when a comparison fails).
std::string playing(const ApplicationTable &table) {
    QStringList names;
    for (const ApplicationInfo &application : table.list()) {
        if (application.playing)
            names << application.name;
    }
    return names.join(QLatin1Char('|')).toStdString();
}

// The sink input entry `number` records and its sink, -1 while it has none.
std::pair<int64_t, int64_t> recorded(const ApplicationTable &table, int number) {
    const auto stream = table.streamOf(number);
    return stream ? std::pair<int64_t, int64_t>{stream->index, stream->sink}
                  : std::pair<int64_t, int64_t>{-1, -1};
}

}  // namespace

TEST(ApplicationTable, AnApplicationKeepsItsNumberAcrossItsStreams) {
    ApplicationTable table;
    EXPECT_TRUE(table.update(10, "Music", "player", "", 1));
    EXPECT_TRUE(table.update(11, "Chat", "chat", "", 1));
    EXPECT_EQ(playing(table), "Music|Chat");
    EXPECT_EQ(table.list()[1].device, kFirstApplicationDevice + 1);

    // Moving to another sink is not a change of the list, but of where to record.
    EXPECT_FALSE(table.update(10, "Music", "player", "", 3));
    EXPECT_EQ(recorded(table, 0).second, 3);

    // The last stream ends: still known, not playing, nothing to record.
    EXPECT_TRUE(table.remove(10));
    EXPECT_EQ(playing(table), "Chat");
    EXPECT_FALSE(table.streamOf(0).has_value());
    ASSERT_EQ(table.list().size(), 2u);
    EXPECT_FALSE(table.list()[0].playing);

    // A new stream of the same application (same name and program), as a player opens for
    // its next track, is the same entry; the same name from another program is another one.
    EXPECT_TRUE(table.update(20, "Music", "player", "", 1));
    EXPECT_EQ(table.list()[0].device, kFirstApplicationDevice);
    EXPECT_TRUE(table.list()[0].playing);
    EXPECT_EQ(recorded(table, 0).first, 20);
    EXPECT_TRUE(table.update(21, "Music", "other-player", "", 1));
    EXPECT_EQ(table.list().size(), 3u);

    EXPECT_FALSE(table.remove(99));  // never seen
}

TEST(ApplicationTable, StreamsPlayingAtOnceAreEntriesOfTheirOwn) {
    ApplicationTable table;
    EXPECT_TRUE(table.update(10, "paplay", "paplay", "song.mp3", 1));
    EXPECT_TRUE(table.update(11, "paplay", "paplay", "talk.mp3", 2));
    // The same file name once more: told apart by a number.
    EXPECT_TRUE(table.update(12, "paplay", "paplay", "talk.mp3", 1));
    EXPECT_EQ(playing(table), "paplay|paplay \u2014 talk.mp3|paplay #3");
    // Each entry records its own stream, not the newest of the name.
    EXPECT_EQ(recorded(table, 0).first, 10);
    EXPECT_EQ(recorded(table, 1).first, 11);
    EXPECT_EQ(recorded(table, 1).second, 2);
    EXPECT_EQ(recorded(table, 2).first, 12);

    // A stream ending leaves the others where they are, under their names; its entry is not
    // listed until a new stream of the application takes it over.
    EXPECT_TRUE(table.remove(10));
    EXPECT_EQ(playing(table), "paplay \u2014 talk.mp3|paplay #3");
    EXPECT_EQ(recorded(table, 1).first, 11);
    EXPECT_FALSE(table.streamOf(0).has_value());
    EXPECT_TRUE(table.update(13, "paplay", "paplay", "song.mp3", 1));
    EXPECT_EQ(recorded(table, 0).first, 13);
    EXPECT_EQ(table.list()[0].name, QStringLiteral("paplay"));
    EXPECT_EQ(table.list().size(), 3u);

    // A media name that changes on a living stream (the next track) leaves its entry's name.
    EXPECT_FALSE(table.update(11, "paplay", "paplay", "news.mp3", 2));
    EXPECT_EQ(table.list()[1].name, QStringLiteral("paplay \u2014 talk.mp3"));

    // Taken over by a stream that plays something else, an entry says so.
    EXPECT_TRUE(table.remove(11));
    EXPECT_TRUE(table.update(14, "paplay", "paplay", "music.mp3", 1));
    EXPECT_EQ(recorded(table, 1).first, 14);
    EXPECT_EQ(table.list()[1].name, QStringLiteral("paplay \u2014 music.mp3"));

    // A path is shown by its file name; the same file name in two folders needs a number.
    EXPECT_TRUE(table.update(15, "paplay", "paplay", "/home/me/a/take.wav", 1));
    EXPECT_TRUE(table.update(16, "paplay", "paplay", "/home/me/b/take.wav", 1));
    EXPECT_EQ(playing(table),
              "paplay|paplay \u2014 music.mp3|paplay #3|paplay \u2014 "
              "take.wav|paplay #5");
}

TEST(ApplicationTable, NamelessStreamsRenamingAndTheServerGoing) {
    ApplicationTable table;
    // Without a name of its own an application is shown by its program.
    EXPECT_TRUE(table.update(1, "", "mpv", "", 0));
    EXPECT_EQ(playing(table), "mpv");

    // A stream that renames itself moves to the entry of its new name.
    EXPECT_TRUE(table.update(1, "Film", "mpv", "", 0));
    EXPECT_EQ(playing(table), "Film");
    EXPECT_FALSE(table.streamOf(0).has_value());
    EXPECT_EQ(recorded(table, 1).first, 1);

    EXPECT_TRUE(table.removeAll());
    EXPECT_TRUE(playing(table).empty());
    EXPECT_FALSE(table.removeAll());
    EXPECT_EQ(table.list().size(), 2u);  // the numbers stay for when the server is back

    // Two nameless streams of one program, each named by what it plays, which is also what
    // shows the program: a number tells them apart, not the same word twice.
    EXPECT_TRUE(table.update(2, "", "mpv", "mpv", 0));
    EXPECT_TRUE(table.update(3, "", "mpv", "mpv", 0));
    EXPECT_EQ(playing(table), "mpv|mpv #2");
}
