#include "settings/dialogs/dialog_messages.h"

#include <QApplication>
#include <QCoreApplication>
#include <QMessageBox>

void ShowInformation(QWidget *parent, const QString &text) {
    QMessageBox box(QMessageBox::Information,
                    QCoreApplication::translate("DialogMessages", "Information"), text,
                    QMessageBox::Ok, parent);
    box.exec();
}

void ShowError(QWidget *parent, const QString &text) {
    QMessageBox box(QMessageBox::Critical, QApplication::applicationDisplayName(), text,
                    QMessageBox::Ok, parent);
    box.exec();
}
