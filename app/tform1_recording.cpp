// Recording handlers: what the recording session reports (clock ticks, limits, failures),
// the split step, new output files and list rows.
#include "app/tform1.h"

#include "app/transport_gate.h"
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
#include "playback/format_text.h"
#include "recording/output_naming.h"
#include "recording/recording_clock.h"
#include "recording/recording_session.h"
#include "settings/recording_settings.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QTreeWidget>

#include <algorithm>

void TForm1::AudioRecord1Failed(const QString &message) {
    StopRecord();
    reportLater(message);
}

void TForm1::AudioRecord1StartFailed(const QString &message) {
    abandonRecordingStart(message);
}

bool TForm1::askRewrite() {
    return QMessageBox::question(this, QApplication::applicationDisplayName(), tr("Rewrite File?"),
                                 QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

// The recording clock's display: the session has the time; the window shows it.
void TForm1::AudioRecord1Timer(int position, int elapsedMs, int leftLevel, int rightLevel) {
    NCTAmpBar1->setValue(leftLevel);
    NCTAmpBar2->setValue(rightLevel);
    NCTTimeDisplay1->setMilliseconds(elapsedMs);
    // A spectrum nobody sees (another tab, a minimised window) costs nothing.
    if (AudioVisualization1->isShowing())
        AudioVisualization1->SendArray(
            AudioRecord1->GetCurrentArray(2 * AudioVisualization1->WindowArraySize()));
    if (!SliderBusy)
        NCTSliderB1->setValue(std::min(1000, MulDiv(position, 1000, AudioFileProbe->nSamples())));
}

void TForm1::AudioRecord1LimitReached(ClockAction action) {
    if (captureWait_)
        return;  // a stop or pause is under way
    switch (action) {
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

// A WAV file at its size limit: the recording goes on in the next part, as at an auto split,
// and the status bar says why a new file began. A stop or pause under way puts what did not
// fit into parts of its own.
void TForm1::AudioRecord1FileFull() {
    if (captureWait_)
        return;
    const QString full = QFileInfo(CurrentFileName).fileName();
    splitRecording(true);
    if (flgRecord)
        setStatusPanel(1, tr("%1 reached the WAV size limit of 4 GB; the recording goes on "
                             "without a gap in %2.")
                              .arg(full, QFileInfo(CurrentFileName).fileName()));
}

void TForm1::writeOverflowParts() {
    while (recording_->hasOverflow()) {
        setCurrentFileName(CurrentFileName);
        btnResetClick();
        listCurrentFile();
        if (!CreateNewFile()) {
            recording_->dropOverflow();  // nowhere to put them; the message said why
            return;
        }
        mSamples = recording_->writeOverflowPart(currentFileName());
    }
}

// Closes the part, lists it and goes straight on into the next file. The display keeps
// running: the finished parts are counted by TotalFileTime from here on (or, after a full
// file, by the session itself).
void TForm1::splitRecording(bool fileFull) {
    const TransportGate::Hold hold(*gate_);
    mSamples = recording_->FinishPart(fileFull ? RecordingSession::PartEnd::FileFull
                                               : RecordingSession::PartEnd::SplitTime);
    flgRecord = false;
    flgPauseRecord = false;
    NCTPlayButtonB1->Stop();
    const QString failure = recording_->takeFailureText();
    if (!failure.isEmpty()) {
        // The part's last block could not be written: the recording ends here, listed once.
        StopRecord();
        reportLater(failure);
        return;
    }
    setCurrentFileName(CurrentFileName);
    btnResetClick();
    listCurrentFile();
    startingNextPart_ = true;
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
        const QString reason = AudioFileProbe->LastErrorText();
        AudioFileProbe->CloseFile();
        // The name was free: whatever the failed creation left there is ours to remove.
        QFile::remove(CurrentFileName);
        QMessageBox::critical(this, QApplication::applicationDisplayName(), reason);
        return false;
    }
    // What is being recorded, as the writer describes it: an empty file can't tell a
    // bitrate or a quality that only its sound would show.
    const QString recordedFormat = AudioFileProbe->FormatString();
    AudioFileProbe->CloseFile();
    OpenFile();
    setStatusPanel(2, FormatMP3Str(recordedFormat));
    return true;
}

void TForm1::ListFile(const QString &path) {
    const ListRowTexts texts =
        MakeListRowTexts(path, AudioInformation1->Size(), AudioInformation1->Duration());
    auto *row = new QTreeWidgetItem(ListView1());
    row->setIcon(0, korvantaIcon("audio-x-generic"));
    row->setText(0, texts.caption);
    row->setText(1, texts.size);
    row->setText(2, texts.time);
    row->setText(3, texts.directory);
}
