// The main window: owns every audio component and display widget, the transport state and
// the recorded-files list. Handlers keep the names of their controls and events and stay
// thin; the work is done by the subsystem classes they call.
#pragma once

#include "recording/recording_controller.h"

#include <QMainWindow>
#include <QPointer>

#include <cstdint>
#include <memory>

class QAction;
class TakeJournal;
class TakeRepairer;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QTimer;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;
class QWidget;

class AudioBackend;
class CaptureStatus;
struct CaptureSettings;
struct RecordingSettings;
class TAboutBox;
class TfrmEQ;
class TfrmRecFlt;
class TRenameForm;
class TSettingForm;
class TTimeLimitForm;
class TTipForm;
class LiveDeviceList;
enum class Direction;

class TAudioFile2;
class TAudioFile2LameEnc;
class TAudioInformation2;
class TAudioPlayer2;
class TAudioRecord2;
class TAudioVisualization2;
class TNCTAmpBar2;
class TNCTPlayButtonB2;
class TNCTSliderB2;
class TNCTTimeDisplay2;
class RecordingSession;
class SleepInhibitor;
class DesktopNotifier;
class FolderShower;
class PlaybackSession;
class StatusPanel;
class CurrentFile;
struct TagFields;

class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    // The settings objects are main's, shared with nothing else that outlives the window; the
    // window loads them from setup.ini as it is created.
    TForm1(AudioBackend &backend, RecordingSettings &recordingSettings,
           CaptureSettings &captureSettings, QWidget *parent = nullptr);

    AudioBackend &backend() const { return backend_; }
    // Keeps the computer awake while a take runs or waits for sound; none, nothing is held.
    void setSleepInhibitor(SleepInhibitor *inhibitor) { sleepInhibitor_ = inhibitor; }
    // Tells the desktop about a take that ended by itself while the window was not in use,
    // and shows files in the file manager; none, neither happens.
    void setDesktopServices(DesktopNotifier *notifier, FolderShower *folders);
    // The equaliser, recording filter and rename dialogs, built by main once the window is on
    // the screen; until they are set, the commands that open them do nothing. Their owner
    // keeps them; the window lets go of one that is destroyed.
    void setEqualizerForm(TfrmEQ *form);
    void setRecordingFilterForm(TfrmRecFlt *form);
    void setRenameForm(TRenameForm *form);
    // The dialogs the window opens itself, while they are open; else null.
    TSettingForm *settingForm() const;
    TTimeLimitForm *timeLimitForm() const;
    TAboutBox *aboutBox() const;
    TTipForm *tipForm() const;
    ~TForm1() override;

    // Applies the recording-format settings to both file components and the MP3 encoder.
    void SetFormat();

    // Status bar panels 0..2. A panel shows as much of the text as fits, or of `brief` when
    // given; statusPanel() gives the whole text.
    QString statusPanel(int index) const;
    void setStatusPanel(int index, const QString &text, const QString &brief = QString());

    // Transport state, as showTransportState() derives it from the recording controller and
    // the playback session; nothing else writes these.
    bool flgPlay = false;
    bool flgPause = false;
    bool flgRecord = false;
    bool flgPauseRecord = false;
    // Length in samples of the file last opened or recorded (the slider's stopped preview).
    int mSamples = 0;
    bool SliderBusy = false;

    // The take from Record to its last part, the recording session it drives, and the
    // playback under way.
    RecordingController &recordingController() const { return *recordingController_; }
    RecordingSession &recordingSession() const { return recordingController_->session(); }
    PlaybackSession &playbackSession() const { return *playback_; }
    // Time left on the disk, the recording's gaps and clipped samples (its own status panel).
    CaptureStatus &captureStatus() const { return *captureStatus_; }

    // Audio components
    TAudioRecord2 *AudioRecord1 = nullptr;
    TAudioPlayer2 *AudioPlayer1 = nullptr;
    std::unique_ptr<TAudioFile2> AudioFile1;
    std::unique_ptr<TAudioFile2> AudioFile2;
    std::unique_ptr<TAudioFile2LameEnc> Mp3LameEncoder;
    std::unique_ptr<TAudioInformation2> AudioInformation1;

    // Tool bar
    QToolButton *ToolBtnOpen = nullptr;
    QToolButton *ToolBtnOptions = nullptr;
    QToolButton *ToolBtnAutostop = nullptr;
    QToolButton *ToolBtnHelp = nullptr;
    QToolButton *ToolBtnAbout = nullptr;

    // Menu items
    QAction *Open1 = nullptr;
    QAction *Exit1 = nullptr;
    QAction *Record1 = nullptr;
    QAction *Play1 = nullptr;
    QAction *Pause1 = nullptr;
    QAction *Stop1 = nullptr;
    QAction *Options1 = nullptr;
    QAction *PlaybackVolumeControls1 = nullptr;
    QAction *FileInfo1 = nullptr;
    QAction *Options2 = nullptr;
    QAction *HelpContents2 = nullptr;
    QAction *Homepage2 = nullptr;
    QAction *ipoftheDay1 = nullptr;
    QAction *About1 = nullptr;

    // Tabs
    QTabWidget *PageControl1 = nullptr;
    QWidget *TabSheet1 = nullptr;
    QWidget *TabSheet2 = nullptr;
    QWidget *TabSheet3 = nullptr;
    QWidget *TabSheet4 = nullptr;

    // "Record Sound"
    QComboBox *ComboBox1 = nullptr;
    QComboBox *ComboBox2 = nullptr;
    QGroupBox *RadioGroup1 = nullptr;
    TAudioVisualization2 *AudioVisualization1 = nullptr;

    // Mixer tabs. The device lists are there from the start; the rest of each tab's top row
    // is built when the tab is first shown or the control is first asked for.
    QComboBox *DeviceComboIn = nullptr;
    QComboBox *DeviceCombo = nullptr;
    QPushButton *btnSetFilter() { return recordingControlsRow().btnSetFilter; }
    QCheckBox *chEqualizer() { return playbackControlsRow().chEqualizer; }

    // "File Info". Its controls are built when the page is first shown or first asked for;
    // each of these builds them if that has not happened yet.
    QTreeWidget *ListView1() { return fileInfo().ListView1; }
    QMenu *PopupMenu1() { return fileInfo().PopupMenu1; }
    QAction *Play2() { return fileInfo().Play2; }
    QAction *Rename1() { return fileInfo().Rename1; }
    QAction *Delete2() { return fileInfo().Delete2; }  // "Delete from list box"
    QAction *Delete1() { return fileInfo().Delete1; }  // "Delete from hard disk"
    QAction *ShowInFolder() { return fileInfo().ShowInFolder; }
    QLineEdit *infoTitle() { return fileInfo().infoTitle; }
    QLineEdit *infoArtist() { return fileInfo().infoArtist; }
    QLineEdit *infoAlbum() { return fileInfo().infoAlbum; }
    QComboBox *infoGenre() { return fileInfo().infoGenre; }
    QLineEdit *infoCopyright() { return fileInfo().infoCopyright; }
    QLineEdit *infoYear() { return fileInfo().infoYear; }
    QLineEdit *infoTrack() { return fileInfo().infoTrack; }
    QLineEdit *infoComment() { return fileInfo().infoComment; }
    QGroupBox *infoMTV() { return fileInfo().infoMTV; }
    QRadioButton *infoMTVv1() { return fileInfo().infoMTVv1; }
    QRadioButton *infoMTVv2() { return fileInfo().infoMTVv2; }
    QPushButton *btnReset() { return fileInfo().btnReset; }
    QPushButton *btnApply() { return fileInfo().btnApply; }
    bool fileInfoBuilt() const { return fileInfo_.ListView1 != nullptr; }

    // Bottom strip
    QWidget *Panel1 = nullptr;
    TNCTSliderB2 *NCTSliderB1 = nullptr;
    TNCTPlayButtonB2 *NCTPlayButtonB1 = nullptr;
    TNCTAmpBar2 *NCTAmpBar1 = nullptr;
    TNCTAmpBar2 *NCTAmpBar2 = nullptr;
    TNCTTimeDisplay2 *NCTTimeDisplay1 = nullptr;

    QTimer *TimerTip = nullptr;

    // The current file, the output file, the list's rows and the file being played; the
    // list and the tag editor show it.
    CurrentFile &currentFile() const { return *files_; }
    // The current file name: the file the open dialog chose last, the new recording, or
    // the selected list row, whichever was set last.
    QString currentFileName() const;
    void setCurrentFileName(const QString &fileName);

    // Shows the auto-stop indicator as pressed or released with a hint.
    void setAutoStopIndicator(bool pressed, const QString &hint);

    // Layout handlers
    void Panel1Resize();
    void TabSheet2Resize();
    void TabSheet3Resize();
    void TabSheet4Resize();

    // Commands
    void Exit1Click();
    void Options1Click();
    void PlaybackVolumeControls1Click();
    void FileInfo1Click();
    void NCTPlayButtonB1ChangeVolume(int Volume);
    void ComboBox1Click();
    void ComboBox2Click();
    void RadioGroup1Click();

    // Settings commands (tform1_settings.cpp)
    void Options2Click();
    void ToolBtnAutostopClick();

    // Help, tips and About (tform1_extras.cpp)
    void HelpContents2Click();
    void Homepage2Click();
    void ipoftheDay1Click();
    void ToolBtnAboutClick();
    void TimerTipTimer();

    // Transport commands and routines (tform1_transport.cpp)
    void Record1Click();
    void Play1Click();
    void Pause1Click();
    void Stop1Click();
    void NCTPlayButtonB1MouseClick(int Button);
    // The recording routines send their command to the recording controller, whose state
    // the window then shows (recordingStateChanged).
    void StartRecord();
    void PauseRecord();
    void StopRecord();
    void StartPlay();
    void PausePlay();
    void StopPlay();

    // The recording controller's reports (tform1_recording.cpp)
    void AudioRecord1Timer(int position, int elapsedMs, int leftLevel, int rightLevel);
    void ListFile(const QString &path);

    // Playback displays, the session's reports and the slider (tform1_playback.cpp)
    void AudioPlayer1EndPlay();
    void AudioPlayer1Timer(int position, int leftLevel, int rightLevel);
    void AudioPlayer1DeviceError(const QString &reason);
    void AudioPlayer1StartFailed(const QString &message);
    void AudioPlayer1ReadFailed(const QString &message);
    void NCTSliderB1MouseDown();
    void NCTSliderB1MouseUp();
    void NCTSliderB1ValueChange(int Value);

    // Files, tags and the list (tform1_files.cpp)
    void Open1Click();
    // Opens `path` as File > Open opens the file chosen in its dialog: facts and tags shown,
    // a row in the list. A file whose tags cannot be read says so and gets no row.
    void openPath(const QString &path);
    // Opens each file in turn, the last one current; none while File > Open is off.
    void openPaths(const QStringList &paths);
    void OpenFile();
    void btnResetClick();
    void btnApplyClick();
    void infoMTVClick();
    void ListView1SelectItem();
    // A click on a row, or Enter on it: that row's file becomes the current file, also when
    // the row was selected already.
    void ListView1RowClicked(QTreeWidgetItem *row);
    void Play2Click();
    void Rename1Click();
    // The selected row's file in the file manager.
    void ShowInFolderClick();
    // A file named from outside the window (a notification's Play): its row becomes current
    // and it plays, with the window brought to the front.
    void playFromOutside(const QString &path);
    void Delete2Click();
    void Delete1Click();

    // File names: the output file chosen last, the selected list row, the file being
    // played, and the name a rename gave last.
    QString CurrentFileName() const;
    QString SelectFileName() const;
    QString CurrentPlayFile() const;
    QString NewName() const;

    // Mixer tabs and effects (tform1_mixer.cpp)
    void SetSrcOutput();
    void SetSrcInput();
    // The mixer tabs' source panels are built when their tab is first shown; until then the
    // lines are only read for the window's width.
    bool playbackPanelsBuilt() const { return playbackPanelsBuilt_; }
    bool recordingPanelsBuilt() const { return recordingPanelsBuilt_; }
    void DeviceComboClick();
    void DeviceComboInClick();
    void chEqualizerClick();
    void btnSetFilterClick();

    // Listening while stopped, pre-record and voice activation (tform1_listening.cpp)
    // The options in captureSettings() changed: listening follows them.
    void captureSettingsChanged() { recordingController_->restartListening(); }
    bool isListening() const { return recordingController_->isListening(); }
    bool isWaitingForSound() const {
        return recordingController_->state() == RecordingController::State::Armed;
    }
    // How long after the sound crossed the start level the last voice start ran, in ms.
    int lastVoiceStartDelayMs() const { return recordingController_->lastVoiceStartDelayMs(); }
    void AudioRecord1IdleTimer(int position, int leftLevel, int rightLevel);

    // Devices and mixer lines changed by the system or another program (tform1_devices.cpp)
    void BackendDevicesChanged();
    void BackendMixerChanged(Direction direction, int device);

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    // Files dropped from a file manager (tform1_drops.cpp).
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Builds the controls into the members below and places them.
    friend class MainWindowUi;

    struct FileInfoControls {
        QTreeWidget *ListView1 = nullptr;
        QMenu *PopupMenu1 = nullptr;
        QAction *Play2 = nullptr;
        QAction *Rename1 = nullptr;
        QAction *Delete2 = nullptr;
        QAction *Delete1 = nullptr;
        QAction *ShowInFolder = nullptr;
        QLineEdit *infoTitle = nullptr;
        QLineEdit *infoArtist = nullptr;
        QLineEdit *infoAlbum = nullptr;
        QComboBox *infoGenre = nullptr;
        QLineEdit *infoCopyright = nullptr;
        QLineEdit *infoYear = nullptr;
        QLineEdit *infoTrack = nullptr;
        QLineEdit *infoComment = nullptr;
        QGroupBox *infoMTV = nullptr;
        QRadioButton *infoMTVv1 = nullptr;
        QRadioButton *infoMTVv2 = nullptr;
        QPushButton *btnReset = nullptr;
        QPushButton *btnApply = nullptr;
    };
    FileInfoControls &fileInfo();
    struct RecordingControlsRow {
        QLabel *LabelInputDevice = nullptr;
        QPushButton *btnSetFilter = nullptr;
    };
    struct PlaybackControlsRow {
        QLabel *LabelOutputDevice = nullptr;
        QCheckBox *chEqualizer = nullptr;
    };
    RecordingControlsRow &recordingControlsRow();
    PlaybackControlsRow &playbackControlsRow();

    void FormCreate();
    void FormShow();
    void FormClose();

    // Ctrl+Tab, Ctrl+Page Down and the reverse keys turn the pages from anywhere in the
    // window (tform1_keyboard.cpp).
    void buildPageKeys();
    void turnPage(int step);
    // The "EQ..." button beside the equaliser switch (tform1_mixer.cpp).
    QPushButton *buildEqualizerBandsButton();
    void connectCommands();
    void connectSettingsCommands();
    void connectExtrasCommands();
    void connectMixerCommands();
    void connectTransportCommands();
    void connectFileCommands();
    // The list's and the tag editor's commands, bound once the page is built.
    void connectFileInfoCommands();
    void connectDeviceEvents();
    // Builds a page's controls the first time the page is shown.
    void pageShown();
    // The source panels after a change of device (`rebuild`) or of the lines' values.
    void refreshPlaybackPanels(bool rebuild);
    void refreshRecordingPanels(bool rebuild);
    void showUnavailableReason();
    void followMixer();
    void showOutputVolume();
    void showDeviceOutcomes(bool outputChanged, bool inputChanged, const QStringList &messages,
                            const QStringList &briefs = {});
    void resumeDeviceFollowing();
    void followRecordedApplication();
    void resetDisplays();
    void showRunningSideLook();
    // The one writer of the flg* fields: they follow the controllers' states.
    void showTransportState();
    // What the recording controller reports (tform1_recording.cpp).
    void connectRecording();
    void recordingStateChanged(RecordingController::State state);
    void recordingListeningChanged(bool listening);
    void recordingPartStarted(const QString &path, const QString &format);
    void recordingPartFinished(const QString &path, int samples);
    void recordingFileFull(const QString &full, const QString &next);
    void recordingTakeFinished(const QString &path, int samples, const QString &failure);
    void recordingStartFailed(const QString &message);
    void askOverwrite(const QString &path);
    // Set the spectrum's frequency axis to the rate of the playback or the recording
    // (tform1_spectrum.cpp).
    void spectrumFollowsPlayback();
    void spectrumFollowsRecording();
    // After one side stopped: the rate of the other side if it still runs.
    void spectrumFollowsWhatRuns();
    void connectListening();
    // Tells the recording controller whether a playback runs: the idle capture's level
    // display gives way to it.
    void updateListening();
    void reportLater(const QString &message);
    // Repairs, away from the window, the takes an earlier run left unfinished, and says once
    // which files were repaired.
    void repairUnfinishedTakes();
    // Holds the sleep inhibitor while a take runs or waits for sound, naming what it does.
    void keepAwakeWhileRecording();
    void updateApplyEnabled();
    TagFields tagFields();
    bool loadTags();
    bool loadTagsAndFacts();
    // Lists the current file and highlights its row, as the file the window now shows.
    void listCurrentFile();
    // Draws the list's rows and selection from the current-file object.
    void showRows();
    // The selected row's index in the list; -1 with none.
    int selectedListRow();
    // After a rename on disk: what the window shows of the old path names the new one.
    void followRename(const QString &from, const QString &to);
    // The device's main output line carries the transport bar's mute switch.
    void setOutputMute(bool mute);

    // The settings main passed in, under the names the window's code reads them by.
    RecordingSettings &recordingSettings() const { return recordingSettings_; }
    CaptureSettings &captureSettings() const { return captureSettings_; }

    AudioBackend &backend_;
    RecordingSettings &recordingSettings_;
    CaptureSettings &captureSettings_;
    // Creates new output files, probes them and reads opened files' facts, so that none of
    // that disturbs a playback reading from AudioFile1.
    std::unique_ptr<TAudioFile2> AudioFileProbe;
    // The buttons of RadioGroup1, by display type.
    QButtonGroup *RadioGroup1Buttons = nullptr;
    SleepInhibitor *sleepInhibitor_ = nullptr;
    DesktopNotifier *notifier_ = nullptr;
    FolderShower *folderShower_ = nullptr;
    // After a take that ended by itself: a notification when the window is not in use.
    void notifyTakeEnded(const QString &path, const QString &failure);
    QPointer<TfrmEQ> frmEQ;
    QPointer<TfrmRecFlt> frmRecFlt;
    QPointer<TRenameForm> RenameForm;
    QPointer<TSettingForm> SettingForm;
    QPointer<TTimeLimitForm> TimeLimitForm;
    QPointer<TAboutBox> aboutBox_;
    QPointer<TTipForm> tipForm_;
    // Before the recording controller, whose session notes in it until its last file is
    // closed.
    std::unique_ptr<TakeJournal> takeJournal_;
    TakeRepairer *takeRepairer_ = nullptr;
    std::unique_ptr<RecordingController> recordingController_;
    std::unique_ptr<PlaybackSession> playback_;
    // The recording state the window shows now.
    RecordingController::State shownRecording_ = RecordingController::State::Idle;
    StatusPanel *statusPanels_[3] = {};
    CaptureStatus *captureStatus_ = nullptr;
    std::unique_ptr<LiveDeviceList> outputDevices_;
    std::unique_ptr<LiveDeviceList> inputDevices_;
    QString shownUnavailable_;   // the reason in status panel 1, until the devices are back
    QString applicationNotice_;  // "<application> stopped playing" while that is so
    QTimer *mixerFollow_ = nullptr;
    bool followOutputMixer_ = false;
    bool followInputMixer_ = false;
    std::unique_ptr<CurrentFile> files_;
    bool shown_ = false;
    FileInfoControls fileInfo_;
    RecordingControlsRow recordingRow_;
    PlaybackControlsRow playbackRow_;
    bool playbackPanelsBuilt_ = false;
    bool recordingPanelsBuilt_ = false;
};
