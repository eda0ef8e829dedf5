// The Open dialog's file types: the program's own recordings and the other files it plays
// are all found under "All audio files" and under an entry of their own, and "All files"
// comes last for anything else.
#include "tests/support/window_fixture.h"

#include <QAction>
#include <QComboBox>
#include <QFileDialog>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

namespace {

// One second of tone written by the program in the format of `path`'s extension.
bool recordLikeTheProgram(const QString &path) {
    TAudioFile2 file;
    file.setWmaFormatEnabled(true);
    const QString ext = QFileInfo(path).suffix();
    if (ext == QLatin1String("wav"))
        file.SetFormatPCM(44100, 2, 16);
    else if (ext == QLatin1String("mp3"))
        file.SetFormatMP3(44100, 128, 2);
    else if (ext == QLatin1String("wma"))
        file.SetFormatWMA(38);
    else if (ext == QLatin1String("flac"))
        file.SetFormatFLAC(44100, 2);
    else if (ext == QLatin1String("opus"))
        file.SetFormatOpus(96, 2);
    else
        file.SetFormatVorbis(5, 44100, 2);
    file.CreateFile(path, 0);
    std::vector<int16_t> samples(44100 * 2);
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = static_cast<int16_t>(8000 * std::sin(double(i / 2) * 0.06));
    file.WriteFile(SampleArray(2, samples));
    file.CloseFile();
    return file.LastErrorNum() == 0;
}

// A file made by the ffmpeg tool from `source`, with `args` for the output.
bool makeWithFfmpeg(const QString &source, const QString &path, const QStringList &args) {
    QProcess p;
    p.start(QStringLiteral("ffmpeg"),
            QStringList{QStringLiteral("-loglevel"), QStringLiteral("error"), QStringLiteral("-y"),
                        QStringLiteral("-i"), source} +
                args + QStringList{path});
    return p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

// "Description (*.a *.b)" to its patterns.
QStringList patternsOf(const QString &filter) {
    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral("\\(([^()]*)\\)$")).match(filter);
    return m.captured(1).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

class OpenDialogTest : public WindowFixture {
protected:
    // The file types the Open dialog offers, in order.
    QStringList offeredTypes(TForm1 &w) {
        QStringList types;
        QTimer::singleShot(0, &w, [&] {
            auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            types = dialog->nameFilters();
            dialog->reject();
        });
        w.Open1->trigger();
        return types;
    }
};

TEST_F(OpenDialogTest, TheProgramsOwnRecordingsAndEveryFileItPlaysAreOffered) {
    TForm1 &w = openWindow();
    const QStringList types = offeredTypes(w);
    ASSERT_GE(types.size(), 8) << qPrintable(types.join(u'|'));
    const QStringList established{
        QStringLiteral("All audio files (*.wav *.mp3 *.wma *.ogg *.mp2 *.mp1 *.mpeg *.avi *.g721 "
                       "*.mp+ *.mpc"),
        QStringLiteral("Wav files (*.wav)"),
        QStringLiteral("MPEG files (*.mp3 *.mp2 *.mp1 *.mpeg)"),
        QStringLiteral("Ogg Vorbis files (*.ogg)"),
        QStringLiteral("AVI files (*.avi)"),
        QStringLiteral("G721 files (*.g721)"),
        QStringLiteral("MPPlus files (*.mpc *.mp+)"),
        QStringLiteral("WMA files (*.wma)")};
    EXPECT_TRUE(types[0].startsWith(established[0])) << qPrintable(types[0]);
    EXPECT_EQ(types.mid(1, 7), established.mid(1)) << "the entries users know, in their order";
    EXPECT_EQ(types.last(), QStringLiteral("All files (*)"));

    // Each file the program records, and the others it plays, in a folder as a user has them.
    const QString folder = dir_.filePath(QStringLiteral("takes"));
    ASSERT_TRUE(QDir().mkpath(folder));
    QStringList files;
    for (const char *ext : {"wav", "mp3", "wma", "flac", "opus", "ogg"}) {
        const QString take = folder + QStringLiteral("/Untitled1.") + QLatin1String(ext);
        ASSERT_TRUE(recordLikeTheProgram(take)) << ext;
        files << take;
    }
    if (!QStandardPaths::findExecutable(QStringLiteral("ffmpeg")).isEmpty()) {
        const QString source = files.first();
        const std::pair<const char *, const char *> made[] = {
            {"aac.m4a", "-c:a aac"},
            {"adts.aac", "-c:a aac -f adts"},
            {"alac.m4a", "-c:a alac"},
            {"opus.oga", "-c:a libopus"},
            {"flac.oga", "-c:a flac"},
            {"pcm.aiff", "-c:a pcm_s16be"},
            {"pcm.aif", "-c:a pcm_s16be -f aiff"}};
        for (const auto &[name, args] : made) {
            const QString path = folder + QLatin1Char('/') + QLatin1String(name);
            if (makeWithFfmpeg(source, path, QString::fromLatin1(args).split(u' ')))
                files << path;
        }
    }
    const QStringList allAudio = patternsOf(types.first());
    for (const QString &path : files) {
        const QString name = QFileInfo(path).fileName();
        TAudioFile2 reader;
        reader.setWmaFormatEnabled(true);
        reader.OpenFile(path, 0, 1);
        ASSERT_EQ(reader.LastErrorNum(), 0) << qPrintable(name) << " does not play";
        EXPECT_TRUE(QDir::match(allAudio, name)) << qPrintable(name) << " not an audio file";
        const auto own = std::find_if(types.begin() + 1, types.end() - 1, [&](const QString &t) {
            return QDir::match(patternsOf(t), name);
        });
        EXPECT_NE(own, types.end() - 1) << qPrintable(name) << " has no entry of its own";
    }
    EXPECT_GE(files.size(), 6);
}

}  // namespace
