#include "settings/dialogs/listening_page.h"

#include "settings/dialogs/dialog_frame.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

QSpinBox *makeSpin(int minimum, int maximum, const QString &suffix, QWidget *parent) {
    auto *spin = new QSpinBox(parent);
    spin->setRange(minimum, maximum);
    spin->setSuffix(suffix);
    return spin;
}

// "<before> [field] <after>" on one row.
QHBoxLayout *fieldRow(QWidget *before, QWidget *field, const QString &after, QWidget *parent) {
    auto *row = new QHBoxLayout;
    row->addWidget(before);
    row->addWidget(field);
    // The page is as narrow as the dialog: the words after the field wrap rather than clip.
    auto *tail = new QLabel(after, parent);
    tail->setWordWrap(true);
    row->addWidget(tail, 1);
    return row;
}

}  // namespace

TListeningPage::TListeningPage(QWidget *parent) : QWidget(parent) {
    auto *before = new QGroupBox(tr("Before Record"), this);
    auto *keepLabel = new QLabel(tr("Keep the last"), before);
    SpinPreRecord = makeSpin(0, CaptureSettings::kMaxPreRecordSeconds, QString(), before);
    keepLabel->setBuddy(SpinPreRecord);
    SpinPreRecord->setSpecialValueText(tr("off"));
    CheckMonitor = new QCheckBox(tr("Show input level while stopped"), before);
    auto *beforeLayout = new QVBoxLayout(before);
    UseGroupMargins(beforeLayout);
    beforeLayout->addLayout(
        fieldRow(keepLabel, SpinPreRecord, tr("seconds before Record"), before));
    beforeLayout->addWidget(CheckMonitor);

    auto *voice = new QGroupBox(tr("Voice Activation"), this);
    CheckVoiceStart = new QCheckBox(tr("Start recording when the level exceeds"), voice);
    SpinVoiceLevel = makeSpin(CaptureSettings::kMinVoiceLevelDb, CaptureSettings::kMaxVoiceLevelDb,
                              tr(" dB"), voice);
    CheckVoicePause = new QCheckBox(tr("Pause after"), voice);
    SpinSilence = makeSpin(CaptureSettings::kMinSilenceSeconds, CaptureSettings::kMaxSilenceSeconds,
                           QString(), voice);
    // The check boxes' texts run on into these fields; each field says what it holds.
    SpinPreRecord->setAccessibleName(tr("Seconds kept before Record"));
    SpinVoiceLevel->setAccessibleName(tr("Start level in dB"));
    SpinSilence->setAccessibleName(tr("Seconds of silence before the pause"));
    auto *hint = new QLabel(tr("With voice start, Record waits for sound and Stop ends the "
                               "wait; pressing Record again starts at once."),
                            voice);
    hint->setWordWrap(true);
    auto *voiceLayout = new QVBoxLayout(voice);
    UseGroupMargins(voiceLayout);
    voiceLayout->addWidget(CheckVoiceStart);
    auto *levelRow = new QHBoxLayout;
    levelRow->addSpacing(20);
    levelRow->addWidget(SpinVoiceLevel);
    levelRow->addStretch();
    voiceLayout->addLayout(levelRow);
    voiceLayout->addLayout(fieldRow(CheckVoicePause, SpinSilence, tr("seconds of silence"), voice));
    voiceLayout->addWidget(hint);

    auto *layout = new QVBoxLayout(this);
    UseDialogMargins(layout);
    layout->addWidget(before);
    layout->addWidget(voice);
    layout->addStretch();

    connect(CheckVoiceStart, &QCheckBox::toggled, this, &TListeningPage::updateEnabled);
    connect(CheckVoicePause, &QCheckBox::toggled, this, &TListeningPage::updateEnabled);
    showSettings(CaptureSettings());
}

void TListeningPage::showSettings(const CaptureSettings &s) {
    SpinPreRecord->setValue(s.preRecordSeconds);
    CheckMonitor->setChecked(s.showLevelWhileStopped);
    CheckVoiceStart->setChecked(s.voiceStart);
    SpinVoiceLevel->setValue(s.voiceLevelDb);
    CheckVoicePause->setChecked(s.voicePause);
    SpinSilence->setValue(s.silenceSeconds);
    updateEnabled();
}

CaptureSettings TListeningPage::settings() const {
    CaptureSettings s;
    s.preRecordSeconds = SpinPreRecord->value();
    s.showLevelWhileStopped = CheckMonitor->isChecked();
    s.voiceStart = CheckVoiceStart->isChecked();
    s.voiceLevelDb = SpinVoiceLevel->value();
    s.voicePause = CheckVoicePause->isChecked();
    s.silenceSeconds = SpinSilence->value();
    return s;
}

// The level is the threshold of both the start and the pause, so it is open with either.
void TListeningPage::updateEnabled() {
    SpinVoiceLevel->setEnabled(CheckVoiceStart->isChecked() || CheckVoicePause->isChecked());
    SpinSilence->setEnabled(CheckVoicePause->isChecked());
}
