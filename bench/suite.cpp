#include "bench/suite.h"

#include "bench/child_process.h"
#include "bench/live_suite.h"
#include "bench/test_signal.h"
#include "bench/text_table.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <thread>

namespace bench {

namespace {

namespace fs = std::filesystem;

// Targets: our coding at least this fraction of the reference tool's speed, memory that
// grows less than this from the short to the long recording, start-up within this factor.
constexpr double kMinSpeed = 0.9;
constexpr double kMaxGrowthMb = 2.0;
constexpr double kMaxStartupRatio = 1.3;

const std::vector<std::string> kQuietFfmpeg = {"-nostdin", "-hide_banner", "-v", "error"};

std::vector<std::string> ffmpeg(std::vector<std::string> args) {
    std::vector<std::string> argv = {"ffmpeg"};
    argv.insert(argv.end(), kQuietFfmpeg.begin(), kQuietFfmpeg.end());
    argv.insert(argv.end(), args.begin(), args.end());
    return argv;
}

std::string firstLine(const std::string &text) {
    return text.substr(0, text.find('\n'));
}

std::string cpuModel() {
    std::ifstream in("/proc/cpuinfo");
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind("model name", 0) == 0) {
            return line.substr(line.find(':') + 2);
        }
    }
    return "unknown CPU";
}

std::string today() {
    char buf[32];
    const std::time_t now = std::time(nullptr);
    std::strftime(buf, sizeof buf, "%Y-%m-%d", std::localtime(&now));
    return buf;
}

double fileMb(const std::string &path) {
    std::error_code ec;
    const auto size = fs::file_size(path, ec);
    return ec ? 0.0 : static_cast<double>(size) / (1024.0 * 1024.0);
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0.0 : values[values.size() / 2];
}

std::string minutesText(int minutes) {
    return std::to_string(minutes) + " min";
}

class Suite {
public:
    explicit Suite(const SuiteOptions &options) : o_(options) {}

    int run() {
        fs::create_directories(o_.workDir);
        if (o_.startupOnly) {
            std::string out = "Korvanta Sound Recorder start-up, " + today() + "\n" + cpuModel() +
                              ", " + std::to_string(std::thread::hardware_concurrency()) +
                              " cores\n\n";
            out += startup();
            out += verdicts();  // after the table, whose misses it reports
            return finish(out);
        }
        std::string error;
        progress("writing " + minutesText(o_.inputMinutes) + " of test signal");
        if (!writeTestWav(input(), o_.inputMinutes * 60, &error)) {
            std::fprintf(stderr, "%s\n", error.c_str());
            return 1;
        }
        progress("resampling the input to 48000 Hz for Opus");
        if (!runChild(ffmpeg({"-y", "-i", input(), "-ar", "48000", "-c:a", "pcm_s16le",
                              "-map_metadata", "-1", input48()}))
                 .ok) {
            std::fprintf(stderr, "cannot resample the input for Opus\n");
            return 1;
        }
        std::string out = header();
        if (!o_.liveOnly) {
            out += encoding();
            out += decoding();
            out += memory();
            out += length();
            out += startup();
        }
        out += live();
        out += verdicts();
        cleanUp();
        return finish(out);
    }

private:
    int finish(const std::string &out) {
        std::fputs(out.c_str(), stdout);
        std::fflush(stdout);
        for (const std::string &f : failures_) {
            std::fprintf(stderr, "FAILED: %s\n", f.c_str());
        }
        return failures_.empty() ? 0 : 1;
    }

    std::string path(const std::string &name) const { return o_.workDir + "/" + name; }
    std::string input() const { return path("input.wav"); }
    std::string tool(const std::string &name) const { return o_.binDir + "/" + name; }

    std::vector<std::string> self(std::vector<std::string> args) const {
        args.insert(args.begin(), tool("korvanta-bench"));
        return args;
    }

    static void progress(const std::string &what) {
        std::fprintf(stderr, "bench: %s\n", what.c_str());
    }

