// The applications playing (on the sound server, their sink inputs; on the virtual card, its
// fake players), numbered and named for the input list.
//
// Every stream playing is an entry of its own, so that two clients of one program (two
// paplay) can each be chosen and recorded. An entry stands for its stream while that lives,
// whatever else comes and goes. Once the stream has ended, the entry waits for the next new
// stream of the same application (same name and program) and stands for that one: a player
// that stops and starts again, or opens a new stream per track, stays one entry, and a
// recording of it goes on. Entries keep their numbers for the whole run. Our own streams are
// not listed (the caller leaves them out).
//
// Names: an application's first entry is its plain name; a further one adds what its stream
// plays ("paplay — talk.mp3") when that tells it apart from the application's other streams,
// and otherwise a number ("paplay #2"). An entry's name is made when a stream takes it and
// stays while the stream lives.
#pragma once

#include "audio/devices/audio_backend.h"

#include <QString>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// One stream of an application: the server's sink input and the sink it plays to.
struct ApplicationStreamPlace {
    uint32_t index = 0;
    uint32_t sink = 0;
};

class ApplicationTable {
public:
    // A sink input appeared or changed (e.g. moved to another sink). `name` is what the
    // application calls itself, empty when it does not say; `binary` its program; `media`
    // what the stream plays (its media name, e.g. a file name), empty when unknown. Returns
    // whether the list of applications changed.
    bool update(uint32_t sinkInput, const std::string &name, const std::string &binary,
                const std::string &media, uint32_t sink);
    // A sink input went away. Returns whether the list changed.
    bool remove(uint32_t sinkInput);
    // The server went away: nothing plays. Returns whether anything did.
    bool removeAll();

    // Every entry made in this run, numbered from kFirstApplicationDevice.
    std::vector<ApplicationInfo> list() const;
    // The stream to record for entry `number` (0-based), or nothing while it has none.
    std::optional<ApplicationStreamPlace> streamOf(int number) const;

private:
    struct Entry {
        std::string name;
        std::string binary;
        int ordinal = 1;  // 1 for the application's first entry, 2 for its second, ...
        QString shown;    // made when a stream takes the entry
        std::string media;
        std::optional<ApplicationStreamPlace> stream;
    };
    int entryOf(uint32_t sinkInput) const;
    int freeEntry(const std::string &name, const std::string &binary);
    QString shownName(int number) const;

    std::vector<Entry> entries_;
};
