#include "bench/child_process.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

#include <csignal>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace bench {

namespace {

double seconds(const timeval &tv) {
    return static_cast<double>(tv.tv_sec) + static_cast<double>(tv.tv_usec) / 1e6;
}

// Owns the spawn attributes' file actions.
class FileActions {
public:
    FileActions() { posix_spawn_file_actions_init(&actions_); }
    ~FileActions() { posix_spawn_file_actions_destroy(&actions_); }
    FileActions(const FileActions &) = delete;
    FileActions &operator=(const FileActions &) = delete;
    posix_spawn_file_actions_t *get() { return &actions_; }

private:
    posix_spawn_file_actions_t actions_;
};

class Pipe {
public:
    Pipe() {
        if (::pipe2(fds_, O_CLOEXEC) != 0) {
            fds_[0] = fds_[1] = -1;
        }
    }
    ~Pipe() {
        closeRead();
        closeWrite();
    }
    Pipe(const Pipe &) = delete;
    Pipe &operator=(const Pipe &) = delete;
    bool valid() const { return fds_[0] >= 0; }
    int readEnd() const { return fds_[0]; }
    int writeEnd() const { return fds_[1]; }
    void closeRead() { closeFd(fds_[0]); }
    void closeWrite() { closeFd(fds_[1]); }

private:
    static void closeFd(int &fd) {
        if (fd >= 0) {
            ::close(fd);
            fd = -1;
        }
    }
    int fds_[2];
};

}  // namespace

ChildRun runChild(const std::vector<std::string> &argv, const std::vector<std::string> &extraEnv,
                  bool quiet) {
    ChildRun run;
    std::vector<char *> args;
    for (const std::string &a : argv) {
        args.push_back(const_cast<char *>(a.c_str()));
    }
    args.push_back(nullptr);
    std::vector<char *> env;
    for (char **e = environ; *e != nullptr; ++e) {
        const std::string entry(*e);
        const std::string name = entry.substr(0, entry.find('=') + 1);
        const bool overridden =
            std::any_of(extraEnv.begin(), extraEnv.end(),
                        [&](const std::string &x) { return x.compare(0, name.size(), name) == 0; });
        if (!overridden) {
            env.push_back(*e);
        }
    }
    for (const std::string &e : extraEnv) {
        env.push_back(const_cast<char *>(e.c_str()));
    }
    env.push_back(nullptr);

    Pipe out;
    if (!out.valid()) {
        run.failure = "pipe: " + std::string(std::strerror(errno));
        return run;
    }
    FileActions actions;
    posix_spawn_file_actions_adddup2(actions.get(), out.writeEnd(), STDOUT_FILENO);
    if (quiet) {
        posix_spawn_file_actions_addopen(actions.get(), STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    }

    const auto start = std::chrono::steady_clock::now();
    pid_t pid = -1;
    // posix_spawn shares the address space until exec, so the child's peak RSS doesn't
    // start out at this process's size as it would after fork().
    const int rc = posix_spawnp(&pid, args[0], actions.get(), nullptr, args.data(), env.data());
    out.closeWrite();
    if (rc != 0) {
        run.failure = argv[0] + ": " + std::strerror(rc);
        return run;
    }
    char buf[4096];
    for (;;) {
        const ssize_t n = ::read(out.readEnd(), buf, sizeof buf);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            break;
        }
        run.output.append(buf, static_cast<size_t>(n));
    }
    int status = 0;
    rusage usage{};
    while (::wait4(pid, &status, 0, &usage) < 0 && errno == EINTR) {
    }
    run.wallSeconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    run.cpuSeconds = seconds(usage.ru_utime) + seconds(usage.ru_stime);
    run.peakRssMb = static_cast<double>(usage.ru_maxrss) / 1024.0;  // kilobytes on Linux
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0) {
        run.ok = true;
    } else if (WIFEXITED(status)) {
        run.failure = argv[0] + " exited with status " + std::to_string(WEXITSTATUS(status));
    } else {
        run.failure = argv[0] + " died of signal " + std::to_string(WTERMSIG(status));
    }
    return run;
}

int spawnBackground(const std::vector<std::string> &argv) {
    std::vector<char *> args;
    for (const std::string &a : argv) {
        args.push_back(const_cast<char *>(a.c_str()));
    }
    args.push_back(nullptr);
    FileActions actions;
    posix_spawn_file_actions_addopen(actions.get(), STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(actions.get(), STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    // A process group of its own, so that stopping it stops whatever it started too.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attributes, 0);
    pid_t pid = -1;
    const int rc = posix_spawnp(&pid, args[0], actions.get(), &attributes, args.data(), environ);
    posix_spawnattr_destroy(&attributes);
    return rc == 0 ? pid : -1;
}

bool backgroundRunning(int pid) {
    int status = 0;
    return pid > 0 && ::waitpid(pid, &status, WNOHANG) == 0;
}

void stopBackground(int pid) {
    if (pid <= 0) {
        return;
    }
    ::kill(-pid, SIGTERM);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
}

ChildRun bestOf(int runs, const std::vector<std::string> &argv,
                const std::vector<std::string> &extraEnv) {
    ChildRun best;
    for (int i = 0; i < std::max(runs, 1); ++i) {
        ChildRun run = runChild(argv, extraEnv);
        if (!run.ok) {
            return run;
        }
        if (i == 0) {
            best = run;
            continue;
        }
        best.wallSeconds = std::min(best.wallSeconds, run.wallSeconds);
        best.cpuSeconds = std::min(best.cpuSeconds, run.cpuSeconds);
        best.peakRssMb = std::max(best.peakRssMb, run.peakRssMb);
    }
    return best;
}

}  // namespace bench
