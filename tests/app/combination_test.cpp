// Features that are right on their own but went wrong together: a playback and a recording
// side by side, the stopped preview before a recording, the list during a recording, commands
// queued behind a start, an abandoned split, and which file Apply may write.
#include "audio/audio_record2.h"
#include "audio/devices/virtual_backend.h"
#include "tests/support/test_settings.h"
#include "tests/support/window_fixture.h"
#include "widgets/audio_visualization2.h"
#include "widgets/nct_amp_bar2.h"
#include "widgets/nct_play_button_b2.h"
#include "widgets/nct_slider_b2.h"

#include <QFileInfo>
#include <QPushButton>

using testsupport::spin;
using testsupport::waitUntil;

namespace {

constexpr int kRate = 44100;

double lengthInSeconds(const QString &path) {
    TAudioFile2 file;
    file.OpenFile(path, 0, 1);
    const double seconds = file.nSamples() / double(kRate);
    file.CloseFile();
    return seconds;
}

}  // namespace

class CombinationTest : public WindowFixture {
protected:
    QString recording(int n) const {
        return recordingDir() + QStringLiteral("Untitled%1.wav").arg(n);
    }
    QString ramp(int seconds) {
        return writeRampWav(dir_.filePath(QStringLiteral("ramp%1.wav").arg(seconds)), kRate, 2,
                            kRate * seconds);
    }
};

TEST_F(CombinationTest, SeekingAPlaybackLeavesTheRecordingClockAloneAndViceVersa) {
    writeIni("[options]\nsaveformat=.wav\ntimelimit=3\n");
    TForm1 &w = openWindow();
    w.setCurrentFileName(ramp(20));
    w.Play1Click();
    ASSERT_TRUE(w.flgPlay);
    spin(200);
    w.Record1Click();
    ASSERT_TRUE(w.flgRecord);
    spin(300);
    w.NCTSliderB1MouseDown();
    w.NCTSliderB1->setValue(500);  // 10 s into the file
    w.NCTSliderB1MouseUp();
    spin(800);
    EXPECT_TRUE(w.flgRecord);  // the playback's new position is not the recording's time
    ASSERT_TRUE(waitUntil([&] { return !w.flgRecord; }, 4000));
    EXPECT_NEAR(lengthInSeconds(recording(1)), 3.0, 0.3);

    // The recording's stop did not move the playback's position either.
    ASSERT_TRUE(w.flgPlay);
    spin(300);
    const int shown = shownMilliseconds(w);
    EXPECT_GT(shown, 12000);
    EXPECT_LT(shown, 14500);
    w.Pause1Click();
    w.Play1Click();
    spin(300);
    EXPECT_GT(shownMilliseconds(w), shown);
    w.Stop1Click();
}

TEST_F(CombinationTest, TheStoppedPreviewDoesNotShortenTheNextRecording) {
    writeIni("[options]\nsaveformat=.wav\ntimelimit=2\n");
    TForm1 &w = openWindow();
    w.setCurrentFileName(ramp(5));
    w.OpenFile();
    w.NCTSliderB1MouseDown();
    w.NCTSliderB1->setValue(400);
    w.NCTSliderB1MouseUp();
    ASSERT_EQ(w.NCTTimeDisplay1->Seconds(), 2);  // the preview shows where Play would start
    w.Record1Click();
    ASSERT_TRUE(waitUntil([&] { return !w.flgRecord; }, 4000));
    EXPECT_NEAR(lengthInSeconds(recording(1)), 2.0, 0.3);
}

TEST_F(CombinationTest, APausedPlaybackEndedByTheSliderDoesNotShortenTheNextRecording) {
    writeIni("[options]\nsaveformat=.wav\ntimelimit=2\n");
    TForm1 &w = openWindow();
    w.setCurrentFileName(ramp(5));
    w.Play1Click();
    spin(1200);
    w.Pause1Click();
    w.NCTSliderB1MouseDown();  // ends the paused playback
    w.NCTSliderB1MouseUp();
    ASSERT_FALSE(w.flgPlay);
    w.Record1Click();
    ASSERT_TRUE(waitUntil([&] { return !w.flgRecord; }, 4000));
    EXPECT_NEAR(lengthInSeconds(recording(1)), 2.0, 0.3);
}

TEST_F(CombinationTest, SelectingARowDuringARecordingStillListsTheFinishedFile) {
    writeIni("[options]\nsaveformat=.wav\ntimelimit=1\n");
    TForm1 &w = openWindow();
    w.Record1Click();
    ASSERT_TRUE(waitUntil([&] { return !w.flgRecord; }, 3000));
    testRecordingSettings().RecordTime = -1;
    w.Record1Click();
    spin(300);
    w.ListView1()->setCurrentItem(w.ListView1()->topLevelItem(0));
    spin(2000);
    w.Stop1Click();
    ASSERT_EQ(listedFiles(),
              (QStringList{QStringLiteral("Untitled1.wav"), QStringLiteral("Untitled2.wav")}));
    const QTreeWidgetItem *row = w.ListView1()->topLevelItem(1);
    EXPECT_EQ(row->text(1), QStringLiteral("%1 KB").arg(QFileInfo(recording(2)).size() / 1000));
    EXPECT_EQ(row->text(2), QStringLiteral("00:02"));
}

