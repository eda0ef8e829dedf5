// The two kinds of message box the settings dialogs show.
#pragma once

#include <QString>

class QWidget;

// Wrong input in a dialog: caption "Information", an information icon and an OK button.
void ShowInformation(QWidget *parent, const QString &text);

// A failure the program cannot mend (a conversion error, a file that cannot be written), shown
// as the program shows every such error: under its own name with an error icon.
void ShowError(QWidget *parent, const QString &text);
