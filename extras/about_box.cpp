#include "extras/about_box.h"

#include "extras/korvanta_icons.h"
#include "extras/link_label.h"
#include "extras/shell_open.h"
#include "settings/app_paths.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

namespace {

QLabel *caption(const QString &text, QWidget *parent) {
    auto *label = new QLabel(text, parent);
    QFont bold = label->font();
    bold.setBold(true);
    label->setFont(bold);
    return label;
}

QFrame *rule(QWidget *parent) {
    auto *line = new QFrame(parent);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

}  // namespace

TAboutBox::TAboutBox(QWidget *owner)
    : QDialog(owner, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowStaysOnTopHint) {
    buildUi();
    FormCreate();
    connect(this, &QDialog::finished, this, &TAboutBox::FormClose);
}

TAboutBox::~TAboutBox() = default;

void TAboutBox::buildUi() {
    setWindowTitle(tr("About"));

    auto *top = new QHBoxLayout;
    auto *picture = new QLabel(this);
    picture->setFixedSize(34, 33);
    picture->setAlignment(Qt::AlignCenter);
    picture->setPixmap(korvantaAppIcon().pixmap(32, 32));
    top->addWidget(picture);
    Label1 = new QLabel(this);
    Label1->setTextFormat(Qt::PlainText);
    QFont titleFont = Label1->font();
    titleFont.setBold(true);
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.3);
    Label1->setFont(titleFont);
    top->addWidget(Label1, 1);

    auto *rows = new QGridLayout;
    rows->setColumnStretch(1, 1);
    rows->setHorizontalSpacing(16);
    Label3 = new QLabel(this);
    Label3->setTextFormat(Qt::PlainText);
    Label5 = new TLinkLabel(QString(), this);
    Label7 = new TLinkLabel(tr("Technology Support"), this);
    rows->addWidget(caption(tr("Version"), this), 0, 0);
    rows->addWidget(Label3, 0, 1);
    rows->addWidget(caption(tr("HomePage"), this), 1, 0);
    rows->addWidget(Label5, 1, 1);
    supportCaption_ = caption(tr("Technology Support"), this);
    rows->addWidget(supportCaption_, 2, 0);
    rows->addWidget(Label7, 2, 1);
    connect(Label5, &TLinkLabel::clicked, this, &TAboutBox::Label5Click);
    connect(Label7, &TLinkLabel::clicked, this, &TAboutBox::Label7Click);

    BtnClose = new QPushButton(tr("Close"), this);
    BtnClose->setDefault(true);
    connect(BtnClose, &QPushButton::clicked, this, &TAboutBox::BtnCloseClick);
    auto *bottom = new QHBoxLayout;
    bottom->addStretch(1);
    bottom->addWidget(BtnClose);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(rule(this));
    layout->addLayout(rows);
    layout->addStretch(1);
    layout->addWidget(rule(this));
    layout->addLayout(bottom);
}

void TAboutBox::FormCreate() {
    const ProductInfo info = ReadProductInfo(supportIniPath());
    ProgramName = info.ProgramName;
    VersionName = info.VersionName;
    HomePage = info.HomePage;
    Email = info.Email;
    Label1->setText(ProgramName + QLatin1Char(' ') + VersionName);
    Label3->setText(VersionName);
    Label5->setText(HomePage);
    // Without an address there is nobody to write to: no row invites a click that would open
    // a mail to nowhere.
    const bool hasSupportAddress = !Email.trimmed().isEmpty();
    supportCaption_->setVisible(hasSupportAddress);
    Label7->setVisible(hasSupportAddress);
    // The design size, grown where a long name or address needs more room.
    setFixedSize(sizeHint().expandedTo(QSize(405, 248)));
}

void TAboutBox::Label5Click() {
    const QUrl url = HomePageUrl(HomePage);
    if (url.isValid())
        ShellOpen(url);
}

void TAboutBox::Label7Click() {
    if (Email.trimmed().isEmpty())
        return;
    ShellOpen(QUrl(QStringLiteral("mailto:") + Email));
}

void TAboutBox::BtnCloseClick() {
    accept();
}

void TAboutBox::FormClose() {
    deleteLater();
}

void ShowAboutBox(QPointer<TAboutBox> &box, QWidget *owner) {
    if (!box) {
        box = new TAboutBox(owner);
        // A closed box is on its way out: the next call builds a fresh one.
        QObject::connect(box, &QDialog::finished, box, [&box] { box = nullptr; });
    }
    box->setWindowModality(Qt::ApplicationModal);
    box->show();
    box->raise();
    box->activateWindow();
}

QUrl HomePageUrl(const QString &homePage) {
    return QUrl::fromUserInput(homePage.trimmed());
}