TEST_F(CombinationTest, CommandsQueuedBehindAStartRunAfterIt) {
    writeIni("[options]\nsaveformat=.wav\n");
    TForm1 &w = openWindow();
    // Record and Stop back to back: the stop comes after the start, not inside it.
    QMetaObject::invokeMethod(&w, &TForm1::Record1Click, Qt::QueuedConnection);
    QMetaObject::invokeMethod(&w, &TForm1::Stop1Click, Qt::QueuedConnection);
    spin(800);
    EXPECT_FALSE(w.flgRecord);
    EXPECT_EQ(w.statusPanel(0), QStringLiteral("Stop"));
    EXPECT_EQ(listedFiles(), QStringList{QStringLiteral("Untitled1.wav")});

    // Record twice: one recording, one new file.
    QMetaObject::invokeMethod(&w, &TForm1::Record1Click, Qt::QueuedConnection);
    QMetaObject::invokeMethod(&w, &TForm1::Record1Click, Qt::QueuedConnection);
    spin(800);
    EXPECT_TRUE(w.flgRecord);
    EXPECT_EQ(recordedFilesOnDisk().size(), 2);
    w.Stop1Click();
    EXPECT_EQ(listedFiles(),
              (QStringList{QStringLiteral("Untitled1.wav"), QStringLiteral("Untitled2.wav")}));
}

