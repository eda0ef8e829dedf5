// "Options": output directory, output format and quality, auto-stop limit and auto-split
// interval. Created for one modal showing and destroyed afterwards, so everything is read
// afresh at each opening; OK applies the choices and writes them to setup.ini.
#pragma once

#include "settings/dialogs/main_window_hooks.h"

#include <QDialog>

#include <functional>
#include <memory>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QToolButton;
class TAudioFile2;
struct CaptureSettings;
struct RecordingSettings;
class TListeningPage;
class TTimeLimitGroup;
class TUpDown;

class TSettingForm : public QDialog {
    Q_OBJECT
public:
    // Returns the chosen folder, or an empty text when the user cancelled.
    using FolderPicker = std::function<QString(QWidget *parent, const QString &title)>;

    static constexpr int kClientWidth = 319;
    static constexpr int kClientHeight = 511;

    // Shows and edits `recording` and `capture`, which outlive the dialog.
    TSettingForm(RecordingSettings &recording, CaptureSettings &capture, MainWindowHooks hooks,
                 QWidget *parent);
    ~TSettingForm() override;

    // Replaces the platform's folder picker (tests).
    void setFolderPicker(FolderPicker picker) { folderPicker_ = std::move(picker); }

    QGroupBox *GBPath = nullptr;
    QLineEdit *EdSavePath = nullptr;
    QToolButton *SpeedBtnSelect = nullptr;

    QGroupBox *GBFormat = nullptr;
    QRadioButton *RBMP3 = nullptr;
    QRadioButton *RBWAV = nullptr;
    QRadioButton *RBWMA = nullptr;
    QComboBox *cbMP3 = nullptr;
    QComboBox *cbWAV = nullptr;
    QComboBox *cbWMA = nullptr;
    QRadioButton *RBFLAC = nullptr;
    QRadioButton *RBOpus = nullptr;
    QRadioButton *RBVorbis = nullptr;
    QComboBox *cbFLAC = nullptr;
    QComboBox *cbOpus = nullptr;
    QComboBox *cbVorbis = nullptr;

    TTimeLimitGroup *GBTimeLimit = nullptr;
    QRadioButton *RBNoLimit = nullptr;
    QRadioButton *RBLimit = nullptr;
    QLineEdit *Edit1 = nullptr;
    QLineEdit *Edit2 = nullptr;
    QLineEdit *Edit3 = nullptr;
    TUpDown *UpDown1 = nullptr;
    TUpDown *UpDown2 = nullptr;
    TUpDown *UpDown3 = nullptr;

    QGroupBox *GBSplit = nullptr;
    QCheckBox *CheckSplit = nullptr;
    QLineEdit *Edit4 = nullptr;  // minutes
    QLineEdit *Edit5 = nullptr;  // seconds
    TUpDown *UpDown4 = nullptr;
    TUpDown *UpDown5 = nullptr;

    // The groups above sit on the first page; listening and voice activation on the second.
    QTabWidget *PageOptions = nullptr;
    TListeningPage *PageListening = nullptr;

    QPushButton *BtnOK = nullptr;
    QPushButton *BtnCancel = nullptr;

    // Only used to ask for the descriptions of the WMA profiles.
    std::unique_ptr<TAudioFile2> AudioFile1;

    void InitComboBox();
    QString GetWMAString(int ProfileIndex);

    void RBMP3Click();
    void RBWAVClick();
    void RBWMAClick();
    void RBFLACClick();
    void RBOpusClick();
    void RBVorbisClick();
    void CheckSplitClick();
    void SpeedBtnSelectClick();
    void BtnOKClick();
    void BtnCancelClick();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void buildUi();
    void connectControls();
    void FormCreate();
    void FormShow();
    // Enables the list of one format and disables the others.
    void enableFormatList(QComboBox *list);

    RecordingSettings &recording_;
    CaptureSettings &capture_;
    MainWindowHooks hooks_;
    FolderPicker folderPicker_;
};
