// The main window's settings commands: the Options dialog and the auto-stop button.
#include "app/tform1.h"

#include "settings/capture_settings.h"
#include "settings/dialogs/setting_form.h"
#include "settings/dialogs/time_limit_form.h"
#include "settings/dialogs/time_limit_group.h"
#include "settings/recording_settings.h"

#include <QAction>
#include <QCoreApplication>
#include <QToolButton>

namespace {

MainWindowHooks hooksOf(TForm1 *window) {
    return {[window](bool pressed, const QString &hint) {
                window->setAutoStopIndicator(pressed, hint);
            },
            [window] { window->SetFormat(); }};
}

// Shows a freshly created dialog modally and destroys it afterwards. The guard stays empty
// if the dialog went away with its owner meanwhile.
template <typename Dialog, typename... Settings>
void runDialog(QPointer<Dialog> &reference, TForm1 *owner, Settings &...settings) {
    QPointer<Dialog> dialog = new Dialog(settings..., hooksOf(owner), owner);
    reference = dialog;
    dialog->exec();
    delete dialog.data();
}

}  // namespace

void TForm1::connectSettingsCommands() {
    connect(Options2, &QAction::triggered, this, &TForm1::Options2Click);
    connect(ToolBtnOptions, &QToolButton::clicked, this, &TForm1::Options2Click);
    connect(ToolBtnAutostop, &QToolButton::clicked, this, [this] {
        // Qt has just toggled the checkable button itself; its state shows the limit and
        // belongs to the program alone.
        ToolBtnAutostop->setChecked(!ToolBtnAutostop->isChecked());
        ToolBtnAutostopClick();
    });
}

void TForm1::Options2Click() {
    // The dialog changes the output format, which a running recording must not see.
    if (flgRecord || SettingForm)
        return;
    runDialog(SettingForm, this, recordingSettings(), captureSettings());
    recordingController_->restartListening();
}

void TForm1::ToolBtnAutostopClick() {
    RecordingSettings &s = recordingSettings();
    if (s.RecordTime > 0) {
        // Written to setup.ini only at the next Options OK or when the window closes.
        s.RecordTime = -1;
        setAutoStopIndicator(false,
                             QCoreApplication::translate("TTimeLimitGroup", kAutoStopClearedHint));
        return;
    }
    if (!TimeLimitForm)
        runDialog(TimeLimitForm, this, recordingSettings());
}
