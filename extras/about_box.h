// The About box: program name, version and the homepage and support links, as given by
// support.ini (read afresh at every showing) or by the built-in values. An empty support
// address hides the support row.
#pragma once

#include "extras/product_info.h"

#include <QDialog>
#include <QPointer>

class QLabel;
class QPushButton;
class TLinkLabel;

class TAboutBox : public QDialog {
    Q_OBJECT
public:
    explicit TAboutBox(QWidget *owner);
    ~TAboutBox() override;

    void Label5Click();
    void Label7Click();
    void BtnCloseClick();

    QString ProgramName;
    QString VersionName;
    QString HomePage;
    QString Email;

    QLabel *Label1 = nullptr;      // title line
    QLabel *Label3 = nullptr;      // version
    TLinkLabel *Label5 = nullptr;  // homepage link
    TLinkLabel *Label7 = nullptr;  // support link
    QPushButton *BtnClose = nullptr;

private:
    void FormCreate();
    void FormClose();
    void buildUi();

    QLabel *supportCaption_ = nullptr;
};

// Shows the About box modally over owner, creating it into `box` when there is none; `box`
// is null again once the box is closed, and must outlive it. Modal without a nested event
// loop: the call returns at once.
void ShowAboutBox(QPointer<TAboutBox> &box, QWidget *owner);

// The address the homepage link opens for a homepage text: web addresses as they are, a bare
// host name such as "www.example.org" as an http address.
QUrl HomePageUrl(const QString &homePage);
