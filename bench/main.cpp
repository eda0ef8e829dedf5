// korvanta-bench: runs the benchmark suite (no arguments or options), or, as its own child
// process, one piece of work to be measured:
//   korvanta-bench [--runs N] [--minutes N] [--long-minutes N] [--startup-runs N] [--work DIR]
//                  [--live-seconds N] [--live-runs N] [--stress-minutes N] [--live-only]
//                  [--playback-only] [--startup-only]
//   korvanta-bench encode mp3|wma|wav|flac|opus|ogg INPUT.wav OUTPUT
//   korvanta-bench decode FILE
//   korvanta-bench length FILE
//   korvanta-bench record mp3|wma|wav|flac|opus|ogg SECONDS OUTPUT
#include "bench/suite.h"
#include "bench/workers.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

int usage() {
    std::fputs(
        "usage: korvanta-bench [--runs N] [--minutes N] [--long-minutes N] "
        "[--startup-runs N] [--work DIR]\n"
        "                     [--live-seconds N] [--live-runs N] [--stress-minutes N] "
        "[--live-only] [--playback-only] [--startup-only]\n"
        "       korvanta-bench encode mp3|wma|wav|flac|opus|ogg INPUT.wav OUTPUT\n"
        "       korvanta-bench decode FILE | length FILE\n"
        "       korvanta-bench record mp3|wma|wav|flac|opus|ogg SECONDS OUTPUT\n",
        stderr);
    return 2;
}

bool positive(const std::string &text, int *value) {
    char *end = nullptr;
    const long v = std::strtol(text.c_str(), &end, 10);
    if (end == text.c_str() || *end != '\0' || v <= 0 || v > 100000) {
        return false;
    }
    *value = static_cast<int>(v);
    return true;
}

int worker(const std::vector<std::string> &a) {
    const std::string &cmd = a[0];
    int seconds = 0;
    if (cmd == "encode" && a.size() == 4 && bench::isOutputFormat(a[1])) {
        return bench::encodeWav(a[1], a[2], a[3]);
    }
    if (cmd == "decode" && a.size() == 2) {
        return bench::decodeFile(a[1]);
    }
    if (cmd == "length" && a.size() == 2) {
        return bench::fileLength(a[1]);
    }
    if (cmd == "record" && a.size() == 4 && bench::isOutputFormat(a[1]) &&
        positive(a[2], &seconds)) {
        return bench::simulateRecording(a[1], seconds, a[3]);
    }
    return usage();
}

}  // namespace

int main(int argc, char **argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (!args.empty() && args[0].rfind("--", 0) != 0) {
        return worker(args);
    }
    namespace fs = std::filesystem;
    bench::SuiteOptions options;
    options.binDir = fs::canonical("/proc/self/exe").parent_path().string();
    options.workDir = options.binDir + "/bench-work";
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string &opt = args[i];
        if (opt == "--live-only") {
            options.liveOnly = true;
            continue;
        }
        if (opt == "--playback-only") {
            options.liveOnly = true;
            options.playbackOnly = true;
            continue;
        }
        if (opt == "--startup-only") {
            options.startupOnly = true;
            continue;
        }
        if (i + 1 >= args.size()) {
            return usage();
        }
        const std::string &value = args[++i];
        bool ok = true;
        if (opt == "--runs") {
            ok = positive(value, &options.runs);
        } else if (opt == "--minutes") {
            ok = positive(value, &options.inputMinutes);
        } else if (opt == "--long-minutes") {
            ok = positive(value, &options.longMinutes);
        } else if (opt == "--startup-runs") {
            ok = positive(value, &options.startupRuns);
        } else if (opt == "--live-seconds") {
            ok = positive(value, &options.liveSeconds);
        } else if (opt == "--live-runs") {
            ok = positive(value, &options.liveRuns);
        } else if (opt == "--stress-minutes") {
            ok = positive(value, &options.stressMinutes);
        } else if (opt == "--work") {
            options.workDir = value;
        } else {
            ok = false;
        }
        if (!ok) {
            return usage();
        }
    }
    return bench::runSuite(options);
}
