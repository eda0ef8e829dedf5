// The applications playing (on the sound server, their sink inputs; on the virtual card, its
// fake players), numbered for the input list.
//
// An application is known by the name it gives itself and its program's name together, so
// every stream of the same program gets the same number for the whole run: a player that
// stops and starts again, or opens a new stream per track, stays one entry. Our own streams
// are not listed (the caller leaves them out).
#pragma once

#include "audio/devices/audio_backend.h"

#include <cstdint>
#include <map>
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

    // Every application seen, numbered from kFirstApplicationDevice.
    std::vector<ApplicationInfo> list() const;
    // The stream to record for application `number` (0-based): its newest sink input, or
    // nothing while it plays nothing.
    std::optional<ApplicationStreamPlace> streamOf(int number) const;

private:
    struct Application {
        std::string name;
        std::string binary;
    };
    int numberOf(const std::string &name, const std::string &binary);
    int playingCount(int number) const;

    std::vector<Application> applications_;
    std::map<uint32_t, std::pair<int, ApplicationStreamPlace>> inputs_;  // by sink input index
};