    ChildRun measure(const std::string &what, const std::vector<std::string> &argv, int runs,
                     const std::vector<std::string> &env = {}) {
        progress(what);
        ChildRun run = bestOf(runs, argv, env);
        if (!run.ok) {
            failures_.push_back(what + ": " + run.failure);
        }
        return run;
    }

    // Our speed relative to theirs: their time over ours, 1.0 = as fast. A non-empty
    // `target` names the comparison when it counts towards the speed target.
    std::string speed(double ours, double theirs, const std::string &target = {}) {
        if (ours <= 0 || theirs <= 0) {
            return "-";
        }
        const double ratio = theirs / ours;
        if (!target.empty() && ratio < kMinSpeed) {
            missed_.push_back(target + " speed " + fixed(ratio, 2));
        }
        return fixed(ratio, 2);
    }

    std::string header() const {
        std::string h = "Korvanta Sound Recorder benchmarks, " + today() + "\n";
        h += cpuModel() + ", " + std::to_string(std::thread::hardware_concurrency()) +
             " cores; coding and length times are the best of " + std::to_string(o_.runs) +
             " runs\n";
        const ChildRun lame = runChild({"lame", "--version"});
        const ChildRun ff = runChild({"ffmpeg", "-hide_banner", "-version"});
        const std::string ffVersion = firstLine(ff.output);
        h += firstLine(lame.output) + "; " + ffVersion.substr(0, ffVersion.find(" Copyright")) +
             "\n";
        h += firstLine(runChild({"flac", "--version"}).output) + "; " +
             firstLine(runChild({"opusenc", "--version"}).output) + "; " +
             firstLine(runChild({"oggenc", "--version"}).output) + "\n";
        h += "Input: " + minutesText(o_.inputMinutes) +
             " of 44100 Hz 16-bit stereo, tones and noise (" + fixed(fileMb(input()), 1) +
             " MB WAV)\n";
        h += "Speed = their time / our time (1.00 = as fast; target at least " +
             fixed(kMinSpeed, 2) + ")\n\n";
        return h;
    }

    struct Contender {
        std::string name;
        std::vector<std::string> argv;
        std::string output;
    };

    // One block of rows: ours first, then each reference tool with our speed against it.
    void compare(TextTable &table, const std::string &group, const Contender &ours,
                 const std::vector<Contender> &theirs, bool showOutput) {
        const ChildRun mine = measure(group + ": " + ours.name, ours.argv, o_.runs);
        auto row = [&](const std::string &label, const std::string &name, const ChildRun &r,
                       const std::string &outputCell, const std::string &wallSpeed,
                       const std::string &cpuSpeed) {
            table.addRow({label, name, fixed(r.wallSeconds, 2), fixed(r.cpuSeconds, 2),
                          fixed(r.peakRssMb, 1), outputCell, wallSpeed, cpuSpeed});
        };
        auto outputCell = [&](const Contender &c, const ChildRun &r) {
            if (!showOutput) {
                return r.output.empty() ? std::string("-") : firstLine(r.output);
            }
            return fixed(fileMb(c.output), 2);
        };
        row(group, ours.name, mine, outputCell(ours, mine), "", "");
        for (const Contender &c : theirs) {
            const ChildRun r = measure(group + ": " + c.name, c.argv, o_.runs);
            row("", c.name, r, outputCell(c, r), speed(mine.wallSeconds, r.wallSeconds),
                speed(mine.cpuSeconds, r.cpuSeconds, group + " against " + c.name));
        }
    }

