#include "files/rename_form.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

TRenameForm::TRenameForm(QWidget *parent) : QDialog(parent) {
    setWindowTitle(tr("Rename"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    auto *column = new QVBoxLayout(this);
    auto *caption = new QLabel(tr("Input New Filename:"), this);
    column->addWidget(caption);
    Edit1 = new QLineEdit(this);
    caption->setBuddy(Edit1);
    column->addWidget(Edit1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    BtnOK = new QPushButton(tr("OK"), this);
    BtnOK->setDefault(true);
    BtnCancel = new QPushButton(tr("Cancel"), this);
    buttons->addWidget(BtnOK);
    buttons->addWidget(BtnCancel);
    column->addLayout(buttons);
    // The design size, or what the caption and buttons need in a larger font.
    setFixedSize(QSize(306, 100).expandedTo(minimumSizeHint()));
    connect(BtnOK, &QPushButton::clicked, this, &TRenameForm::BtnOKClick);
    connect(BtnCancel, &QPushButton::clicked, this, &TRenameForm::BtnCancelClick);
    // Enter in the edit box presses the default button, "OK".
}

void TRenameForm::BtnOKClick() {
    if (Edit1->text().isEmpty()) {
        QMessageBox::information(this, windowTitle(), tr("new name can not be blank!"));
        return;
    }
    if (!onAccept || onAccept(Edit1->text()))
        accept();
}

void TRenameForm::BtnCancelClick() {
    reject();
}
