// The benchmark run: our encoding, decoding, length and memory on TAudioFile2 and the
// program's start-up, each measured in a child process against the reference tools on the
// same input, reported as one set of tables.
#pragma once

#include <string>

namespace bench {

struct SuiteOptions {
    std::string binDir;   // holds korvanta-bench, korvanta-recorder, korvanta-minimal-window
    std::string workDir;  // input and output files; emptied of them at the end
    int runs = 3;         // of every timed command; the best counts
    int inputMinutes = 10;
    int longMinutes = 60;
    int startupRuns = 21;
    // The live section: real-time recordings and playback through the sound server.
    int liveSeconds = 60;
    int liveRuns = 2;
    int stressMinutes = 0;      // 0: no stress run
    bool liveOnly = false;      // the live section (and the stress run) alone
    bool playbackOnly = false;  // the live playback table alone
    bool startupOnly = false;   // the start-up table alone (no input, no tools, no server)
};

// Prints progress on stderr and the tables on stdout. Returns 0 when every command ran
// (whether or not the targets were met), 1 otherwise.
int runSuite(const SuiteOptions &options);

}  // namespace bench
