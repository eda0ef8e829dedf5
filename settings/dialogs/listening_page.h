// The Options dialog's "Listening" page: pre-record length, the input level while stopped, and
// voice-activated start and pause. It shows and returns CaptureSettings; the dialog's OK
// applies and saves them.
#pragma once

#include "settings/capture_settings.h"

#include <QWidget>

class QCheckBox;
class QSpinBox;

class TListeningPage : public QWidget {
    Q_OBJECT
public:
    explicit TListeningPage(QWidget *parent = nullptr);

    void showSettings(const CaptureSettings &s);
    CaptureSettings settings() const;

    QSpinBox *SpinPreRecord = nullptr;  // seconds, 0 = off
    QCheckBox *CheckMonitor = nullptr;
    QCheckBox *CheckVoiceStart = nullptr;
    QSpinBox *SpinVoiceLevel = nullptr;  // dB
    QCheckBox *CheckVoicePause = nullptr;
    QSpinBox *SpinSilence = nullptr;  // seconds

private:
    void updateEnabled();
};
