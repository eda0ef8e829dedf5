#include "files/rename_form.h"

#include "audio/codec/posix_file.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

#include <fcntl.h>
#include <cerrno>
#include <cstdio>

namespace {

// The extension: from the last "." after the last "/", dot included; "" when none.
QString extensionOf(const QString &name) {
    const int dot = name.lastIndexOf(QLatin1Char('.'));
    const int slash = name.lastIndexOf(QLatin1Char('/'));
    return dot > slash ? name.mid(dot) : QString();
}

}  // namespace

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

QString RenamedFileName(const QString &typed, const QString &caption) {
    const QString typedExt = extensionOf(typed);
    return typed.left(typed.size() - typedExt.size()) + extensionOf(caption);
}

bool RenameWithoutReplacing(const QString &from, const QString &to) {
    // renameat2(RENAME_NOREPLACE) is atomic; a check-then-rename would race with others.
    // A NUL would end the name early: the file would get another name than the row shows.
    if (from.contains(QChar(0)) || to.contains(QChar(0)))
        return false;
    const QByteArray source = korvanta::codec::nativePath(from);
    const QByteArray target = korvanta::codec::nativePath(to);
    if (::renameat2(AT_FDCWD, source.constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE) ==
        0)
        return true;
    // Some file systems lack the flag; there, a hard link refuses an existing target too.
    if (errno != EINVAL)
        return false;
    if (korvanta::codec::fileExists(to))
        return false;
    return std::rename(source.constData(), target.constData()) == 0;
}
