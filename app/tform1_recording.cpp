// Recording handlers: the block event, the recording clock with auto stop and auto split,
// new output files and list rows.
#include "app/tform1.h"

#include "audio/audio_file2.h"
#include "audio/audio_information2.h"
#include "audio/audio_record2.h"
#include "audio/units.h"
#include "audio/widgets/audio_visualization2.h"
#include "audio/widgets/nct_amp_bar2.h"
#include "audio/widgets/nct_play_button_b2.h"
#include "audio/widgets/nct_slider_b2.h"
#include "audio/widgets/nct_time_display2.h"
#include "extras/korvanta_icons.h"
#include "recording/output_naming.h"
#include "recording/recording_clock.h"
#include "recording/recording_pipeline.h"
#include "settings/recording_settings.h"

#include <QApplication>
#include <QMessageBox>
#include <QStyle>
#include <QTimer>
#include <QTreeWidget>

#include <algorithm>

void TForm1::AudioRecord1EndBlockRecord(int /*nBlock*/) {
    if (!flgRecord)
        return;
    if (recording_->WriteBlock())
        return;
    // A recording must never go on silently losing data: finish what was written.
    const QString message =
        recording_->OutputGone()
            ? QStringLiteral(
                  "The recording was stopped because %1 was deleted or moved away "
                  "while it was being recorded.")
                  .arg(CurrentFileName)
            : QStringLiteral(
                  "The recording was stopped because %1 could not be "
                  "written: %2\n\nEverything recorded before that was kept.")
                  .arg(CurrentFileName, recording_->WriteErrorText());
    StopRecord();
    reportRecordingStopped(message);
}

void TForm1::AudioRecord1DeviceError(const QString &reason) {
    if (!flgRecord)
        return;
    StopRecord();
    reportRecordingStopped(
        QStringLiteral("The recording was stopped because the sound device stopped: %1\n\n"
                       "Everything recorded until then was kept in %2.")
            .arg(reason, CurrentFileName));
}

// Shown once the current event is over, so the message never runs inside a component's
// own event delivery.
void TForm1::reportRecordingStopped(const QString &message) {
    QTimer::singleShot(0, this, [this, message] {
        QMessageBox::warning(this, QApplication::applicationDisplayName(), message);
    });
}

bool TForm1::askRewrite() {
    return QMessageBox::question(this, QApplication::applicationDisplayName(),
                                 QStringLiteral("Rewrite File?"),
                                 QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

void TForm1::AudioRecord1Timer(int position, int leftLevel, int rightLevel) {
    RecordingSettings &settings = recordingSettings();
    NCTAmpBar1->setValue(leftLevel);
    NCTAmpBar2->setValue(rightLevel);
    NCTTimeDisplay1->setMilliseconds(ClockMilliseconds(
        AudioRecord1->SamplesToSec(position + StartSamples), settings.TotalFileTime));
    AudioVisualization1->SendArray(
        AudioRecord1->GetCurrentArray(2 * AudioVisualization1->WindowArraySize()));
    if (!SliderBusy)
        NCTSliderB1->setValue(
            std::min(1000, MulDiv(position + StartSamples, 1000, AudioFileProbe->nSamples())));

    const ClockLimits limits{settings.RecordTime, settings.flgSplit, settings.SplitTime,
                             settings.TotalFileTime};
    switch (EvaluateClock(limits, NCTTimeDisplay1->Hours(), NCTTimeDisplay1->Minutes(),
                          NCTTimeDisplay1->Seconds())) {
        case ClockAction::AutoStop:
            StopRecord();
            break;
        case ClockAction::Split:
            splitRecording();
            break;
        case ClockAction::None:
            break;
    }
}

// Closes the part, lists it and goes straight on into the next file. The display keeps
// running: the finished parts are counted by TotalFileTime from here on.
void TForm1::splitRecording() {
    mSamples = recording_->Finish();
    flgRecord = false;
    flgPauseRecord = false;
    NCTPlayButtonB1->Stop();
    btnResetClick();
    ListFile(CurrentFileName);
    recordingSettings().TotalFileTime += recordingSettings().SplitTime;
    // The offset of pauses within the finished part is covered by TotalFileTime now.
    StartSamples = 0;
    StartRecord();
}

bool TForm1::CreateNewFile() {
    const RecordingSettings &settings = recordingSettings();
    CurrentFileName = FirstFreeOutputName(settings.SavePath, settings.ext);
    QString error;
    if (!CreateSaveDirectory(settings.SavePath, &error)) {
        QMessageBox::critical(this, QApplication::applicationDisplayName(), error);
        return false;
    }
    setCurrentFileName(CurrentFileName);
    AudioFileProbe->setWmaFormatEnabled(true);
    AudioFileProbe->CreateFile(currentFileName(), 0);
    // A folder that takes no new files would otherwise record into nothing.
    if (AudioFileProbe->LastErrorNum() != 0) {
        QMessageBox::critical(this, QApplication::applicationDisplayName(),
                              AudioFileProbe->LastErrorText());
        return false;
    }
    AudioFileProbe->CloseFile();
    OpenFile();
    return true;
}

void TForm1::ListFile(const QString &path) {
    const ListRowTexts texts =
        MakeListRowTexts(path, AudioInformation1->Size(), AudioInformation1->Duration());
    auto *row = new QTreeWidgetItem(ListView1);
    row->setIcon(0, korvantaIcon("audio-x-generic"));
    row->setText(0, texts.caption);
    row->setText(1, texts.size);
    row->setText(2, texts.time);
    row->setText(3, texts.directory);
}
