#include "settings/dialogs/time_limit_group.h"

#include "audio/units.h"
#include "settings/dialogs/dialog_frame.h"
#include "settings/dialogs/dialog_messages.h"
#include "settings/dialogs/up_down.h"
#include "settings/field_values.h"
#include "settings/recording_settings.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

QString AutoStopSetHint(int seconds) {
    return QCoreApplication::translate("TTimeLimitGroup", "Auto stop recording is set to ") +
           SecondToTime(seconds);
}

TTimeLimitGroup::TTimeLimitGroup(QWidget *parent)
    : QGroupBox(tr("Time Limit"), parent),
      RBNoLimit(new QRadioButton(tr("No Limit"), this)),
      RBLimit(new QRadioButton(tr("Stop recording after "), this)),
      Edit1(MakeNumberField(this)),
      Edit2(MakeNumberField(this)),
      Edit3(MakeNumberField(this)),
      UpDown1(MakeUpDown(Edit1, 1, this)),
      UpDown2(MakeUpDown(Edit2, 1, this)),
      UpDown3(MakeUpDown(Edit3, 5, this)) {
    RBNoLimit->setChecked(true);

    auto *choices = new QHBoxLayout;
    choices->addWidget(RBNoLimit);
    choices->addWidget(RBLimit);
    choices->addStretch();

    auto *fields = new QHBoxLayout;
    fields->setSpacing(0);
    AddNumberField(fields, Edit1, UpDown1, tr("hours"));
    AddNumberField(fields, Edit2, UpDown2, tr("minutes"));
    AddNumberField(fields, Edit3, UpDown3, tr("seconds"));
    fields->addStretch();

    auto *layout = new QVBoxLayout(this);
    UseGroupMargins(layout);
    layout->addLayout(choices);
    layout->addLayout(fields);

    // toggled, not clicked: checking a button from code must have the same effect.
    connect(RBNoLimit, &QRadioButton::toggled, this, [this](bool checked) {
        if (checked)
            RBNoLimitClick();
    });
    connect(RBLimit, &QRadioButton::toggled, this, [this](bool checked) {
        if (checked)
            RBLimitClick();
    });
}

void TTimeLimitGroup::RBNoLimitClick() {
    for (QLineEdit *field : {Edit1, Edit2, Edit3})
        field->setEnabled(false);
}

void TTimeLimitGroup::RBLimitClick() {
    for (QLineEdit *field : {Edit1, Edit2, Edit3})
        field->setEnabled(true);
}

void TTimeLimitGroup::ShowLimit(int recordTime) {
    if (recordTime <= 0)
        return;
    RBLimit->setChecked(true);
    Edit1->setText(QString::number(recordTime / 3600));
    Edit2->setText(QString::number(recordTime % 3600 / 60));
    Edit3->setText(QString::number(recordTime % 60));
}

bool TTimeLimitGroup::ApplyTo(RecordingSettings &s, const IndicatorHook &setIndicator) {
    if (RBLimit->isChecked()) {
        const std::optional<int> total =
            TimeLimitSeconds(Edit1->text(), Edit2->text(), Edit3->text());
        if (!total) {
            ShowInformation(window(), tr("Please input correct integer number!"));
            return false;
        }
        s.RecordTime = *total;
        if (setIndicator)
            setIndicator(true, AutoStopSetHint(s.RecordTime));
    } else {
        s.RecordTime = -1;
        if (setIndicator)
            setIndicator(false, tr(kNoAutoStopHint));
    }
    return true;
}