    std::string encoding() {
        TextTable t({"Encoding", "Program", "Wall s", "CPU s", "Peak RSS MB", "Output MB",
                     "Speed (wall)", "Speed (CPU)"});
        const std::string in = input();
        compare(
            t, "MP3 128 kbps",
            {"korvanta TAudioFile2", self({"encode", "mp3", in, path("ours.mp3")}),
             path("ours.mp3")},
            {{"lame -b 128",
              {"lame", "--quiet", "-b", "128", in, path("lame.mp3")},
              path("lame.mp3")},
             {"ffmpeg libmp3lame 128k",
              ffmpeg({"-y", "-i", in, "-c:a", "libmp3lame", "-b:a", "128k", path("ffmpeg.mp3")}),
              path("ffmpeg.mp3")}},
            true);
        compare(t, "WMA profile 38",
                {"korvanta TAudioFile2", self({"encode", "wma", in, path("ours.wma")}),
                 path("ours.wma")},
                {{"ffmpeg wmav2 128k",
                  ffmpeg({"-y", "-i", in, "-c:a", "wmav2", "-b:a", "128k", path("ffmpeg.wma")}),
                  path("ffmpeg.wma")}},
                true);
        compare(
            t, "WAV 16-bit",
            {"korvanta TAudioFile2", self({"encode", "wav", in, path("ours.wav")}),
             path("ours.wav")},
            {{"ffmpeg pcm_s16le", ffmpeg({"-y", "-i", in, "-c:a", "pcm_s16le", path("ffmpeg.wav")}),
              path("ffmpeg.wav")}},
            true);
        compare(t, "FLAC level 5",
                {"korvanta TAudioFile2", self({"encode", "flac", in, path("ours.flac")}),
                 path("ours.flac")},
                {{"flac -5",
                  {"flac", "-s", "-f", "-5", "-o", path("flac.flac"), in},
                  path("flac.flac")}},
                true);
        // Opus codes at 48000 Hz only: both get the same input at that rate, so that neither
        // spends time resampling.
        compare(t, "Opus 128 kbps",
                {"korvanta TAudioFile2", self({"encode", "opus", input48(), path("ours.opus")}),
                 path("ours.opus")},
                {{"opusenc --bitrate 128",
                  {"opusenc", "--quiet", "--bitrate", "128", input48(), path("opusenc.opus")},
                  path("opusenc.opus")}},
                true);
        compare(t, "Vorbis q5",
                {"korvanta TAudioFile2", self({"encode", "ogg", in, path("ours.ogg")}),
                 path("ours.ogg")},
                {{"oggenc -q5",
                  {"oggenc", "-Q", "-q", "5", "-o", path("oggenc.ogg"), in},
                  path("oggenc.ogg")}},
                true);
        return t.render(2) + flacExactness() + "\n";
    }

    std::string input48() const { return path("input48.wav"); }

    // Whether our FLAC decodes to the input sample for sample: the MD5 of the PCM ffmpeg
    // decodes from each.
    std::string flacExactness() {
        auto pcmMd5 = [](const std::string &file) {
            const ChildRun r =
                runChild(ffmpeg({"-i", file, "-c:a", "pcm_s16le", "-f", "md5", "-"}));
            return r.ok ? firstLine(r.output) : std::string();
        };
        const std::string ours = pcmMd5(path("ours.flac"));
        const bool exact = !ours.empty() && ours == pcmMd5(input());
        if (!exact) {
            missed_.push_back("FLAC is not bit-exact");
        }
        return std::string("FLAC decodes to the input bit for bit: ") + (exact ? "yes" : "NO") +
               " (" + ours + ")\n";
    }

    std::string decoding() {
        TextTable t({"Decoding to PCM", "Program", "Wall s", "CPU s", "Peak RSS MB", "Frames read",
                     "Speed (wall)", "Speed (CPU)"});
        for (const char *format : {"mp3", "wma"}) {
            const std::string file = path(std::string("ours.") + format);
            const std::string group =
                format == std::string("mp3") ? "MP3 128 kbps (ours)" : "WMA profile 38 (ours)";
            compare(t, group, {"korvanta TAudioFile2", self({"decode", file}), {}},
                    {{"ffmpeg -f null",
                      ffmpeg({"-i", file, "-c:a", "pcm_s16le", "-f", "null", "-"}),
                      {}}},
                    false);
        }
        return t.render(2) + "\n";
    }

