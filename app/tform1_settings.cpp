// The main window's settings commands: the Options dialog and the auto-stop button.
#include "app/tform1.h"

#include <QAction>
#include <QToolButton>

void TForm1::connectSettingsCommands() {
    connect(Options2, &QAction::triggered, this, &TForm1::Options2Click);
    connect(ToolBtnOptions, &QToolButton::clicked, this, &TForm1::Options2Click);
    connect(ToolBtnAutostop, &QToolButton::clicked, this, &TForm1::ToolBtnAutostopClick);
}

void TForm1::Options2Click() {}

void TForm1::ToolBtnAutostopClick() {
    // The button shows the limit; a click must not toggle it by itself.
    ToolBtnAutostop->setChecked(!ToolBtnAutostop->isChecked());
}
