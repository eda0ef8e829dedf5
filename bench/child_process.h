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

// Starts argv[0] in the background with its output thrown away, for work that runs beside a
// measurement (a signal being played, CPU hogs); -1 when it could not be started.
int spawnBackground(const std::vector<std::string> &argv);
// True while the background child runs.
bool backgroundRunning(int pid);
// Ends the background child and everything it started (SIGTERM to its process group) and
// reaps it.
void stopBackground(int pid);

}  // namespace bench
