// The small dialog that asks for a recorded file's new name. One instance lives for the
// whole run and keeps the text typed last.
#pragma once

#include "files/current_file.h"

#include <QDialog>

#include <functional>

class QLineEdit;
class QPushButton;

class TRenameForm : public QDialog {
    Q_OBJECT
public:
    explicit TRenameForm(QWidget *parent = nullptr);

    QLineEdit *Edit1 = nullptr;
    QPushButton *BtnOK = nullptr;
    QPushButton *BtnCancel = nullptr;

    // Called by "OK" with the typed text; returns false to keep the dialog open.
    std::function<bool(const QString &)> onAccept;

    void BtnOKClick();
    void BtnCancelClick();
};
