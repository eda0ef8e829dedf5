#include "settings/dialog_frame.h"

#include <QDialog>

void SetFixedDialogFrame(QDialog *dialog, int clientWidth, int clientHeight) {
    dialog->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    dialog->setFixedSize(clientWidth, clientHeight);
    dialog->setSizeGripEnabled(false);
}
