#include "settings/dialogs/time_limit_form.h"

#include "settings/dialogs/dialog_frame.h"
#include "settings/dialogs/time_limit_group.h"
#include "settings/recording_settings.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include <utility>

TTimeLimitForm::TTimeLimitForm(RecordingSettings &settings, MainWindowHooks hooks, QWidget *parent)
    : QDialog(parent),
      GBTimeLimit(new TTimeLimitGroup(this)),
      RBNoLimit(GBTimeLimit->RBNoLimit),
      RBLimit(GBTimeLimit->RBLimit),
      Edit1(GBTimeLimit->Edit1),
      Edit2(GBTimeLimit->Edit2),
      Edit3(GBTimeLimit->Edit3),
      UpDown1(GBTimeLimit->UpDown1),
      UpDown2(GBTimeLimit->UpDown2),
      UpDown3(GBTimeLimit->UpDown3),
      BtnOK(new QPushButton(tr("OK"), this)),
      BtnCancel(new QPushButton(tr("Cancel"), this)),
      settings_(settings),
      hooks_(std::move(hooks)) {
    setWindowTitle(tr("Auto Stop Settings"));
    SetFixedDialogFrame(this, 303, 132);

    BtnOK->setDefault(true);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(BtnOK);
    buttons->addWidget(BtnCancel);

    auto *layout = new QVBoxLayout(this);
    UseDialogMargins(layout);
    layout->addWidget(GBTimeLimit);
    layout->addStretch();
    layout->addLayout(buttons);
    FitDialogToContents(this, 303, 132);

    connect(BtnOK, &QPushButton::clicked, this, &TTimeLimitForm::BtnOKClick);
    connect(BtnCancel, &QPushButton::clicked, this, &TTimeLimitForm::BtnCancelClick);
}

void TTimeLimitForm::BtnOKClick() {
    // The new limit stays in memory; setup.ini gets it at the next Options OK or at exit.
    if (GBTimeLimit->ApplyTo(settings_, hooks_.setAutoStopIndicator))
        accept();
}

void TTimeLimitForm::BtnCancelClick() {
    reject();
}