TEST_F(CombinationTest, AnAbandonedSplitLeavesAnIdleWindowAndNoClockBehind) {
    writeIni("[options]\nsaveformat=.wav\n");
    TForm1 &w = openWindow();
    answerMessageBoxes(QMessageBox::Ok);
    RecordingSettings &settings = testRecordingSettings();
    settings.flgSplit = true;
    settings.SplitTime = 1;
    w.Record1Click();
    spin(300);
    // The next part cannot be created: the folder's place is taken by a file.
    QFile blocker(dir_.filePath(QStringLiteral("blocker")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    const QString savePath = settings.SavePath;
    settings.SavePath = dir_.filePath(QStringLiteral("blocker/rec/"));
    ASSERT_TRUE(waitUntil([&] { return !w.flgRecord && !messages_.isEmpty(); }, 3000));
    spin(200);
    EXPECT_EQ(w.recordingController().earlierPartsSeconds(), 0);
    EXPECT_EQ(shownMilliseconds(w), 0);
    EXPECT_EQ(w.NCTAmpBar1->Value(), 0);
    EXPECT_EQ(w.NCTAmpBar2->Value(), 0);
    EXPECT_TRUE(w.AudioVisualization1->isClear());
    EXPECT_EQ(w.statusPanel(0), QStringLiteral("Stop"));
    EXPECT_EQ(listedFiles(), QStringList{QStringLiteral("Untitled1.wav")});

    // The next recording's auto stop counts from zero.
    settings.SavePath = savePath;
    settings.flgSplit = false;
    settings.RecordTime = 2;
    w.Record1Click();
    ASSERT_TRUE(waitUntil([&] { return !w.flgRecord; }, 4000));
    EXPECT_NEAR(lengthInSeconds(recording(2)), 2.0, 0.3);
}

TEST_F(CombinationTest, ApplyIsOffExactlyWhileItsFileIsRecordedOrPlayed) {
    writeIni("[options]\nsaveformat=.wav\ntimelimit=1\n");
    TForm1 &w = openWindow();
    w.Record1Click();
    ASSERT_TRUE(waitUntil([&] { return !w.flgRecord; }, 3000));
    w.Record1Click();
    ASSERT_TRUE(waitUntil([&] { return !w.flgRecord; }, 3000));
    testRecordingSettings().RecordTime = -1;

    // Paused on Untitled1, the selection moves to Untitled2, Play resumes Untitled1.
    w.ListView1()->setCurrentItem(w.ListView1()->topLevelItem(0));
    w.Play1Click();
    spin(200);
    w.Pause1Click();
    w.ListView1()->setCurrentItem(w.ListView1()->topLevelItem(1));
    w.Play1Click();
    ASSERT_TRUE(w.flgPlay);
    EXPECT_TRUE(w.btnApply()->isEnabled());  // Untitled2 is not playing
    w.ListView1()->setCurrentItem(w.ListView1()->topLevelItem(0));
    EXPECT_FALSE(w.btnApply()->isEnabled());  // Untitled1 is
    w.Stop1Click();
    EXPECT_TRUE(w.btnApply()->isEnabled());

    // A recording played while it is made: its stop leaves Apply off while it plays on.
    w.ListView1()->setCurrentItem(nullptr);
    w.Record1Click();
    spin(1000);
    w.Play1Click();  // no row selected: the file being recorded
    ASSERT_TRUE(w.flgPlay);
    w.StopRecord();
    ASSERT_TRUE(w.flgPlay);
    EXPECT_FALSE(w.btnApply()->isEnabled());
    w.Stop1Click();
    EXPECT_TRUE(w.btnApply()->isEnabled());
}

// The card reports a failure of the stream being closed: a late event of a stopped stream.
class StaleEventTest : public CombinationTest {
protected:
    VirtualBackend card_;
};

TEST_F(StaleEventTest, AFailureReportedWhileThePauseClosesTheDeviceIsNotTheNextRunsFailure) {
    writeIni("[options]\nsaveformat=.wav\n");
    card_.setStreamFault(Direction::Input, VirtualBackend::StreamFault::FailOnClose);
    TForm1 &w = openWindow(card_);
    answerMessageBoxes(QMessageBox::Ok);
    w.Record1Click();
    spin(400);
    w.Pause1Click();
    spin(300);
    EXPECT_TRUE(w.flgRecord);
    EXPECT_TRUE(w.flgPauseRecord);
    EXPECT_EQ(w.statusPanel(0), QStringLiteral("Pause"));
    EXPECT_TRUE(messages_.isEmpty()) << messages_.join(u'|').toStdString();
    card_.setStreamFault(Direction::Input, VirtualBackend::StreamFault::None);
    w.Stop1Click();
}

// The output device goes away while a playback is paused or being re-positioned.
class PlaybackRestartTest : public StaleEventTest {};

TEST_F(PlaybackRestartTest, AResumeOrASeekWithoutADeviceEndsInTheStoppedLook) {
    TForm1 &w = openWindow(card_);
    answerMessageBoxes(QMessageBox::Ok);
    w.setCurrentFileName(ramp(5));
    w.Play1Click();
    spin(200);
    w.Pause1Click();
    card_.setStreamFault(Direction::Output, VirtualBackend::StreamFault::Vanished);
    w.Play1Click();
    spin(200);
    EXPECT_FALSE(w.flgPlay);
    EXPECT_FALSE(w.flgPause);
    EXPECT_EQ(w.statusPanel(0), QStringLiteral("Stop"));
    EXPECT_EQ(w.NCTPlayButtonB1->ShownState(), TNCTPlayButtonB2::TShownState::Stop);
    EXPECT_EQ(messages_.size(), 1);

    card_.setStreamFault(Direction::Output, VirtualBackend::StreamFault::None);
    w.Play1Click();
    ASSERT_TRUE(w.flgPlay);
    spin(200);
    card_.setStreamFault(Direction::Output, VirtualBackend::StreamFault::Vanished);
    w.NCTSliderB1MouseDown();
    w.NCTSliderB1->setValue(500);
    w.NCTSliderB1MouseUp();
    spin(200);
    EXPECT_FALSE(w.flgPlay);
    EXPECT_EQ(w.statusPanel(0), QStringLiteral("Stop"));
    EXPECT_EQ(w.NCTPlayButtonB1->ShownState(), TNCTPlayButtonB2::TShownState::Stop);
    EXPECT_EQ(messages_.size(), 2);
}

TEST_F(CombinationTest, TheEndOfOneSideLeavesTheOtherSidesLook) {
    writeIni("[options]\nsaveformat=.wav\ntimelimit=1\n");
    TForm1 &w = openWindow();
    w.setCurrentFileName(ramp(4));
    w.Play1Click();
    w.Record1Click();
    ASSERT_TRUE(waitUntil([&] { return !w.flgRecord; }, 3000));  // auto stop
    ASSERT_TRUE(w.flgPlay);
    EXPECT_EQ(w.statusPanel(0), QStringLiteral("Playing..."));
    EXPECT_EQ(w.NCTPlayButtonB1->ShownState(), TNCTPlayButtonB2::TShownState::Play);
    w.Stop1Click();

    testRecordingSettings().RecordTime = -1;
    w.Record1Click();
    w.setCurrentFileName(ramp(1));
    w.Play1Click();
    ASSERT_TRUE(w.flgPlay);
    ASSERT_TRUE(waitUntil([&] { return !w.flgPlay; }, 3000));  // the end of the file
    ASSERT_TRUE(w.flgRecord);
    EXPECT_EQ(w.statusPanel(0), QStringLiteral("Recording..."));
    EXPECT_EQ(w.NCTPlayButtonB1->ShownState(), TNCTPlayButtonB2::TShownState::Record);
    w.Stop1Click();
}
