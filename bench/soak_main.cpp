// korvanta-bench-soak: a long recording with auto split through the whole main window on the
// virtual sound card, in real time. Checks that every part is there, in order, that the
// parts add up to the recording time within one 200 ms block per part, that the recorder
// dropped nothing, and that memory stays flat.
//   korvanta-bench-soak [--minutes 30] [--split 60] [--format mp3|wav|wma]
#include "app/tform1.h"
#include "audio/audio_file2.h"
#include "audio/audio_record2.h"
#include "audio/devices/audio_backend.h"
#include "bench/text_table.h"
#include "settings/app_paths.h"
#include "settings/capture_settings.h"
#include "settings/recording_settings.h"

#include <QApplication>

#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>
#include <memory>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr double kBlockSeconds = 0.2;
constexpr double kMaxGrowthMb = 2.0;

struct Options {
    int minutes = 30;
    int splitSeconds = 60;
    QString format = QStringLiteral("mp3");
};

bool parse(int argc, char **argv, Options *o) {
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string opt = argv[i];
        const QString value = QString::fromLocal8Bit(argv[i + 1]);
        bool ok = true;
        if (opt == "--minutes") {
            o->minutes = value.toInt(&ok);
            ok = ok && o->minutes > 0;
        } else if (opt == "--split") {
            o->splitSeconds = value.toInt(&ok);
            ok = ok && o->splitSeconds > 0;
        } else if (opt == "--format") {
            o->format = value;
            ok = value == QLatin1String("mp3") || value == QLatin1String("wav") ||
                 value == QLatin1String("wma");
        } else {
            ok = false;
        }
        if (!ok) {
            return false;
        }
    }
    return argc % 2 == 1;
}

double residentMb() {
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind("VmRSS:", 0) == 0) {
            return std::atof(line.c_str() + 6) / 1024.0;  // kB
        }
    }
    return 0;
}

struct Part {
    QString name;
    double seconds = 0;
    bool readable = false;
};

}  // namespace

