// The live benchmarks: real-time recording and playback through a sound server, the whole
// program against bare command-line pipelines, and the stress run. They need a sound server
// whose default sink is a null sink (scripts/with-pulseaudio.sh starts one) and play the
// benchmark's test signal into it while they record its monitor.
#pragma once

#include <string>
#include <vector>

namespace bench {

struct LiveOptions {
    std::string binDir;
    std::string workDir;
    std::string signalWav;  // played into the sink, looped; at least `seconds` long
    int seconds = 60;       // of each recording and playback
    int runs = 2;           // of each row; the lower CPU time counts
    int stressMinutes = 0;  // 0: no stress run
    bool measure = true;    // the recording and playback tables
    bool recording = true;  // ... and the recording one among them
};

struct LiveReport {
    std::string text;
    std::vector<std::string> failures;  // commands that did not run
    std::vector<std::string> missed;    // targets not met
};

LiveReport runLiveSuite(const LiveOptions &options);

}  // namespace bench
