#include "extras/tip_form.h"

#include "extras/korvanta_icons.h"
#include "settings/app_paths.h"
#include "settings/setup_keys.h"

#include <QCheckBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTextEdit>
#include <QVBoxLayout>

TTipForm::TTipForm(QWidget *owner) : QDialog(owner) {
    buildUi();
    FormCreate();
    // Every way of closing (Close, the close box, Escape) ends in finished().
    connect(this, &QDialog::finished, this, &TTipForm::FormClose);
}

TTipForm::~TTipForm() = default;

void TTipForm::buildUi() {
    setWindowTitle(tr("Tip of the Day"));
    resize(358, 295);

    auto *frame = new QFrame(this);
    frame->setFrameShape(QFrame::Panel);
    frame->setFrameShadow(QFrame::Sunken);
    auto *framed = new QVBoxLayout(frame);
    framed->setContentsMargins(2, 2, 2, 2);

    auto *panel = new QWidget(frame);
    panel->setAutoFillBackground(true);
    // The tip sits on the palette's page colour (white in a light theme, dark in a dark one)
    // with the matching text colour.
    QPalette white = panel->palette();
    white.setColor(QPalette::Window, white.color(QPalette::Base));
    white.setColor(QPalette::WindowText, white.color(QPalette::Text));
    panel->setPalette(white);
    auto *column = new QVBoxLayout(panel);

    auto *heading = new QHBoxLayout;
    auto *picture = new QLabel(panel);
    picture->setPixmap(korvantaBundledIcon("korvanta-tip").pixmap(32, 32));
    heading->addWidget(picture);
    auto *title = new QLabel(tr("Did you know..."), panel);
    QFont bold = title->font();
    bold.setBold(true);
    bold.setPixelSize(16);
    title->setFont(bold);
    heading->addWidget(title, 1);
    column->addLayout(heading);

    RichEdit1 = new QTextEdit(panel);
    RichEdit1->setReadOnly(true);
    RichEdit1->setAcceptRichText(false);
    RichEdit1->setFrameShape(QFrame::NoFrame);
    RichEdit1->setLineWrapMode(QTextEdit::WidgetWidth);
    RichEdit1->setPalette(white);
    column->addWidget(RichEdit1, 1);
    framed->addWidget(panel);

    CheckBox1 = new QCheckBox(tr("Show Tips on Startup"), this);
    CheckBox1->setChecked(true);
    BtnNext = new QPushButton(tr("Next Tip"), this);
    BtnClose = new QPushButton(tr("Close"), this);
    BtnClose->setDefault(true);
    connect(BtnNext, &QPushButton::clicked, this, &TTipForm::BtnNextClick);
    connect(BtnClose, &QPushButton::clicked, this, &TTipForm::BtnCloseClick);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(CheckBox1, 1);
    buttons->addWidget(BtnNext);
    buttons->addWidget(BtnClose);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(frame, 1);
    layout->addLayout(buttons);
}

void TTipForm::FormCreate() {
    const IniFile setup(setupIniPath());
    storedTipNo_ = setupkeys::read(setup, setupkeys::kTipNumber);
    ShowTip = setupkeys::read(setup, setupkeys::kShowTip);
    CheckBox1->setChecked(ShowTip == 1);
    tips_.emplace(ReadTips(tipsPath()), storedTipNo_);
    BtnNext->setEnabled(tips_->TotalLine() > 0);
    showTipText();
}

void TTipForm::showTipText() {
    RichEdit1->setPlainText(tips_->ShownText());
}

void TTipForm::BtnNextClick() {
    if (tips_->Next())
        showTipText();
}

void TTipForm::BtnCloseClick() {
    // Only what this window changed: another copy of the program may have saved its own since.
    std::vector<IniEntry> changed;
    if (tips_->CurrentTipNo() != storedTipNo_)
        changed.push_back(setupkeys::entry(setupkeys::kTipNumber, tips_->CurrentTipNo()));
    const int showTip = CheckBox1->isChecked() ? 1 : 0;
    if (showTip != ShowTip)
        changed.push_back(setupkeys::entry(setupkeys::kShowTip, showTip));
    IniFile setup(writableSetupIniPath());
    // A read-only setup.ini must not trap the user in the window: say so, then close anyway.
    if (!setup.Write(changed))
        QMessageBox::critical(this, windowTitle(), setup.lastError());
    accept();
}

void TTipForm::FormClose() {
    deleteLater();
}

void ShowTipOfTheDay(QPointer<TTipForm> &form, QWidget *owner, TipOccasion occasion) {
    if (occasion == TipOccasion::Startup && ReadTips(tipsPath()).isEmpty())
        return;
    if (!form) {
        form = new TTipForm(owner);
        // A closed window is on its way out: the next call builds a fresh one.
        QObject::connect(form, &QDialog::finished, form, [&form] { form = nullptr; });
    }
    form->setWindowModality(Qt::ApplicationModal);
    form->show();
    form->raise();
    form->activateWindow();
}

bool TipsWantedAtStartup() {
    return setupkeys::read(IniFile(setupIniPath()), setupkeys::kShowTip) == 1;
}
