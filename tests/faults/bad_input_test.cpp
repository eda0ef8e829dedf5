// Inputs nobody should give, given anyway: every text field of the dialogs, setup.ini and
// tips.txt in shapes no editor would leave, and list rows whose files are gone. The program
// must answer with its messages or quietly carry on, never crash or hang.
#include "audio/audio_file2.h"
#include "extras/tip_form.h"
#include "files/rename_form.h"
#include "mixer/rec_flt_form.h"
#include "settings/dialogs/setting_form.h"
#include "settings/dialogs/time_limit_form.h"
#include "settings/ini_file.h"
#include "tests/settings/modal_answerer.h"
#include "tests/support/test_settings.h"
#include "tests/support/watchdog.h"
#include "tests/support/window_fixture.h"

#include <QAction>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRandomGenerator>
#include <QSlider>
#include <QTextEdit>

#include <array>
#include <chrono>
#include <cstring>
#include <functional>
#include <memory>
#include <type_traits>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

using testsupport::ModalAnswerer;
using testsupport::spin;
using testsupport::waitUntil;
using namespace std::chrono_literals;

namespace {

#ifdef __SANITIZE_ADDRESS__
constexpr int kStartUpLimitMs = 30000;
#else
constexpr int kStartUpLimitMs = 5000;  // a 10 MB setup.ini takes under a second
#endif

// Texts that are not what a field asks for.
QStringList badTexts() {
    return {QString(),
            QStringLiteral("   "),
            QStringLiteral("abc"),
            QStringLiteral("12abc"),
            QStringLiteral("1e3"),
            QStringLiteral("99999999999999999999"),
            QStringLiteral("-99999999999"),
            QStringLiteral("2147483647"),
            QString(4000, u'9'),
            QString(4000, u'x'),
            QStringLiteral("\u0663\u0664")};  // digits of another script
}

MainWindowHooks noHooks() {
    return {[](bool, const QString &) {}, [] {}};
}

QByteArray fileBytes(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A short WAV file of silence.
void writeWav(const QString &path) {
    TAudioFile2 file;
    file.SetFormatPCM(8000, 1, 16);
    file.CreateFile(path, 0);
    file.WriteFile(SampleArray(1, std::vector<int16_t>(8000, 0)));
    file.CloseFile();
}

// A Unix socket bound at `path`; returns its descriptor or -1.
int bindSocket(const QString &path) {
    const QByteArray name = QFile::encodeName(path);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    if (fd < 0 || name.size() >= static_cast<qsizetype>(sizeof addr.sun_path)) {
        return -1;
    }
    std::memcpy(addr.sun_path, name.constData(), static_cast<size_t>(name.size()));
    if (::bind(fd, reinterpret_cast<sockaddr *>(&addr), sizeof addr) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

}  // namespace

class BadInputTest : public WindowFixture {
protected:
    QString iniPath() const { return dir_.filePath(QStringLiteral("setup.ini")); }

    // The two dialogs take the settings they edit: Options both, the time limit the recording's.
    template <typename Dialog>
    static std::unique_ptr<Dialog> makeDialog() {
        if constexpr (std::is_same_v<Dialog, TSettingForm>)
            return std::make_unique<Dialog>(testRecordingSettings(), testCaptureSettings(),
                                            noHooks(), nullptr);
        else
            return std::make_unique<Dialog>(testRecordingSettings(), noHooks(), nullptr);
    }

    // Opens a dialog, lets `fill` put one bad text in, presses OK and checks the outcome:
    // refused with exactly one message and the dialog still open, setup.ini untouched; or
    // taken without a word.
    template <typename Dialog>
    void confirmWith(const QString &what, const std::function<void(Dialog &)> &fill) {
        SCOPED_TRACE(what.left(60).toStdString());
        writeIni("[options]\nsavepath=" + dir_.path().toUtf8() + "/rec/\n");
        testRecordingSettings() = RecordingSettings();
        LoadRecordingSettings(testRecordingSettings(), iniPath());
        const QByteArray before = fileBytes(iniPath());
        ModalAnswerer answerer;
        const std::unique_ptr<Dialog> owned = makeDialog<Dialog>();
        Dialog &dialog = *owned;
        dialog.show();
        fill(dialog);
        dialog.BtnOK->click();
        spin(30);
        if (dialog.isVisible()) {
            EXPECT_EQ(answerer.messages.size(), 1u);
            EXPECT_EQ(fileBytes(iniPath()), before);
            return;
        }
        EXPECT_TRUE(answerer.messages.empty());
    }
};

TEST_F(BadInputTest, EveryNumberFieldOfTheSettingsDialogsRefusesOrTakesBadTextSafely) {
    using Field = QLineEdit *TSettingForm::*;
    const Field settingFields[] = {&TSettingForm::Edit1, &TSettingForm::Edit2, &TSettingForm::Edit3,
                                   &TSettingForm::Edit4, &TSettingForm::Edit5};
    for (const Field field : settingFields) {
        for (const QString &text : badTexts()) {
            confirmWith<TSettingForm>(text, [&](TSettingForm &form) {
                form.RBLimit->click();
                form.Edit1->setText(QStringLiteral("0"));
                form.Edit2->setText(QStringLiteral("1"));
                form.Edit3->setText(QStringLiteral("0"));
                form.CheckSplit->click();
                form.Edit4->setText(QStringLiteral("1"));
                form.Edit5->setText(QStringLiteral("0"));
                (form.*field)->setText(text);
            });
        }
    }
    using LimitField = QLineEdit *TTimeLimitForm::*;
    for (const LimitField field :
         {&TTimeLimitForm::Edit1, &TTimeLimitForm::Edit2, &TTimeLimitForm::Edit3}) {
        for (const QString &text : badTexts()) {
            confirmWith<TTimeLimitForm>(text, [&](TTimeLimitForm &form) {
                form.RBLimit->click();
                (form.*field)->setText(text);
            });
        }
    }
}

TEST_F(BadInputTest, FilterFrequencyBoxesEndUpShowingAFrequencyTheSliderHolds) {
    TForm1 &w = openWindow();
    TfrmRecFlt filters(*w.AudioRecord1, &w);
    for (int row = TfrmRecFlt::kNotch; row <= TfrmRecFlt::kLowPass; ++row) {
        QLineEdit *edit = std::array{filters.Edit1, filters.Edit2, filters.Edit3}[row];
        QSlider *slider = std::array{filters.TrackBar1, filters.TrackBar2, filters.TrackBar3}[row];
        for (const QString &text : badTexts()) {
            edit->setText(text);
            filters.EditExit(row);
            bool ok = false;
            const int shown = edit->text().toInt(&ok);
            EXPECT_TRUE(ok && shown >= slider->minimum() && shown <= slider->maximum())
                << text.left(40).toStdString() << " -> " << edit->text().toStdString();
        }
    }
}

// Tag fields of any length go into every format the program records, or are refused with
// the editor's own messages.
TEST_F(BadInputTest, TagFieldsOfFourThousandCharactersAreWrittenOrRefusedInEveryFormat) {
    for (const char *format : {".wav", ".mp3", ".wma"}) {
        SCOPED_TRACE(format);
        writeIni("[options]\nsaveformat=" + QByteArray(format) + "\ntimelimit=1\n");
        testRecordingSettings() = RecordingSettings();
        TForm1 &w = openWindow();
        w.Record1Click();
        ASSERT_TRUE(waitUntil([&] { return !w.flgRecord; }, 3000));
        w.ListView1()->setCurrentItem(w.ListView1()->topLevelItem(0));
        answerMessageBoxes(QMessageBox::Ok);

        const QString longText = QString(3999, u'\u00e9') + u'!';
        for (QLineEdit *field :
             {w.infoTitle(), w.infoArtist(), w.infoAlbum(), w.infoCopyright(), w.infoComment()})
            field->setText(longText);
        for (const QString &year : {QString(4000, u'9'), QStringLiteral("abc"), QString()}) {
            w.infoYear()->setText(year);
            w.btnApplyClick();
        }
        w.infoYear()->setText(QStringLiteral("2024"));
        w.infoTrack()->setText(QString(4000, u'1'));
        w.btnApplyClick();
        spin(50);
        EXPECT_EQ(messages_, (QStringList{QStringLiteral("Invalid Year Value"),
                                          QStringLiteral("Invalid Year Value"),
                                          QStringLiteral("Invalid Year Value"),
                                          QStringLiteral("Invalid Track Value")}));
        messages_.clear();

        w.infoTrack()->setText(QStringLiteral("7"));
        w.btnApplyClick();
        spin(50);
        EXPECT_TRUE(messages_.isEmpty()) << messages_.join(u'|').toStdString();
        w.btnResetClick();
        // Whatever the format keeps of the text, it is the start of what was typed, and the
        // recording still plays in full.
        EXPECT_FALSE(w.infoTitle()->text().isEmpty());
        EXPECT_TRUE(longText.startsWith(w.infoTitle()->text()));
        EXPECT_EQ(w.infoYear()->text(), QStringLiteral("2024"));
        int channels = 0, frequency = 0;
        const auto samples = readAll(w.SelectFileName(), &channels, &frequency);
        ASSERT_GT(channels, 0);
        EXPECT_NEAR(double(samples.size()) / channels / frequency, 1.0, 0.25);
        window_.reset();
        QDir(recordingDir()).removeRecursively();
    }
}

TEST_F(BadInputTest, ASavePathOfAnyTextIsTakenAndARecordingThereFailsWithAMessage) {
    for (const QString &text : {QString(4000, u'x'), QStringLiteral("relative/\u00e9\u4e2d"),
                                QStringLiteral("/dev/null")}) {
        SCOPED_TRACE(text.left(40).toStdString());
        testRecordingSettings() = RecordingSettings();
        {
            ModalAnswerer answerer;
            TSettingForm form(testRecordingSettings(), testCaptureSettings(), noHooks(), nullptr);
            form.show();
            form.RBWAV->click();
            form.EdSavePath->setText(text);
            form.BtnOK->click();
            EXPECT_TRUE(answerer.messages.empty());
        }
        TForm1 &w = openWindow();
        testRecordingSettings().SavePath = text + u'/';
        answerMessageBoxes(QMessageBox::Ok);
        w.Record1Click();
        spin(400);
        if (w.flgRecord) {  // a folder that could be made: a normal recording
            w.Stop1Click();
            EXPECT_TRUE(messages_.isEmpty());
            QDir(QStringLiteral("relative")).removeRecursively();
        } else {
            EXPECT_EQ(messages_.size(), 1) << messages_.join(u'|').toStdString();
            EXPECT_TRUE(listedFiles().isEmpty());
        }
        messages_.clear();
        window_.reset();
    }
}

TEST_F(BadInputTest, RenameRefusesBlankAndImpossibleNamesAndKeepsTheRowTrue) {
    TForm1 &w = openWindow();
    TRenameForm renameForm(&w);
    w.setRenameForm(&renameForm);
    const QString folder = dir_.path() + u'/';
    writeWav(folder + QStringLiteral("take.wav"));
    w.ListFile(folder + QStringLiteral("take.wav"));
    w.ListView1()->setCurrentItem(w.ListView1()->topLevelItem(0));
    answerMessageBoxes(QMessageBox::Ok);

    for (const QString &typed :
         {QString(), QString(4000, u'x'), QStringLiteral("a/b"), QStringLiteral("nul\u0000char")}) {
        SCOPED_TRACE(typed.left(40).toStdString());
        messages_.clear();
        QTimer::singleShot(30, [&] {
            renameForm.Edit1->setText(typed);
            renameForm.BtnOKClick();
            QTimer::singleShot(100, [&] { renameForm.BtnCancelClick(); });
        });
        w.Rename1Click();
        EXPECT_EQ(messages_.size(), 1);
        // Whatever happened, the row names a file that is there.
        const QTreeWidgetItem *row = w.ListView1()->topLevelItem(0);
        EXPECT_TRUE(QFile::exists(row->text(3) + row->text(0))) << row->text(0).toStdString();
    }
}

TEST_F(BadInputTest, ListRowsWhoseFilesVanishedPlayNothingAndRenameOrDeleteWithoutHarm) {
    TForm1 &w = openWindow();
    TRenameForm renameForm(&w);
    w.setRenameForm(&renameForm);
    const QString folder = dir_.path() + u'/';
    for (const char *name : {"a.wav", "b.wav", "c.wav"}) {
        writeWav(folder + QLatin1String(name));
        w.ListFile(folder + QLatin1String(name));
    }
    for (const char *name : {"a.wav", "b.wav", "c.wav"})
        ASSERT_TRUE(QFile::remove(folder + QLatin1String(name)));
    answerMessageBoxes(QMessageBox::Yes);

    // Selecting says the file is gone; playing does nothing, without a second message.
    w.ListView1()->setCurrentItem(w.ListView1()->topLevelItem(0));
    EXPECT_EQ(messages_,
              QStringList{QStringLiteral("File not found: ") + folder + QStringLiteral("a.wav")});
    messages_.clear();
    w.Play2Click();
    spin(100);
    EXPECT_FALSE(w.flgPlay);
    EXPECT_EQ(w.statusPanel(0), QStringLiteral("Stop"));
    EXPECT_TRUE(messages_.isEmpty());

    // Renaming is refused with a message; the row keeps its name.
    QTimer::singleShot(30, [&] {
        renameForm.Edit1->setText(QStringLiteral("new"));
        renameForm.BtnOKClick();
        QTimer::singleShot(100, [&] { renameForm.BtnCancelClick(); });
    });
    w.Rename1Click();
    EXPECT_EQ(messages_.size(), 1) << messages_.join(u'|').toStdString();
    EXPECT_EQ(w.ListView1()->topLevelItem(0)->text(0), QStringLiteral("a.wav"));
    EXPECT_FALSE(QFile::exists(folder + QStringLiteral("new.wav")));

    // Deleting from disk asks, then drops the row; removing from the list just drops it.
    messages_.clear();
    w.Delete1Click();
    EXPECT_EQ(messages_.size(), 1) << messages_.join(u'|').toStdString();  // the question only
    EXPECT_EQ(listedFiles(), (QStringList{QStringLiteral("b.wav"), QStringLiteral("c.wav")}));
    w.ListView1()->setCurrentItem(w.ListView1()->topLevelItem(0));
    w.Delete2Click();
    EXPECT_EQ(listedFiles(), QStringList{QStringLiteral("c.wav")});
}

// setup.ini as garbage, binary noise, or holding 10 MB lines: the window opens on the
// defaults, quickly, records, and closing still saves the time limit without losing the
// rest of the file.
TEST_F(BadInputTest, SetupIniOfAnyContentStartsRecordsAndCloses) {
    QByteArray noise(256 * 1024, '\0');
    QRandomGenerator random(7);
    for (char &c : noise)
        c = static_cast<char>(random.bounded(256));
    const QByteArray tenMegabytes(10 * 1024 * 1024, 'z');
    const std::vector<std::pair<const char *, QByteArray>> files = {
        {"garbage", "[[[options\n=\n==saveformat\n[options]]\nsaveformat==.wav=\ntimelimit=--1\n"},
        {"noise", noise},
        {"nul bytes", QByteArray("[options]\0\ntimelimit=5\0\n", 25)},
        {"long line", "[options]\n" + tenMegabytes + "\ntimelimit=3\n"},
        {"long value", "[options]\nsavepath=" + tenMegabytes + "\nsaveformat=" + tenMegabytes},
        {"long name", "[" + tenMegabytes + "]\n" + tenMegabytes + "=1\n[options]\ntimelimit=2\n"},
        {"odd utf-16", QByteArray("\xff\xfe[\0o\0p\0t\0i\0o\0n\0s\0]\0\n\0t", 22)}};
    for (const auto &[name, content] : files) {
        SCOPED_TRACE(name);
        writeIni(content);
        testRecordingSettings() = RecordingSettings();
        QElapsedTimer clock;
        clock.start();
        TForm1 &w = openWindow();
        EXPECT_LT(clock.elapsed(), kStartUpLimitMs);
        const RecordingSettings &s = testRecordingSettings();
        EXPECT_TRUE(s.ext == QLatin1String(".mp3") || s.ext == QLatin1String(".wav") ||
                    s.ext == QLatin1String(".wma") || s.ext.size() <= IniFile::kMaxValueLength);
        EXPECT_LE(s.SavePath.size(), IniFile::kMaxValueLength + 1);

        answerMessageBoxes(QMessageBox::Ok);
        testRecordingSettings().SavePath = recordingDir();
        w.Record1Click();
        spin(300);
        w.Stop1Click();
        // A recording, or for an extension no file can carry, one message saying why not.
        if (listedFiles().isEmpty()) {
            ASSERT_EQ(messages_.size(), 1);
            EXPECT_TRUE(messages_.first().startsWith(QStringLiteral("Cannot create ")));
            messages_.clear();
        }

        const qint64 sizeBefore = QFileInfo(iniPath()).size();
        testRecordingSettings().RecordTime = 42;
        window_->close();
        window_.reset();
        EXPECT_TRUE(messages_.isEmpty()) << messages_.join(u'|').toStdString();
        EXPECT_EQ(IniFile(iniPath()).ReadInteger(QStringLiteral("options"),
                                                 QStringLiteral("timelimit"), -7),
                  42);
        EXPECT_GE(QFileInfo(iniPath()).size(), sizeBefore - 16);
        messages_.clear();
    }
}

TEST_F(BadInputTest, TipFilesOfAHundredThousandLinesOrNoneOrNoise) {
    const auto writeTips = [&](const QByteArray &text) {
        QFile f(dir_.filePath(QStringLiteral("tips.txt")));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    };
    QByteArray many;
    for (int i = 1; i <= 100000; ++i)
        many += "Tip number " + QByteArray::number(i) + "\n";
    writeTips(many);
    writeIni("[tips]\nshowtip=1\ntipno=99999\n");
    TForm1 &w = openWindow();
    QElapsedTimer clock;
    clock.start();
    w.ipoftheDay1Click();
    ASSERT_NE(w.tipForm(), nullptr);
    EXPECT_LT(clock.elapsed(), 2000);
    EXPECT_EQ(w.tipForm()->TotalLine(), 100000);
    EXPECT_EQ(w.tipForm()->RichEdit1->toPlainText(), QStringLiteral("Tip number 100000"));
    w.tipForm()->BtnNextClick();
    EXPECT_EQ(w.tipForm()->RichEdit1->toPlainText(), QStringLiteral("Tip number 1"));
    w.tipForm()->BtnCloseClick();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    // No file, or one of binary noise: the window opens empty or with whatever lines the
    // noise makes; the tip number read back is one the next showing can use.
    for (const QByteArray &text : {QByteArray(), QByteArray("\x00\xff\xfe\r\r\n\x80", 7)}) {
        QFile::remove(dir_.filePath(QStringLiteral("tips.txt")));
        if (!text.isEmpty())
            writeTips(text);
        w.ipoftheDay1Click();
        ASSERT_NE(w.tipForm(), nullptr);
        w.tipForm()->BtnNextClick();
        w.tipForm()->BtnCloseClick();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_EQ(w.tipForm(), nullptr);
    }
}

// A FIFO nobody writes to, a socket and a device node, named like audio files, opened and
// then played: each is refused with a message saying what it is, and the
// window takes the next command at once. A blocked open would hang here, so a watchdog ends
// the run instead.
TEST_F(BadInputTest, NonRegularFilesOpenedAndPlayedLeaveTheWindowAnswering) {
    const QString folder = dir_.path() + u'/';
    ASSERT_EQ(::mkfifo(QFile::encodeName(folder + QStringLiteral("pipe.wav")).constData(), 0644),
              0);
    const int socketFd = bindSocket(folder + QStringLiteral("socket.mp3"));
    ASSERT_GE(socketFd, 0);
    ASSERT_EQ(
        ::symlink("/dev/zero", QFile::encodeName(folder + QStringLiteral("zero.wma")).constData()),
        0);
    TForm1 &w = openWindow();
    answerMessageBoxes(QMessageBox::Ok);

    const std::vector<std::pair<QString, QString>> cases = {
        {folder + QStringLiteral("pipe.wav"), QStringLiteral("a named pipe (FIFO)")},
        {folder + QStringLiteral("socket.mp3"), QStringLiteral("a socket")},
        {folder + QStringLiteral("zero.wma"), QStringLiteral("a character device")},
        {QStringLiteral("/dev/zero"), QStringLiteral("a character device")}};
    for (const auto &[file, kind] : cases) {
        SCOPED_TRACE(file.toStdString());
        const testsupport::Watchdog watchdog("Open and Play of " + file.toStdString(), 30s);
        messages_.clear();
        // What Open does once its dialog has a name (Qt's dialog lists none of these kinds,
        // but a name typed in or a symlink changed meanwhile gets here all the same).
        w.setCurrentFileName(file);
        w.OpenFile();
        w.Play1Click();
        spin(200);
        const QString message =
            file + QStringLiteral(" is ") + kind + QStringLiteral(", not a regular file");
        EXPECT_EQ(messages_, (QStringList{message, message})) << messages_.join(u'|').toStdString();
        EXPECT_FALSE(w.flgPlay);

        bool answered = false;
        QTimer::singleShot(0, &w, [&] {
            w.Stop1Click();
            answered = true;
        });
        QElapsedTimer clock;
        clock.start();
        EXPECT_TRUE(waitUntil([&] { return answered; }, 1000));
        EXPECT_LT(clock.elapsed(), 1000);
    }
    ::close(socketFd);
}

// Hand-edited format values that no writer takes: each recording still comes out in the
// container its name says, with the format's default values.
TEST_F(BadInputTest, FormatValuesNoWriterTakesStillRecordTheFormatNamed) {
    const struct {
        const char *ini;
        const char *ext;
        QByteArray magic;
    } cases[] = {
        {"[options]\nsaveformat=.flac\n[flac]\nfreq=-44100\n", ".flac", "fLaC"},
        {"[options]\nsaveformat=.flac\n[flac]\nch=0\n", ".flac", "fLaC"},
        {"[options]\nsaveformat=.flac\n[flac]\nfreq=2147483647\n", ".flac", "fLaC"},
        {"[options]\nsaveformat=.opus\n[opus]\nbitrate=-1\n", ".opus", "OggS"},
        {"[options]\nsaveformat=.mp3\n[mp3]\nbitrate=-128\n", ".mp3", "\xff"},
        {"[options]\nsaveformat=.ogg\n[vorbis]\nquality=-5\nfreq=0\n", ".ogg", "OggS"},
        {"[options]\nsaveformat=\nsavepath=\n", ".mp3", "\xff"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.ini);
        writeIni(c.ini);
        testRecordingSettings() = RecordingSettings();
        TForm1 &w = openWindow();
        answerMessageBoxes(QMessageBox::Ok);
        EXPECT_EQ(testRecordingSettings().SavePath, recordingDir()) << "the default folder";
        w.Record1Click();
        spin(300);
        w.Stop1Click();
        EXPECT_TRUE(messages_.isEmpty()) << messages_.join(u'|').toStdString();
        const QStringList files = recordedFilesOnDisk();
        ASSERT_EQ(files.size(), 1);
        EXPECT_TRUE(files.first().endsWith(QLatin1String(c.ext)));
        const QByteArray bytes = fileBytes(recordingDir() + files.first());
        EXPECT_TRUE(bytes.startsWith(c.magic)) << bytes.left(4).toHex().toStdString();
        EXPECT_FALSE(bytes.startsWith("RIFF"));
        window_.reset();
        QDir(recordingDir()).removeRecursively();
        messages_.clear();
    }
}
