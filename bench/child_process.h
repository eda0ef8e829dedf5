// Runs a program as a child and measures it the way the kernel accounts for it: wall time
// from spawn to exit, user + system CPU time and peak resident set from wait4().
#pragma once

#include <string>
#include <vector>

namespace bench {

struct ChildRun {
    bool ok = false;  // started and exited with status 0
    std::string failure;
    double wallSeconds = 0;
    double cpuSeconds = 0;
    double peakRssMb = 0;
    std::string output;  // what it wrote to stdout
};

// Runs argv[0] (looked up in PATH) with the current environment plus `extraEnv`
// ("NAME=value"). The child is spawned without copying this process's memory, so its peak
// RSS is its own.
// With `quiet` the child's stderr goes to /dev/null.
ChildRun runChild(const std::vector<std::string> &argv,
                  const std::vector<std::string> &extraEnv = {}, bool quiet = false);

// The best of `runs` runs: the lowest times (least disturbed by other work on the machine)
// and the highest peak RSS. Stops at the first failing run.
ChildRun bestOf(int runs, const std::vector<std::string> &argv,
                const std::vector<std::string> &extraEnv = {});

}  // namespace bench