    std::string memory() {
        const int shortSeconds = o_.inputMinutes * 60;
        const int longSeconds = o_.longMinutes * 60;
        TextTable t({"Recording (simulated)", "Peak RSS " + minutesText(o_.inputMinutes),
                     "Peak RSS " + minutesText(o_.longMinutes), "Growth MB",
                     minutesText(o_.longMinutes) + " CPU s", "x real time", ""});
        for (const char *format : {"mp3", "wma", "wav", "flac", "opus", "ogg"}) {
            const std::string fmt = format;
            const std::string out = path("recording." + fmt);
            const ChildRun shortRun =
                measure("recording " + minutesText(o_.inputMinutes) + " of " + fmt,
                        self({"record", fmt, std::to_string(shortSeconds), out}), 1);
            const ChildRun longRun =
                measure("recording " + minutesText(o_.longMinutes) + " of " + fmt,
                        self({"record", fmt, std::to_string(longSeconds), out}), 1);
            if (fmt == "mp3") {
                fs::rename(out, longMp3());
            } else {
                fs::remove(out);
            }
            const double growth = longRun.peakRssMb - shortRun.peakRssMb;
            const bool flat = growth < kMaxGrowthMb;
            if (!flat) {
                missed_.push_back(fmt + " memory grows by " + fixed(growth, 1) + " MB");
            }
            t.addRow({recordingLabel(fmt), fixed(shortRun.peakRssMb, 1),
                      fixed(longRun.peakRssMb, 1), fixed(growth, 1), fixed(longRun.cpuSeconds, 1),
                      fixed(longSeconds / std::max(longRun.wallSeconds, 1e-3), 0),
                      flat ? "flat" : "GROWS"});
        }
        return t.render(1) + "\n";
    }

    static std::string recordingLabel(const std::string &fmt) {
        if (fmt == "mp3") {
            return "MP3 128 kbps";
        }
        if (fmt == "wma") {
            return "WMA profile 38";
        }
        if (fmt == "flac") {
            return "FLAC level 5";
        }
        if (fmt == "opus") {
            return "Opus 128 kbps";
        }
        return fmt == "ogg" ? "Vorbis q5" : "WAV 16-bit";
    }

    std::string longMp3() const { return path("hour.mp3"); }

    std::string length() {
        const std::string file = longMp3();
        TextTable t({"Length of a " + minutesText(o_.longMinutes) + " MP3", "Wall s", "CPU s",
                     "Peak RSS MB", "Length reported", "Speed (wall)"});
        const ChildRun mine = measure("length: korvanta", self({"length", file}), o_.runs);
        const ChildRun probe =
            measure("length: ffprobe",
                    {"ffprobe", "-v", "error", "-show_entries", "format=duration", "-of",
                     "default=noprint_wrappers=1:nokey=1", file},
                    o_.runs);
        long long frames = 0;
        double micros = 0;
        double loadMicros = 0;
        std::sscanf(mine.output.c_str(), "%lld %lf %lf", &frames, &micros, &loadMicros);
        t.addRow({"korvanta OpenFile + nSamples", fixed(mine.wallSeconds, 3),
                  fixed(mine.cpuSeconds, 3), fixed(mine.peakRssMb, 1),
                  std::to_string(frames) + " frames = " + fixed(frames / double(kRate), 3) +
                      " s (in-process " + fixed(micros / 1000.0, 2) + " ms, codec module load " +
                      fixed(loadMicros / 1000.0, 1) + " ms)",
                  ""});
        t.addRow({"ffprobe format=duration", fixed(probe.wallSeconds, 3),
                  fixed(probe.cpuSeconds, 3), fixed(probe.peakRssMb, 1),
                  firstLine(probe.output) + " s", speed(mine.wallSeconds, probe.wallSeconds)});
        return t.render(1) + "\n";
    }

