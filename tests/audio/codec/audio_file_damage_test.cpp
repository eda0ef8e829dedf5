// Files that are missing, damaged or cut short, recordings whose writer died, and a disk
// that fills up: the file component reports errors and keeps what can be kept.
#include "audio/audio_file2.h"
#include "audio/codec/stream_repair.h"
#include "codec_test_support.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <functional>
#include <utility>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace codectest;

namespace {

constexpr int kRate = 44100;

QByteArray randomBytes(int n, uint32_t seed) {
    QByteArray b(n, '\0');
    for (char &c : b) {
        seed = seed * 1103515245u + 12345u;
        c = static_cast<char>(seed >> 24);
    }
    return b;
}

void writeBytes(const QString &path, const QByteArray &bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QByteArray readBytes(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Opens and reads to the end; must not hang or crash whatever the file holds.
int openAndDrain(const QString &path, int *frames = nullptr) {
    TAudioFile2 file;
    file.setWmaFormatEnabled(true);
    file.OpenFile(path, 0, 1);
    if (file.LastErrorNum() == 0) {
        const std::vector<int16_t> all = readToEnd(file);
        if (frames != nullptr) {
            *frames = static_cast<int>(all.size()) / file.ArrayChannels();
        }
        file.SeekFile(file.nSamples() / 2, 3);
        file.ReadFile(1000);
    }
    return file.LastErrorNum();
}

class DamageTest : public ::testing::Test {
protected:
    QString path(const QString &name) const { return dir.filePath(name); }

    // A valid file of each kind the writer or ffmpeg can make, 2 s of tone.
    QStringList makeValidFiles() {
        QStringList files;
        TAudioFile2 w;
        w.setWmaFormatEnabled(true);
        const std::vector<int16_t> t = tone(kRate, 2, kRate * 2, 440.0);
        w.SetFormatPCM(kRate, 2, 16);
        w.CreateFile(path(QStringLiteral("v.wav")), 0);
        w.WriteFile(SampleArray(2, t));
        w.SetFormatMP3(kRate, 128, 2);
        w.CreateFile(path(QStringLiteral("v.mp3")), 0);
        w.WriteFile(SampleArray(2, t));
        w.SetFormatWMA(38);
        w.CreateFile(path(QStringLiteral("v.wma")), 0);
        w.WriteFile(SampleArray(2, t));
        w.CloseFile();
        files << path(QStringLiteral("v.wav")) << path(QStringLiteral("v.mp3"))
              << path(QStringLiteral("v.wma"));
        if (haveTool(QStringLiteral("ffmpeg"))) {
            const QString src = path(QStringLiteral("v.wav"));
            const struct {
                const char *name;
                const char *args;
            } made[] = {{"v.mp2", "-c:a mp2"},
                        {"v.ogg", "-c:a libvorbis"},
                        {"v.avi", "-c:a pcm_s16le"},
                        {"v.mpeg", "-c:a mp2 -f mpeg"}};
            for (const auto &m : made) {
                QStringList args{QStringLiteral("-i"), src};
                args += QString::fromLatin1(m.args).split(QLatin1Char(' '));
                args += path(QLatin1String(m.name));
                if (ffmpeg(args)) {
                    files << path(QLatin1String(m.name));
                }
            }
        }
        return files;
    }

    QTemporaryDir dir;
};

TEST_F(DamageTest, MissingEmptyAndUnreadableFilesFail) {
    TAudioFile2 file;
    file.OpenFile(path(QStringLiteral("nothing-here.mp3")), 0, 1);
    EXPECT_NE(file.LastErrorNum(), 0);
    EXPECT_FALSE(file.LastErrorText().isEmpty());
    EXPECT_EQ(file.nSamples(), 0);
    EXPECT_TRUE(file.ReadFile(100).isEmpty());

    file.OpenFile(dir.path(), 0, 1);  // a directory
    EXPECT_NE(file.LastErrorNum(), 0);

    for (const char *ext :
         {"wav", "mp3", "mp2", "mp1", "mpeg", "wma", "ogg", "avi", "g721", "mpc", "mp+"}) {
        const QString empty = path(QStringLiteral("empty.") + QLatin1String(ext));
        writeBytes(empty, QByteArray());
        EXPECT_NE(openAndDrain(empty), 0) << ext;
    }

    if (geteuid() != 0) {  // root reads anything
        const QString locked = path(QStringLiteral("locked.wav"));
        writeBytes(locked, readBytes(QStringLiteral("/dev/null")));
        QFile::setPermissions(locked, QFileDevice::Permissions());
        file.OpenFile(locked, 0, 1);
        EXPECT_NE(file.LastErrorNum(), 0);
    }
}

TEST_F(DamageTest, GarbageWithAnyAudioExtensionFails) {
    // Raw G.721 has no structure at all: any bytes decode (as noise), so it is not listed.
    for (const char *ext :
         {"wav", "mp3", "mp2", "mp1", "mpeg", "wma", "ogg", "avi", "mpc", "mp+"}) {
        for (uint32_t seed : {1u, 2u, 3u}) {
            const QString garbage =
                path(QStringLiteral("garbage%1.").arg(seed) + QLatin1String(ext));
            writeBytes(garbage, randomBytes(64 * 1024, seed));
            EXPECT_NE(openAndDrain(garbage), 0) << ext << " seed " << seed;
        }
        const QString text = path(QStringLiteral("text.") + QLatin1String(ext));
        writeBytes(text, QByteArray("This is not a sound file.\n").repeated(500));
        EXPECT_NE(openAndDrain(text), 0) << ext;
    }
}

TEST_F(DamageTest, FilesCutInsideTheirHeaderFailAndCutLaterStillPlay) {
    for (const QString &valid : makeValidFiles()) {
        const QByteArray bytes = readBytes(valid);
        for (const int keep : {4, 16, 40}) {
            const QString cut = valid + QStringLiteral(".cut%1").arg(keep);
            writeBytes(cut, bytes.left(keep));
            EXPECT_NE(openAndDrain(cut), 0) << valid.toStdString() << " cut to " << keep;
        }
        if (valid.endsWith(QLatin1String(".ogg"))) {
            continue;  // FFmpeg's Ogg reader refuses a file that ends mid-page
        }
        // Cut in the middle of the audio: what is there can still be read.
        const QString half = valid + QStringLiteral(".half");
        writeBytes(half, bytes.left(bytes.size() / 2));
        int frames = 0;
        EXPECT_EQ(openAndDrain(half, &frames), 0) << valid.toStdString();
        EXPECT_GT(frames, kRate / 2) << valid.toStdString();
        EXPECT_LT(frames, kRate * 2) << valid.toStdString();
    }
}

// Files whose end is missing (a copy or download that stopped): the length reported when
// the file opens is exactly what reading delivers, so playback ends cleanly at the real end
// and the list shows the real time. MP3's Xing tag and ASF's header still claim the whole.
TEST_F(DamageTest, FilesCutShortReportTheLengthReadingDelivers) {
    QStringList files = makeValidFiles();
    if (haveTool(QStringLiteral("lame"))) {
        for (const char *mode : {"-V2", "-b128"}) {
            const QString mp3 = path(QStringLiteral("lame%1.mp3").arg(QLatin1String(mode)));
            if (!runTool(QStringLiteral("lame"), {QStringLiteral("--quiet"), QLatin1String(mode),
                                                  path(QStringLiteral("v.wav")), mp3})
                     .isNull()) {
                files << mp3;
            }
        }
    }
    if (haveTool(QStringLiteral("ffmpeg"))) {
        const QString wma = path(QStringLiteral("ffmpeg.wma"));
        if (ffmpeg({QStringLiteral("-i"), path(QStringLiteral("v.wav")), QStringLiteral("-c:a"),
                    QStringLiteral("wmav2"), wma})) {
            files << wma;
        }
    }
    for (const QString &valid : files) {
        if (valid.endsWith(QLatin1String(".ogg"))) {
            continue;  // FFmpeg's Ogg reader refuses a file that ends mid-page
        }
        const QByteArray bytes = readBytes(valid);
        int whole = 0;
        for (const int percent : {100, 99, 90, 50}) {
            SCOPED_TRACE(QStringLiteral("%1 cut to %2 %").arg(valid).arg(percent).toStdString());
            const QString cut = valid + QStringLiteral(".%1").arg(percent);
            writeBytes(cut, bytes.left(static_cast<int>(int64_t{bytes.size()} * percent / 100)));
            TAudioFile2 file;
            file.setWmaFormatEnabled(true);
            file.OpenFile(cut, 0, 1);
            ASSERT_EQ(file.LastErrorNum(), 0) << file.LastErrorText().toStdString();
            const int length = file.nSamples();
            const int frames =
                static_cast<int>(readToEnd(file).size()) / std::max(1, file.ArrayChannels());
            EXPECT_EQ(frames, length);
            EXPECT_EQ(file.nSamples(), length);
            if (percent == 100) {
                EXPECT_NEAR(length, kRate * 2, kRate / 20);
                whole = length;
            } else {
                // The last 1 % may be an index rather than audio.
                EXPECT_LE(length, whole);
                EXPECT_LT(length, whole * (percent + 10) / 100);
            }
            // From the middle to the end as well (a seek that lands before the real end).
            file.SeekFile(length / 2, 3);
            EXPECT_EQ(static_cast<int>(readToEnd(file).size()) / file.ArrayChannels(),
                      length - length / 2);
        }
    }
}

TEST_F(DamageTest, DamagedMiddleNeitherCrashesNorHangs) {
    for (const QString &valid : makeValidFiles()) {
        QByteArray bytes = readBytes(valid);
        const QByteArray junk = randomBytes(4096, 7);
        bytes.replace(bytes.size() / 3, junk.size(), junk);
        const QString damaged = valid + QStringLiteral(".damaged");
        writeBytes(damaged, bytes);
        openAndDrain(damaged);  // any outcome but a crash or a hang is fine
    }
}

TEST_F(DamageTest, RecordingCopiedWhileTheWriterRunsIsReadable) {
    // A copy taken while the file is open shows what a crash would leave on disk.
    const std::vector<int16_t> input = tone(kRate, 2, kRate * 5 / 2, 440.0);
    for (const char *name : {"open.wav", "open.mp3", "open.wma"}) {
        TAudioFile2 writer;
        writer.setWmaFormatEnabled(true);
        const QString n = QString::fromLatin1(name);
        if (n.endsWith(QLatin1String("wav"))) {
            writer.SetFormatPCM(kRate, 2, 16);
        } else if (n.endsWith(QLatin1String("mp3"))) {
            writer.SetFormatMP3(kRate, 128, 2);
        } else {
            writer.SetFormatWMA(38);
        }
        writer.CreateFile(path(QLatin1String(name)), 0);
        writeInBlocks(writer, input, 2, kRate);
        const QString copy = path(QStringLiteral("copy-") + QLatin1String(name));
        ASSERT_TRUE(QFile::copy(path(QLatin1String(name)), copy));

        TAudioFile2 reader;
        reader.OpenFile(copy, 0, 1);
        ASSERT_EQ(reader.LastErrorNum(), 0) << name << reader.LastErrorText().toStdString();
        const std::vector<int16_t> back = readToEnd(reader);
        const int frames = static_cast<int>(back.size() / 2);
        EXPECT_GE(frames, kRate * 3 / 2) << name << ": all but the last second";
        EXPECT_LE(frames, kRate * 5 / 2 + 2 * 2048) << name;
        EXPECT_EQ(reader.nSamples(), frames) << name;
        if (QString::fromLatin1(name).endsWith(QLatin1String("wav"))) {
            EXPECT_EQ(frames, kRate * 5 / 2);
            EXPECT_TRUE(std::equal(back.begin(), back.end(), input.begin()));
        } else {
            EXPECT_NEAR(dominantFrequency(back, 2, kRate), 440.0, 5.0);
        }
        writer.CloseFile();
    }
}

// Writes in a child process whose file size limit is `limit` bytes, as a full disk would
// stop it. The child exits 0 when the writer reported the failure.
int writeUntilFull(const QString &file, int format, off_t limit) {
    const pid_t pid = fork();
    if (pid == 0) {
        signal(SIGXFSZ, SIG_IGN);
        struct rlimit rl {};
        rl.rlim_cur = rl.rlim_max = static_cast<rlim_t>(limit);
        setrlimit(RLIMIT_FSIZE, &rl);
        int code = 1;
        {
            TAudioFile2 writer;
            writer.setWmaFormatEnabled(true);
            switch (format) {
                case 0:
                    writer.SetFormatPCM(kRate, 2, 16);
                    break;
                case 1:
                    writer.SetFormatMP3(kRate, 128, 2);
                    break;
                case 2:
                    writer.SetFormatWMA(38);
                    break;
                case 3:
                    writer.SetFormatFLAC(kRate, 2);
                    break;
                case 4:
                    writer.SetFormatOpus(128, 2);
                    break;
                default:
                    writer.SetFormatVorbis(5, kRate, 2);
                    break;
            }
            writer.CreateFile(file, 0);
            const SampleArray block(2, tone(kRate, 2, kRate / 5, 440.0));
            for (int i = 0; i < 1000 && writer.LastErrorNum() == 0; ++i) {
                writer.WriteFile(block);
            }
            const bool reported = writer.LastErrorNum() != 0 && !writer.LastErrorText().isEmpty();
            writer.CloseFile();
            code = reported && writer.LastErrorNum() != 0 ? 0 : 2;
        }
        _exit(code);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The ASF header's File Properties: file size and length in seconds (play duration less
// preroll); zeros when there is no such header.
std::pair<quint64, double> asfHeaderFacts(const QString &file) {
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly)) {
        return {0, 0.0};
    }
    const QByteArray head = f.read(1 << 16);
    const int at = head.indexOf(QByteArray::fromHex("a1dcab8c47a9cf118ee400c00c205365"));
    if (at < 0 || at + 88 > head.size()) {
        return {0, 0.0};
    }
    auto le64 = [&](int offset) {
        quint64 v = 0;
        for (int i = 7; i >= 0; --i) {
            v = v << 8 | static_cast<quint8>(head[at + offset + i]);
        }
        return v;
    };
    return {le64(40), (static_cast<double>(le64(64)) - le64(80) * 1e4) / 1e7};
}

TEST_F(DamageTest, FullDiskIsReportedAndTheFileStaysValid) {
    const off_t limit = 300 * 1024;
    const struct {
        const char *name;
        int format;
    } cases[] = {{"full.wav", 0}, {"full.mp3", 1}, {"full.wma", 2}};
    for (const auto &c : cases) {
        const QString file = path(QLatin1String(c.name));
        ASSERT_EQ(writeUntilFull(file, c.format, limit), 0) << c.name;
        EXPECT_LE(QFileInfo(file).size(), limit);
        int frames = 0;
        EXPECT_EQ(openAndDrain(file, &frames), 0) << c.name;
        EXPECT_GT(frames, kRate / 2) << c.name << ": what fitted is kept";
        if (c.format == 2) {
            // Its header tells the truth about what is left, for every other reader.
            const auto [size, seconds] = asfHeaderFacts(file);
            EXPECT_EQ(size, static_cast<quint64>(QFileInfo(file).size()));
            EXPECT_NEAR(seconds, static_cast<double>(frames) / kRate, 0.1);
            if (haveTool(QStringLiteral("ffprobe"))) {
                const double probed =
                    runTool(QStringLiteral("ffprobe"),
                            {QStringLiteral("-v"), QStringLiteral("error"),
                             QStringLiteral("-show_entries"), QStringLiteral("format=duration"),
                             QStringLiteral("-of"), QStringLiteral("csv=p=0"), file})
                        .trimmed()
                        .toDouble();
                EXPECT_NEAR(probed, seconds, 0.1);
            }
        }
    }
    // The WAV holds exactly the whole frames that fitted.
    TAudioFile2 wav;
    wav.OpenFile(path(QStringLiteral("full.wav")), 0, 1);
    EXPECT_EQ(wav.nSamples(), (limit - 44) / 4);
}

// Standard output and error of a tool together, and whether it exited with 0.
std::pair<bool, QString> toolVerdict(const QString &program, const QStringList &args) {
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, args);
    const bool ran = p.waitForFinished(120000) && p.exitStatus() == QProcess::NormalExit;
    return {ran && p.exitCode() == 0, QString::fromUtf8(p.readAll())};
}

// What the FLAC, Opus and Vorbis writers leave when the disk fills: what fitted, cut to whole
// frames or pages, with a header that states its length, so that the strict checkers pass.
TEST_F(DamageTest, FullDiskLeavesValidEncodedFiles) {
    const off_t limit = 200 * 1024 + 333;  // never on a frame or page boundary
    const struct {
        const char *name;
        int format;
    } cases[] = {{"full.flac", 3}, {"full.opus", 4}, {"full.ogg", 5}, {"odd.mp3", 1}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const QString file = path(QLatin1String(c.name));
        ASSERT_EQ(writeUntilFull(file, c.format, limit), 0);
        EXPECT_LT(QFileInfo(file).size(), limit) << "the partial frame or page is cut off";
        int frames = 0;
        EXPECT_EQ(openAndDrain(file, &frames), 0);
        EXPECT_GT(frames, kRate / 2) << "what fitted is kept";
        std::printf("%s: %lld of %lld bytes kept, %d frames decode\n", c.name,
                    static_cast<long long>(QFileInfo(file).size()), static_cast<long long>(limit),
                    frames);
        TAudioFile2 reader;
        reader.OpenFile(file, 0, 1);
        EXPECT_EQ(reader.nSamples(), frames) << "the stated length is the decoded one";
        reader.CloseFile();

        if (haveTool(QStringLiteral("ffmpeg"))) {
            const auto [ok, out] =
                toolVerdict(QStringLiteral("ffmpeg"),
                            {QStringLiteral("-v"), QStringLiteral("error"),
                             QStringLiteral("-xerror"), QStringLiteral("-i"), file,
                             QStringLiteral("-f"), QStringLiteral("null"), QStringLiteral("-")});
            EXPECT_TRUE(ok && out.trimmed().isEmpty()) << out.toStdString();
        }
        QString checker;
        if (c.format == 3) {
            checker = QStringLiteral("flac");
        } else if (c.format == 4) {
            checker = QStringLiteral("opusinfo");
        } else if (c.format == 5) {
            checker = QStringLiteral("ogginfo");
        }
        if (!checker.isEmpty() && haveTool(checker)) {
            const QStringList args =
                c.format == 3 ? QStringList{QStringLiteral("-t"), file} : QStringList{file};
            auto [ok, out] = toolVerdict(checker, args);
            EXPECT_TRUE(ok) << out.toStdString();
            // The MD5 covered samples that did not fit; it is cleared, which means "unknown".
            out.remove(QLatin1String("WARNING, cannot check MD5 signature since it was unset"));
            EXPECT_FALSE(out.contains(QLatin1String("WARNING")) ||
                         out.contains(QLatin1String("ERROR")))
                << out.toStdString();
        }
    }
}

}  // namespace

namespace {

int64_t flacStreamInfoTotal(const QByteArray &bytes) {
    const auto *u = reinterpret_cast<const uint8_t *>(bytes.constData()) + 8 + 13;
    return int64_t{u[0] & 0x0F} << 32 | int64_t{u[1]} << 24 | int64_t{u[2]} << 16 |
           int64_t{u[3]} << 8 | u[4];
}

// The header type of the last page, found from the end.
int lastOggPageFlags(const QByteArray &bytes) {
    const int at = bytes.lastIndexOf("OggS");
    return at >= 0 && at + 5 < bytes.size() ? static_cast<uint8_t>(bytes[at + 5]) : -1;
}

}  // namespace

// A take cut anywhere (a crash, a kill, a full disk) is repaired into a file whose stated
// length is what decodes; a finished file and a repaired one are left as they are.
TEST_F(DamageTest, CutTakesAreRepairedToWholeFramesAndPages) {
    using namespace korvanta::codec;
    const struct {
        const char *name;
        std::function<void(TAudioFile2 &)> choose;
    } kinds[] = {
        {"take.flac", [](TAudioFile2 &f) { f.SetFormatFLAC(kRate, 2); }},
        {"take.opus", [](TAudioFile2 &f) { f.SetFormatOpus(96, 2); }},
        {"take.ogg", [](TAudioFile2 &f) { f.SetFormatVorbis(4, kRate, 2); }},
        {"take.mp3", [](TAudioFile2 &f) { f.SetFormatMP3(kRate, 128, 2); }},
    };
    for (const auto &kind : kinds) {
        SCOPED_TRACE(kind.name);
        const QString whole = path(QLatin1String(kind.name));
        {
            TAudioFile2 writer;
            kind.choose(writer);
            writer.CreateFile(whole, 0);
            // In blocks, as a recording writes: Ogg pages end at least every half second.
            const SampleArray block(2, tone(kRate, 2, kRate / 10, 440.0));
            for (int i = 0; i < 60; ++i)
                writer.WriteFile(block);
            writer.CloseFile();
            ASSERT_EQ(writer.LastErrorNum(), 0);
        }
        const QByteArray bytes = readBytes(whole);
        EXPECT_EQ(repairStreamFile(whole).outcome, StreamRepair::Intact);
        EXPECT_EQ(readBytes(whole), bytes) << "a finished file is left alone";

        int lastFrames = 0;
        for (const double share : {0.3, 0.55, 0.8, 0.97}) {
            SCOPED_TRACE(share);
            const QString cut = path(QStringLiteral("cut-") + QLatin1String(kind.name));
            const int size = static_cast<int>(bytes.size() * share);
            writeBytes(cut, bytes.left(size));
            const StreamRepairResult result = repairStreamFile(cut);
            EXPECT_EQ(result.outcome, StreamRepair::Repaired);
            EXPECT_LE(result.bytesKept, size);
            const QByteArray repaired = readBytes(cut);
            EXPECT_EQ(repaired.size(), result.bytesKept);
            int frames = 0;
            ASSERT_EQ(openAndDrain(cut, &frames), 0);
            TAudioFile2 reader;
            reader.OpenFile(cut, 0, 1);
            EXPECT_EQ(reader.nSamples(), frames) << "the stated length is the decoded one";
            reader.CloseFile();
            EXPECT_GT(frames, lastFrames) << "a later cut keeps more";
            // A pure tone packs tightly after the large Vorbis headers, so a cut at a share of
            // the bytes lands later in the sound than the same share of it.
            EXPECT_GT(frames, (share * 6 - 1.5) * kRate) << "no more than a page is lost";
            lastFrames = frames;
            if (kind.name == std::string("take.flac")) {
                EXPECT_EQ(flacStreamInfoTotal(repaired), frames);
                EXPECT_EQ(result.framesKept, frames);
            } else if (bytes.startsWith("OggS")) {
                EXPECT_EQ(lastOggPageFlags(repaired) & 4, 4) << "the last page ends the stream";
            } else {
                EXPECT_NEAR(result.framesKept, frames, 1152 * 2);
            }
            EXPECT_EQ(repairStreamFile(cut).outcome, StreamRepair::Intact);
            EXPECT_EQ(readBytes(cut), repaired) << "a second repair changes nothing";
        }
    }
    // What is none of these formats, or too short to be one, is never changed.
    const QByteArray text("not audio at all, just some text");
    writeBytes(path(QStringLiteral("t.flac")), "fLaC" + text);
    writeBytes(path(QStringLiteral("t.mp3")), text);
    EXPECT_EQ(repairStreamFile(path(QStringLiteral("t.mp3"))).outcome, StreamRepair::NotThisFormat);
    EXPECT_EQ(readBytes(path(QStringLiteral("t.mp3"))), text);
    EXPECT_EQ(repairStreamFile(path(QStringLiteral("t.flac"))).outcome, StreamRepair::Failed);
    EXPECT_EQ(readBytes(path(QStringLiteral("t.flac"))), "fLaC" + text);
}
