// The applications playing on the sound server as the input list numbers them, without a
// server: one entry per application for the whole run, whatever its streams do.
#include "audio/devices/pulse_application_table.h"

#include <gtest/gtest.h>

namespace {

QStringList playing(const PulseApplicationTable &table) {
    QStringList names;
    for (const ApplicationInfo &application : table.list()) {
        if (application.playing)
            names << application.name;
    }
    return names;
}

}  // namespace

TEST(PulseApplicationTable, AnApplicationKeepsItsNumberAcrossItsStreams) {
    PulseApplicationTable table;
    EXPECT_TRUE(table.update(10, "Music", "player", 1));
    EXPECT_TRUE(table.update(11, "Chat", "chat", 1));
    EXPECT_EQ(playing(table), (QStringList{QStringLiteral("Music"), QStringLiteral("Chat")}));
    EXPECT_EQ(table.list()[1].device, kFirstApplicationDevice + 1);

    // A second stream of a playing application changes nothing in the list; the newest
    // stream is the one recorded.
    EXPECT_FALSE(table.update(12, "Music", "player", 2));
    EXPECT_EQ(table.streamOf(0)->index, 12u);
    EXPECT_EQ(table.streamOf(0)->sink, 2u);
    EXPECT_FALSE(table.remove(12));
    EXPECT_EQ(table.streamOf(0)->index, 10u);

    // Moving to another sink is not a change of the list, but of where to record.
    EXPECT_FALSE(table.update(10, "Music", "player", 3));
    EXPECT_EQ(table.streamOf(0)->sink, 3u);

    // The last stream ends: still known, not playing, nothing to record.
    EXPECT_TRUE(table.remove(10));
    EXPECT_EQ(playing(table), QStringList{QStringLiteral("Chat")});
    EXPECT_FALSE(table.streamOf(0).has_value());
    ASSERT_EQ(table.list().size(), 2u);
    EXPECT_FALSE(table.list()[0].playing);

    // A new stream of the same application (same name and program) is the same entry; the
    // same name from another program is another one.
    EXPECT_TRUE(table.update(20, "Music", "player", 1));
    EXPECT_EQ(table.list()[0].device, kFirstApplicationDevice);
    EXPECT_TRUE(table.list()[0].playing);
    EXPECT_TRUE(table.update(21, "Music", "other-player", 1));
    EXPECT_EQ(table.list().size(), 3u);

    EXPECT_FALSE(table.remove(99));  // never seen
}

TEST(PulseApplicationTable, NamelessStreamsRenamingAndTheServerGoing) {
    PulseApplicationTable table;
    // Without a name of its own an application is shown by its program.
    EXPECT_TRUE(table.update(1, "", "mpv", 0));
    EXPECT_EQ(playing(table), QStringList{QStringLiteral("mpv")});

    // A stream that renames itself moves to the entry of its new name.
    EXPECT_TRUE(table.update(1, "Film", "mpv", 0));
    EXPECT_EQ(playing(table), QStringList{QStringLiteral("Film")});
    EXPECT_FALSE(table.streamOf(0).has_value());
    EXPECT_EQ(table.streamOf(1)->index, 1u);

    EXPECT_TRUE(table.removeAll());
    EXPECT_TRUE(playing(table).isEmpty());
    EXPECT_FALSE(table.removeAll());
    EXPECT_EQ(table.list().size(), 2u);  // the numbers stay for when the server is back
}
