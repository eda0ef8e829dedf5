// A main window on the virtual sound card, with setup.ini and the recordings in a
// temporary folder that stands in for the executable's directory.
#pragma once

#include "app/tform1.h"
#include "audio/audio_file2.h"
#include "settings/app_paths.h"
#include "settings/recording_settings.h"
#include "tests/support/event_loop.h"
#include "tests/support/test_backend.h"
#include "tests/support/test_settings.h"
#include "widgets/nct_time_display2.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QPointer>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>

#include <cmath>
#include <memory>
#include <vector>

class WindowFixture : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        setExecutableDirectoryForTesting(dir_.path() + QLatin1Char('/'));
        testRecordingSettings() = RecordingSettings();
    }

    void TearDown() override {
        window_.reset();
        setExecutableDirectoryForTesting(QString());
    }

    void writeIni(const QByteArray &text) {
        QFile f(dir_.filePath(QStringLiteral("setup.ini")));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    }

    TForm1 &openWindow() { return openWindow(testBackend()); }

    TForm1 &openWindow(AudioBackend &backend) {
        window_ = std::make_unique<TForm1>(backend, testRecordingSettings(), testCaptureSettings());
        window_->TimerTip->stop();  // no tip window in the way of the tests
        window_->show();
        QCoreApplication::processEvents();
        return *window_;
    }

    // Shows each mixer tab once, which builds its source panels, then the first page again.
    static void showMixerTabs(TForm1 &w) {
        w.Options1Click();
        w.PlaybackVolumeControls1Click();
        w.PageControl1->setCurrentIndex(0);
        QCoreApplication::processEvents();
    }

    QString recordingDir() const { return dir_.path() + QStringLiteral("/Recording/"); }

    QStringList listedFiles() const {
        QStringList names;
        for (int i = 0; i < window_->ListView1()->topLevelItemCount(); ++i)
            names << window_->ListView1()->topLevelItem(i)->text(0);
        return names;
    }

    // Answers every message box that appears with `button`, remembering its text.
    void answerMessageBoxes(QMessageBox::StandardButton button) {
        delete answerTimer_;
        auto *timer = new QTimer(window_.get());
        answerTimer_ = timer;
        QObject::connect(timer, &QTimer::timeout, [this, button] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                messages_ << box->text();
                if (QAbstractButton *b = box->button(button))
                    b->click();
                else
                    box->done(button);
            }
        });
        timer->start(20);
    }

    // A WAV whose every sample differs from its neighbours, so any gap or repeat shows.
    static QString writeRampWav(const QString &path, int frequency, int channels, int frames) {
        TAudioFile2 file;
        file.SetFormatPCM(frequency, channels, 16);
        file.CreateFile(path, 0);
        std::vector<int16_t> samples(static_cast<size_t>(frames) * channels);
        for (size_t i = 0; i < samples.size(); ++i)
            samples[i] = static_cast<int16_t>((i * 7) % 65536 - 32768);
        file.WriteFile(SampleArray(channels, samples));
        file.CloseFile();
        return path;
    }

    // `seconds` of a sine at `hz`, 44.1 kHz stereo, at about -9 dBFS.
    static QString writeSineWav(const QString &path, double hz, double seconds) {
        TAudioFile2 file;
        file.SetFormatPCM(44100, 2, 16);
        file.CreateFile(path, 0);
        std::vector<int16_t> samples(static_cast<size_t>(44100 * seconds) * 2);
        for (size_t i = 0; i < samples.size() / 2; ++i)
            samples[2 * i] = samples[2 * i + 1] =
                static_cast<int16_t>(12000 * std::sin(2 * M_PI * hz * double(i) / 44100));
        file.WriteFile(SampleArray(2, samples));
        file.CloseFile();
        return path;
    }

    // The time display's fields as one total in milliseconds.
    static int shownMilliseconds(const TForm1 &w) {
        const TNCTTimeDisplay2 &d = *w.NCTTimeDisplay1;
        return ((d.Hours() * 60 + d.Minutes()) * 60 + d.Seconds()) * 1000 + d.Milliseconds();
    }

    QStringList recordedFilesOnDisk() const { return QDir(recordingDir()).entryList(QDir::Files); }

    // Every frame of a file, read through the file component.
    static std::vector<int16_t> readAll(const QString &path, int *channels, int *frequency) {
        TAudioFile2 file;
        file.OpenFile(path, 0, 1);
        std::vector<int16_t> samples;
        if (file.LastErrorNum() != 0)
            return samples;
        *channels = file.ArrayChannels();
        *frequency = file.ArrayFrequency();
        for (;;) {
            const SampleArray block = file.ReadFile(8192);
            if (block.isEmpty())
                break;
            samples.insert(samples.end(), block.samples().begin(), block.samples().end());
        }
        file.CloseFile();
        return samples;
    }

    QTemporaryDir dir_;
    std::unique_ptr<TForm1> window_;
    QStringList messages_;
    QPointer<QTimer> answerTimer_;
};
