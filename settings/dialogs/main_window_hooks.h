// What the settings dialogs need from the main window, handed in by it so that the dialogs
// do not depend on the window itself.
#pragma once

#include <QString>

#include <functional>

struct MainWindowHooks {
    // Shows the auto-stop tool button pressed or released, with its hint.
    std::function<void(bool pressed, const QString &hint)> setAutoStopIndicator;
    // Hands the recording-format settings to the file components.
    std::function<void()> setFormat;
};
