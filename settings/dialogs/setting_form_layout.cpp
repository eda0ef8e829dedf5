// The Options dialog's controls and their arrangement.
#include "settings/dialogs/setting_form.h"

#include "settings/dialogs/dialog_frame.h"
#include "settings/dialogs/listening_page.h"
#include "settings/dialogs/time_limit_group.h"
#include "settings/dialogs/up_down.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

QComboBox *makeFormatList(QWidget *parent) {
    auto *list = new QComboBox(parent);
    // The lists take typed text too; typing never adds a row.
    list->setEditable(true);
    list->setInsertPolicy(QComboBox::NoInsert);
    list->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    list->setMinimumContentsLength(12);
    list->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    return list;
}

}  // namespace

void TSettingForm::buildUi() {
    setWindowTitle(tr("Options"));
    // Three rows taller than the MP3/WAV/WMA dialog was, for FLAC, Opus and Vorbis.
    SetFixedDialogFrame(this, kClientWidth, kClientHeight);

    GBPath = new QGroupBox(tr("Save Path"), this);
    EdSavePath = new QLineEdit(GBPath);
    SpeedBtnSelect = new QToolButton(GBPath);
    SpeedBtnSelect->setAutoRaise(true);
    SpeedBtnSelect->setIcon(QApplication::style()->standardIcon(QStyle::SP_DirOpenIcon));
    SpeedBtnSelect->setToolTip(tr("select save directory"));
    auto *pathRow = new QHBoxLayout(GBPath);
    UseGroupMargins(pathRow);
    pathRow->addWidget(EdSavePath);
    pathRow->addWidget(SpeedBtnSelect);

    GBFormat = new QGroupBox(tr("Record Format"), this);
    RBMP3 = new QRadioButton(QStringLiteral("MP3"), GBFormat);
    RBWAV = new QRadioButton(QStringLiteral("WAV"), GBFormat);
    RBWMA = new QRadioButton(QStringLiteral("WMA"), GBFormat);
    cbMP3 = makeFormatList(GBFormat);
    cbWAV = makeFormatList(GBFormat);
    cbWMA = makeFormatList(GBFormat);
    RBFLAC = new QRadioButton(QStringLiteral("FLAC"), GBFormat);
    RBOpus = new QRadioButton(tr("Ogg Opus"), GBFormat);
    RBVorbis = new QRadioButton(tr("Ogg Vorbis"), GBFormat);
    cbFLAC = makeFormatList(GBFormat);
    cbOpus = makeFormatList(GBFormat);
    cbVorbis = makeFormatList(GBFormat);
    RBMP3->setChecked(true);
    for (QComboBox *list : {cbWAV, cbWMA, cbFLAC, cbOpus, cbVorbis})
        list->setEnabled(false);
    auto *formats = new QGridLayout(GBFormat);
    UseGroupMargins(formats);
    formats->addWidget(RBMP3, 0, 0);
    formats->addWidget(cbMP3, 0, 1);
    formats->addWidget(RBWAV, 1, 0);
    formats->addWidget(cbWAV, 1, 1);
    formats->addWidget(RBWMA, 2, 0);
    formats->addWidget(cbWMA, 2, 1);
    formats->addWidget(RBFLAC, 3, 0);
    formats->addWidget(cbFLAC, 3, 1);
    formats->addWidget(RBOpus, 4, 0);
    formats->addWidget(cbOpus, 4, 1);
    formats->addWidget(RBVorbis, 5, 0);
    formats->addWidget(cbVorbis, 5, 1);
    formats->setColumnStretch(1, 1);

    GBTimeLimit = new TTimeLimitGroup(this);
    RBNoLimit = GBTimeLimit->RBNoLimit;
    RBLimit = GBTimeLimit->RBLimit;
    Edit1 = GBTimeLimit->Edit1;
    Edit2 = GBTimeLimit->Edit2;
    Edit3 = GBTimeLimit->Edit3;
    UpDown1 = GBTimeLimit->UpDown1;
    UpDown2 = GBTimeLimit->UpDown2;
    UpDown3 = GBTimeLimit->UpDown3;

    GBSplit = new QGroupBox(tr("Auto Split"), this);
    CheckSplit = new QCheckBox(tr("Split Every"), GBSplit);
    Edit4 = MakeNumberField(GBSplit);
    Edit5 = MakeNumberField(GBSplit);
    UpDown4 = MakeUpDown(Edit4, 1, GBSplit);
    UpDown5 = MakeUpDown(Edit5, 5, GBSplit);
    auto *splitFields = new QHBoxLayout;
    splitFields->setSpacing(0);
    AddNumberField(splitFields, Edit4, UpDown4, tr("minutes"));
    AddNumberField(splitFields, Edit5, UpDown5, tr("seconds"));
    splitFields->addStretch();
    auto *split = new QVBoxLayout(GBSplit);
    UseGroupMargins(split);
    split->addWidget(CheckSplit);
    split->addLayout(splitFields);

    BtnOK = new QPushButton(tr("OK"), this);
    BtnCancel = new QPushButton(tr("Cancel"), this);
    BtnOK->setDefault(true);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(BtnOK);
    buttons->addWidget(BtnCancel);

    PageOptions = new QTabWidget(this);
    auto *general = new QWidget(PageOptions);
    auto *generalLayout = new QVBoxLayout(general);
    UseDialogMargins(generalLayout);
    generalLayout->addWidget(GBPath);
    generalLayout->addWidget(GBFormat);
    generalLayout->addWidget(GBTimeLimit);
    generalLayout->addWidget(GBSplit);
    generalLayout->addStretch();
    PageOptions->addTab(general, tr("Recording"));
    PageListening = new TListeningPage(PageOptions);
    PageOptions->addTab(PageListening, tr("Listening"));

    auto *layout = new QVBoxLayout(this);
    UseDialogMargins(layout);
    layout->addWidget(PageOptions);
    layout->addLayout(buttons);
    FitDialogToContents(this, kClientWidth, kClientHeight);
}
