#include "app/tform1.h"

#include "app/capture_status.h"
#include "app/live_device_list.h"
#include "app/main_window_ui.h"
#include "app/status_panel.h"
#include "audio/audio_file2.h"
#include "audio/audio_file2_lame_enc.h"
#include "audio/audio_information2.h"
#include "audio/audio_player2.h"
#include "audio/audio_record2.h"
#include "audio/devices/audio_backend.h"
#include "audio/units.h"
#include "extras/about_box.h"
#include "extras/desktop_notifier.h"
#include "extras/show_in_folder.h"
#include "extras/sleep_inhibitor.h"
#include "extras/tip_form.h"
#include "files/current_file.h"
#include "files/rename_form.h"
#include "files/tag_editor.h"
#include "mixer/eq_form.h"
#include "mixer/rec_flt_form.h"
#include "playback/playback_session.h"
#include "recording/recording_controller.h"
#include "recording/recording_format.h"
#include "recording/recording_session.h"
#include "recording/take_journal.h"
#include "recording/wav_recovery.h"
#include "settings/app_paths.h"
#include "settings/capture_settings.h"
#include "settings/dialogs/setting_form.h"
#include "settings/dialogs/time_limit_form.h"
#include "settings/recording_settings.h"
#include "widgets/audio_visualization2.h"
#include "widgets/nct_play_button_b2.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QMessageBox>
#include <QScreen>
#include <QStringList>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>

TForm1::TForm1(AudioBackend &backend, RecordingSettings &recording, CaptureSettings &capture,
               QWidget *parent)
    : QMainWindow(parent),
      backend_(backend),
      recordingSettings_(recording),
      captureSettings_(capture) {
    AudioRecord1 = new TAudioRecord2(backend_, this);
    AudioPlayer1 = new TAudioPlayer2(backend_, this);
    AudioFile1 = std::make_unique<TAudioFile2>();
    AudioFile2 = std::make_unique<TAudioFile2>();
    Mp3LameEncoder = std::make_unique<TAudioFile2LameEnc>();
    AudioInformation1 = std::make_unique<TAudioInformation2>();
    AudioFileProbe = std::make_unique<TAudioFile2>();
    // Made before the recording, which notes its open files in it until the last is closed.
    takeJournal_ = std::make_unique<TakeJournal>(takeJournalPath());
    takeRepairer_ = new TakeRepairer(this);
    recordingController_ = std::make_unique<RecordingController>(
        *AudioRecord1, *AudioFileProbe, *AudioFile2, *Mp3LameEncoder, recordingSettings(),
        captureSettings());
    recordingSession().setTakeJournal(takeJournal_.get());
    playback_ = std::make_unique<PlaybackSession>(*AudioPlayer1, *AudioFile1);
    files_ = std::make_unique<CurrentFile>();

    TimerTip = new QTimer(this);
    TimerTip->setInterval(1000);

    MainWindowUi::setupUi(*this);
    connectCommands();
    // Files dragged from a file manager (tform1_drops.cpp).
    setAcceptDrops(true);
    FormCreate();
}

TForm1::~TForm1() {
    // The About box and the tip window clear the window's guards as they close; they go
    // before the guards do.
    delete aboutBox_.data();
    delete tipForm_.data();
}

void TForm1::setEqualizerForm(TfrmEQ *form) {
    frmEQ = form;
}

void TForm1::setRecordingFilterForm(TfrmRecFlt *form) {
    frmRecFlt = form;
    if (frmRecFlt)
        frmRecFlt->SetUpFromRecorder();
}

void TForm1::setRenameForm(TRenameForm *form) {
    RenameForm = form;
}

TSettingForm *TForm1::settingForm() const {
    return SettingForm;
}

TTimeLimitForm *TForm1::timeLimitForm() const {
    return TimeLimitForm;
}

TAboutBox *TForm1::aboutBox() const {
    return aboutBox_;
}

TTipForm *TForm1::tipForm() const {
    return tipForm_;
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
    repairUnfinishedTakes();
    if (settings.RecordTime > 0) {
        setAutoStopIndicator(
            true, tr("Auto stop recording is set to ") + SecondToTime(settings.RecordTime));
    } else {
        setAutoStopIndicator(false, tr("No Auto stop. "));
    }
    SetFormat();
}

void TForm1::repairUnfinishedTakes() {
    const QStringList takes = takeJournal_->takeUnfinished();
    if (takes.isEmpty())
        return;
    connect(takeRepairer_, &TakeRepairer::finished, this, [this](const QStringList &repaired) {
        if (repaired.isEmpty())
            return;
        QStringList names;
        for (const QString &path : repaired)
            names << QDir::toNativeSeparators(path);
        reportLater(tr("The program ended during a recording last time. These files were "
                       "repaired and keep what reached the disk:\n%1")
                        .arg(names.join(u'\n')));
    });
    takeRepairer_->start(takes);
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

QString TForm1::statusPanel(int index) const {
    return statusPanels_[index]->fullText();
}

void TForm1::setStatusPanel(int index, const QString &text, const QString &brief) {
    statusPanels_[index]->setFullText(text, brief);
}

bool TForm1::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() == QEvent::PaletteChange && watched == PageControl1->tabBar())
        MainWindowUi::followPalette(PageControl1);
    if (event->type() == QEvent::Resize) {
        if (watched == Panel1)
            Panel1Resize();
        else if (watched == TabSheet2 && fileInfoBuilt())
            TabSheet2Resize();
        else if (watched == TabSheet3)
            TabSheet3Resize();
        else if (watched == TabSheet4)
            TabSheet4Resize();
    }
    return QMainWindow::eventFilter(watched, event);
}

TForm1::FileInfoControls &TForm1::fileInfo() {
    if (!fileInfo_.ListView1)
        MainWindowUi::buildFileInfoPage(*this);
    return fileInfo_;
}

TForm1::RecordingControlsRow &TForm1::recordingControlsRow() {
    if (!recordingRow_.btnSetFilter)
        MainWindowUi::buildRecordingControlsRow(*this);
    return recordingRow_;
}

TForm1::PlaybackControlsRow &TForm1::playbackControlsRow() {
    if (!playbackRow_.chEqualizer)
        MainWindowUi::buildPlaybackControlsRow(*this);
    return playbackRow_;
}

void TForm1::Panel1Resize() {
    MainWindowUi::placeBottomStrip(*this);
}

void TForm1::TabSheet2Resize() {
    MainWindowUi::placeFileInfoPage(*this);
}

void TForm1::TabSheet3Resize() {
    MainWindowUi::placeRecordingControlsRow(*this);
}

void TForm1::TabSheet4Resize() {
    MainWindowUi::placePlaybackControlsRow(*this);
}

void TForm1::setDesktopServices(DesktopNotifier *notifier, FolderShower *folders) {
    notifier_ = notifier;
    folderShower_ = folders;
    if (notifier_) {
        connect(notifier_, &DesktopNotifier::playRequested, this, &TForm1::playFromOutside);
        connect(notifier_, &DesktopNotifier::showInFolderRequested, this,
                [this](const QString &path) {
                    if (folderShower_)
                        folderShower_->show(path);
                });
    }
}
