#include "settings/dialog_messages.h"

#include <QApplication>
#include <QMessageBox>

void ShowInformation(QWidget *parent, const QString &text) {
    QMessageBox box(QMessageBox::Information, QStringLiteral("Information"), text, QMessageBox::Ok,
                    parent);
    box.exec();
}

void ShowError(QWidget *parent, const QString &text) {
    QMessageBox box(QMessageBox::Critical, QApplication::applicationDisplayName(), text,
                    QMessageBox::Ok, parent);
    box.exec();
}
