#include "app/tform1.h"

#include "app/capture_status.h"
#include "app/live_device_list.h"
#include "audio/audio_file2.h"
#include "audio/audio_file2_lame_enc.h"
#include "audio/audio_information2.h"
#include "audio/audio_player2.h"
#include "audio/audio_record2.h"
#include "audio/devices/audio_backend.h"
#include "audio/units.h"
#include "audio/widgets/audio_visualization2.h"
#include "audio/widgets/nct_play_button_b2.h"
#include "extras/sleep_inhibitor.h"
#include "files/tag_editor.h"
#include "mixer/rec_flt_form.h"
#include "playback/playback_session.h"
#include "recording/recording_controller.h"
#include "recording/recording_format.h"
#include "recording/wav_recovery.h"
#include "settings/app_paths.h"
#include "settings/capture_settings.h"
#include "settings/recording_settings.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QComboBox>
#include <QMessageBox>
#include <QScreen>
#include <QStringList>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>

TForm1 *Form1 = nullptr;

TForm1::TForm1(AudioBackend &backend, QWidget *parent) : QMainWindow(parent), backend_(backend) {
    AudioRecord1 = new TAudioRecord2(backend_, this);
    AudioPlayer1 = new TAudioPlayer2(backend_, this);
    AudioFile1 = std::make_unique<TAudioFile2>();
    AudioFile2 = std::make_unique<TAudioFile2>();
    Mp3LameEncoder = std::make_unique<TAudioFile2LameEnc>();
    AudioInformation1 = std::make_unique<TAudioInformation2>();
    AudioFileProbe = std::make_unique<TAudioFile2>();
    recordingController_ = std::make_unique<RecordingController>(
        *AudioRecord1, *AudioFileProbe, *AudioFile2, *Mp3LameEncoder, recordingSettings(),
        captureSettings());
    playback_ = std::make_unique<PlaybackSession>(*AudioPlayer1, *AudioFile1);

    TimerTip = new QTimer(this);
    TimerTip->setInterval(1000);

    buildUi();
    connectCommands();
    // Files dragged from a file manager (tform1_drops.cpp).
    setAcceptDrops(true);
    FormCreate();
}

TForm1::~TForm1() {
    if (Form1 == this)
        Form1 = nullptr;
}

void TForm1::connectCommands() {
    connect(Exit1, &QAction::triggered, this, &TForm1::Exit1Click);
    connect(Options1, &QAction::triggered, this, &TForm1::Options1Click);
    connect(PlaybackVolumeControls1, &QAction::triggered, this,
            &TForm1::PlaybackVolumeControls1Click);
    connect(FileInfo1, &QAction::triggered, this, &TForm1::FileInfo1Click);
    connect(NCTPlayButtonB1, &TNCTPlayButtonB2::OnChangeVolume, this,
            &TForm1::NCTPlayButtonB1ChangeVolume);
    connect(ComboBox1, &QComboBox::activated, this, &TForm1::ComboBox1Click);
    connect(ComboBox2, &QComboBox::activated, this, &TForm1::ComboBox2Click);
    connect(RadioGroup1Buttons, &QButtonGroup::idClicked, this, &TForm1::RadioGroup1Click);
    connectTransportCommands();
    connectFileCommands();
    connectSettingsCommands();
    connectExtrasCommands();
    connectMixerCommands();
    connectListening();
}

void TForm1::FormCreate() {
    TimerTip->start();

    RecordingSettings &settings = recordingSettings();
    LoadRecordingSettings(settings, setupIniPath());
    captureSettings() = LoadCaptureSettings(setupIniPath());
    // A recording cut off by a crash or a kill gets sizes that cover what reached the disk.
    RepairUnfinishedRecordings(settings.SavePath);
    if (settings.RecordTime > 0) {
        setAutoStopIndicator(
            true, tr("Auto stop recording is set to ") + SecondToTime(settings.RecordTime));
    } else {
        setAutoStopIndicator(false, tr("No Auto stop. "));
    }
    SetFormat();
}

void TForm1::setAutoStopIndicator(bool pressed, const QString &hint) {
    ToolBtnAutostop->setChecked(pressed);
    ToolBtnAutostop->setToolTip(hint);
}

void TForm1::SetFormat() {
    for (TAudioFile2 *file : {AudioFile2.get(), AudioFile1.get(), AudioFileProbe.get()})
        ApplyRecordingFormat(recordingSettings(), *file, *Mp3LameEncoder);
    captureStatus_->settingsChanged();
}

void TForm1::showEvent(QShowEvent *event) {
    QMainWindow::showEvent(event);
    if (!shown_) {
        shown_ = true;
        FormShow();
    }
}

void TForm1::FormShow() {
    if (QScreen *screen = this->screen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    Panel1Resize();

    outputDevices_->fill();
    inputDevices_->fill();
    // Without a sound server the lists stay empty; say why instead of leaving the user guessing.
    showUnavailableReason();

    AudioInformation1->setMp3FastAnalysis(true);
    if (frmRecFlt)
        frmRecFlt->SetUpFromRecorder();

    showTransportState();

    AudioPlayer1->setTimerEnabled(true);
    AudioPlayer1->setTimerInterval(80);

    SetSrcOutput();
    SetSrcInput();

    ComboBox1->setCurrentIndex(1);
    ComboBox2->setCurrentIndex(static_cast<int>(AudioVisualization1->WindowFFTType()));

    showOutputVolume();
    recordingController_->setListeningAllowed(true);
}

void TForm1::closeEvent(QCloseEvent *event) {
    FormClose();
    event->accept();
}

void TForm1::FormClose() {
    recordingController_->setListeningAllowed(false);
    if (flgPlay)
        StopPlay();
    // The take ends now, with what the device has handed on so far.
    recordingController_->shutDown();
    if (sleepInhibitor_)
        sleepInhibitor_->release();
    AudioFile1->setWmaFormatEnabled(false);
    AudioFile2->setWmaFormatEnabled(false);

    QString error;
    if (!SaveTimeLimit(recordingSettings(), writableSetupIniPath(), &error))
        QMessageBox::critical(this, QApplication::applicationDisplayName(), error);
}

void TForm1::Exit1Click() {
    close();
}

void TForm1::Options1Click() {
    PageControl1->setCurrentWidget(TabSheet3);
}

void TForm1::PlaybackVolumeControls1Click() {
    PageControl1->setCurrentWidget(TabSheet4);
}

void TForm1::FileInfo1Click() {
    PageControl1->setCurrentWidget(TabSheet2);
}

void TForm1::NCTPlayButtonB1ChangeVolume(int Volume) {
    AudioPlayer1->setDevVolume(Volume);
}

void TForm1::ComboBox1Click() {
    AudioVisualization1->setWindowArraySize(ComboBox1->currentText().toInt());
}

void TForm1::ComboBox2Click() {
    AudioVisualization1->setWindowFFTType(
        static_cast<TAudioVisualization2::TWindowFFTType>(ComboBox2->currentIndex()));
}

void TForm1::RadioGroup1Click() {
    AudioVisualization1->setVisType(
        static_cast<TAudioVisualization2::TVisType>(RadioGroup1Buttons->checkedId()));
}
