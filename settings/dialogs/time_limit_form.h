// "Auto Stop Settings": sets the recording time limit. Opened by the main window's auto-stop
// button while no limit is set, created for that one showing and destroyed afterwards.
#pragma once

#include "settings/dialogs/main_window_hooks.h"

#include <QDialog>

class QLineEdit;
class QPushButton;
class QRadioButton;
class TTimeLimitGroup;
class TUpDown;
struct RecordingSettings;

class TTimeLimitForm : public QDialog {
    Q_OBJECT
public:
    // Sets the auto-stop limit of `settings`, which outlives the dialog.
    TTimeLimitForm(RecordingSettings &settings, MainWindowHooks hooks, QWidget *parent);

    TTimeLimitGroup *GBTimeLimit;
    QRadioButton *RBNoLimit;
    QRadioButton *RBLimit;
    QLineEdit *Edit1;
    QLineEdit *Edit2;
    QLineEdit *Edit3;
    TUpDown *UpDown1;
    TUpDown *UpDown2;
    TUpDown *UpDown3;
    QPushButton *BtnOK;
    QPushButton *BtnCancel;

    void BtnOKClick();
    void BtnCancelClick();

private:
    RecordingSettings &settings_;
    MainWindowHooks hooks_;
};