    std::string startup() {
        const std::vector<std::string> env = {"QT_QPA_PLATFORM=offscreen", "KORVANTA_AUDIO=virtual",
                                              "KORVANTA_EXIT_AFTER_SHOW=1"};
        struct Program {
            std::string name;
            std::string path;
            std::vector<double> walls;
            double rss = 0;
        };
        // The recorder loads no library at start beyond Qt's (the others wait until first
        // needed), so the minimal window is the whole yardstick.
        std::vector<Program> programs = {
            {"korvanta-recorder", tool("korvanta-recorder"), {}, 0},
            {"minimal Qt Widgets window", tool("korvanta-minimal-window"), {}, 0}};
        progress("start-up, " + std::to_string(o_.startupRuns) + " runs each");
        // Alternating runs share whatever else the machine is doing; the first of each only
        // warms the page cache.
        for (int i = 0; i <= o_.startupRuns; ++i) {
            for (Program &p : programs) {
                const ChildRun r = runChild({p.path}, env, true);
                if (!r.ok) {
                    failures_.push_back("start-up of " + p.name + ": " + r.failure);
                    return {};
                }
                if (i > 0) {
                    p.walls.push_back(r.wallSeconds);
                    p.rss = std::max(p.rss, r.peakRssMb);
                }
            }
        }
        TextTable t({"Start-up to window shown (offscreen)", "Median ms", "Best ms", "Peak RSS MB",
                     "Ratio to minimal"});
        const double ours = median(programs[0].walls);
        const double minimal = median(programs[1].walls);
        const double ratio = minimal > 0 ? ours / minimal : 0;
        if (ratio > kMaxStartupRatio) {
            missed_.push_back("start-up ratio " + fixed(ratio, 2));
        }
        for (const Program &p : programs) {
            t.addRow({p.name, fixed(median(p.walls) * 1000, 1),
                      fixed(*std::min_element(p.walls.begin(), p.walls.end()) * 1000, 1),
                      fixed(p.rss, 1),
                      &p == &programs[1] ? "" : fixed(median(p.walls) / minimal, 2)});
        }
        return t.render(1) + "\n";
    }

    std::string live() {
        LiveOptions live;
        live.binDir = o_.binDir;
        live.workDir = o_.workDir;
        live.signalWav = input();
        live.seconds = o_.liveSeconds;
        live.runs = o_.liveRuns;
        live.stressMinutes = o_.stressMinutes;
        live.measure = !(o_.liveOnly && o_.stressMinutes > 0);
        live.recording = !o_.playbackOnly;
        LiveReport report = runLiveSuite(live);
        failures_.insert(failures_.end(), report.failures.begin(), report.failures.end());
        missed_.insert(missed_.end(), report.missed.begin(), report.missed.end());
        return report.text;
    }

    std::string verdicts() const {
        std::string v = "Targets: coding speed >= " + fixed(kMinSpeed, 2) +
                        " (CPU), memory growth < " + fixed(kMaxGrowthMb, 0) +
                        " MB, start-up ratio <= " + fixed(kMaxStartupRatio, 2) +
                        ", live CPU ratios as marked, no dropped frame under stress: ";
        if (missed_.empty()) {
            return v + "all met\n";
        }
        v += "missed:";
        for (const std::string &m : missed_) {
            v += " [" + m + "]";
        }
        return v + "\n";
    }

    void cleanUp() const {
        for (const char *name :
             {"input.wav", "ours.mp3", "lame.mp3", "ffmpeg.mp3", "ours.wma", "ffmpeg.wma",
              "ours.wav", "ffmpeg.wav", "hour.mp3", "input48.wav", "ours.flac", "flac.flac",
              "ours.opus", "opusenc.opus", "ours.ogg", "oggenc.ogg"}) {
            std::error_code ec;
            fs::remove(path(name), ec);
        }
    }

    SuiteOptions o_;
    std::vector<std::string> failures_;
    std::vector<std::string> missed_;
};

}  // namespace

int runSuite(const SuiteOptions &options) {
    return Suite(options).run();
}

}  // namespace bench