int main(int argc, char **argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("KORVANTA_AUDIO", "virtual", 0);
    Options o;
    if (!parse(argc, argv, &o)) {
        std::fputs(
            "usage: korvanta-bench-soak [--minutes N] [--split SECONDS] "
            "[--format mp3|wav|wma]\n",
            stderr);
        return 2;
    }
    QApplication app(argc, argv);
    QTemporaryDir dir;
    if (!dir.isValid()) {
        std::fputs("cannot create a temporary folder\n", stderr);
        return 1;
    }
    // The program's side files and its recordings live in the temporary folder.
    setExecutableDirectoryForTesting(dir.path() + QLatin1Char('/'));
    {
        QFile ini(dir.filePath(QStringLiteral("setup.ini")));
        if (!ini.open(QIODevice::WriteOnly)) {
            return 1;
        }
        ini.write(QStringLiteral("[options]\nsaveformat=.%1\ntimelimit=%2\n")
                      .arg(o.format)
                      .arg(o.minutes * 60)
                      .toUtf8());
    }
    RecordingSettings recordingSettings;
    CaptureSettings captureSettings;

    const std::unique_ptr<AudioBackend> backend = createAudioBackend();
    TForm1 window(*backend, recordingSettings, captureSettings);
    window.TimerTip->stop();
    window.show();
    QCoreApplication::processEvents();
    recordingSettings.flgSplit = true;
    recordingSettings.SplitTime = o.splitSeconds;

    // Resident memory each second, and a line of progress each minute.
    std::vector<double> rssBySecond;
    QTimer sampler;
    QStringList messages;
    QObject::connect(&sampler, &QTimer::timeout, [&] {
        rssBySecond.push_back(residentMb());
        if (rssBySecond.size() % 60 == 0) {
            std::fprintf(stderr, "soak: %zu min, RSS %.1f MB\n", rssBySecond.size() / 60,
                         rssBySecond.back());
        }
        // A message box would stall the run; note it and close it.
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            messages << box->text();
            box->done(QMessageBox::Ok);
        }
    });
    sampler.start(1000);

    QElapsedTimer wall;
    wall.start();
    window.Record1Click();
    QEventLoop loop;
    QTimer poll;
    const qint64 deadlineMs = (int64_t(o.minutes) * 60 + 120) * 1000;
    // A split lets events through while it opens the next part, with no recording running
    // for that moment; only a recording that stays stopped has ended.
    qint64 stoppedAtMs = -1;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (window.flgRecord) {
            stoppedAtMs = -1;
        } else if (stoppedAtMs < 0) {
            stoppedAtMs = wall.elapsed();
        }
        if ((stoppedAtMs >= 0 && wall.elapsed() - stoppedAtMs > 1000) ||
            wall.elapsed() > deadlineMs) {
            loop.quit();
        }
    });
    poll.start(50);
    loop.exec();
    const double wallSeconds = (stoppedAtMs >= 0 ? stoppedAtMs : wall.elapsed()) / 1000.0;
    const bool stoppedByItself = !window.flgRecord;
    if (window.flgRecord) {
        window.Stop1Click();
    }
    sampler.stop();
    const uint64_t dropped = window.AudioRecord1->droppedFrames();

    // The parts: Untitled1, Untitled2, ... with no gaps and nothing else beside them.
    const QString recDir = dir.path() + QStringLiteral("/Recording/");
    const QStringList files = QDir(recDir).entryList(QDir::Files, QDir::Name);
    const int expectedParts = (o.minutes * 60 + o.splitSeconds - 1) / o.splitSeconds;
    std::vector<Part> parts;
    double total = 0;
    for (int i = 1; i <= static_cast<int>(files.size()); ++i) {
        Part p;
        p.name = QStringLiteral("Untitled%1.%2").arg(i).arg(o.format);
        TAudioFile2 file;
        file.OpenFile(recDir + p.name, 0, 1);
        p.readable = file.LastErrorNum() == 0 && file.ArrayFrequency() > 0;
        p.seconds = p.readable ? double(file.nSamples()) / file.ArrayFrequency() : 0;
        total += p.seconds;
        parts.push_back(p);
    }
    const int listed = window.ListView1()->topLevelItemCount();

    bool ok = stoppedByItself && messages.isEmpty() && dropped == 0;
    bool partsOk = int(parts.size()) == expectedParts && listed == expectedParts;
    double worstPart = 0;
    for (size_t i = 0; i < parts.size(); ++i) {
        const double nominal =
            std::min<double>(o.splitSeconds, o.minutes * 60.0 - i * o.splitSeconds);
        worstPart = std::max(worstPart, std::abs(parts[i].seconds - nominal));
        const QTreeWidgetItem *row = window.ListView1()->topLevelItem(static_cast<int>(i));
        partsOk = partsOk && parts[i].readable && QFileInfo::exists(recDir + parts[i].name) &&
                  row != nullptr && row->text(0) == parts[i].name;
    }
    partsOk = partsOk && worstPart <= kBlockSeconds;
    const double tolerance = kBlockSeconds * std::max<size_t>(parts.size(), 1);
    const bool sumOk = std::abs(total - o.minutes * 60.0) <= tolerance &&
                       std::abs(total - wallSeconds) <= tolerance;
    // Memory once the first part is done against the end: the same, give or take.
    const size_t n = rssBySecond.size();
    const auto peak = [&](size_t from, size_t to) {
        double m = 0;
        for (size_t i = from; i < std::min(to, n); ++i) {
            m = std::max(m, rssBySecond[i]);
        }
        return m;
    };
    const size_t split = static_cast<size_t>(o.splitSeconds);
    const double early = peak(split, 2 * split);
    const double late = peak(n > split ? n - split : 0, n);
    const bool flat = n >= 2 * split && late - early < kMaxGrowthMb;
    ok = ok && partsOk && sumOk && flat;

    bench::TextTable t({"Soak check", "Measured", "Expected", ""});
    auto verdict = [](bool good) { return std::string(good ? "ok" : "FAILED"); };
    t.addRow({"parts present and listed in order",
              std::to_string(parts.size()) + " files, " + std::to_string(listed) + " listed",
              std::to_string(expectedParts), verdict(partsOk)});
    t.addRow({"worst part length error", bench::fixed(worstPart, 3) + " s",
              "<= " + bench::fixed(kBlockSeconds, 1) + " s", verdict(worstPart <= kBlockSeconds)});
    t.addRow({"sum of part lengths", bench::fixed(total, 2) + " s",
              bench::fixed(o.minutes * 60.0, 0) + " s (wall " + bench::fixed(wallSeconds, 2) +
                  " s) +- " + bench::fixed(tolerance, 1),
              verdict(sumOk)});
    t.addRow(
        {"frames dropped by the recorder", std::to_string(dropped), "0", verdict(dropped == 0)});
    t.addRow({"messages shown", std::to_string(messages.size()), "0", verdict(messages.isEmpty())});
    t.addRow({"RSS after part 1 / last part",
              bench::fixed(early, 1) + " / " + bench::fixed(late, 1) + " MB",
              "growth < " + bench::fixed(kMaxGrowthMb, 0) + " MB", verdict(flat)});
    std::printf("Soak: %d min of %s with auto split every %d s on the virtual card\n%s", o.minutes,
                qPrintable(o.format.toUpper()), o.splitSeconds, t.render(1).c_str());
    for (const QString &m : messages) {
        std::printf("message: %s\n", qPrintable(m));
    }
    setExecutableDirectoryForTesting(QString());
    return ok ? 0 : 1;
}
