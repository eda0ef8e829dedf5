#include "settings/dialogs/dialog_frame.h"

#include <QDialog>
#include <QLayout>

void SetFixedDialogFrame(QDialog *dialog, int clientWidth, int clientHeight) {
    dialog->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    dialog->setFixedSize(clientWidth, clientHeight);
    dialog->setSizeGripEnabled(false);
}

void UseDialogMargins(QLayout *layout) {
    layout->setContentsMargins(6, 6, 6, 6);
    layout->setSpacing(6);
}

void UseGroupMargins(QLayout *layout) {
    layout->setContentsMargins(6, 4, 6, 6);
    layout->setSpacing(4);
}

void FitDialogToContents(QDialog *dialog, int clientWidth, int clientHeight) {
    dialog->setFixedSize(QSize(clientWidth, clientHeight).expandedTo(dialog->minimumSizeHint()));
}
