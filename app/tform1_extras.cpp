// The main window's help menu: help file, homepage, tip of the day and About.
#include "app/tform1.h"

#include "extras/about_box.h"
#include "extras/help_commands.h"
#include "extras/korvanta_icons.h"
#include "extras/tip_form.h"

#include <QAction>
#include <QTimer>
#include <QToolButton>

void TForm1::connectExtrasCommands() {
    applyApplicationIdentity();
    setWindowIcon(korvantaAppIcon());
    ipoftheDay1->setIcon(korvantaIcon("korvanta-tip"));

    connect(TimerTip, &QTimer::timeout, this, &TForm1::TimerTipTimer);
    connect(HelpContents2, &QAction::triggered, this, &TForm1::HelpContents2Click);
    connect(ToolBtnHelp, &QToolButton::clicked, this, &TForm1::HelpContents2Click);
    connect(Homepage2, &QAction::triggered, this, &TForm1::Homepage2Click);
    connect(ipoftheDay1, &QAction::triggered, this, &TForm1::ipoftheDay1Click);
    connect(About1, &QAction::triggered, this, &TForm1::ToolBtnAboutClick);
    connect(ToolBtnAbout, &QToolButton::clicked, this, &TForm1::ToolBtnAboutClick);
}

// Shows the tip window once, about a second after start-up, unless the user turned that off.
void TForm1::TimerTipTimer() {
    TimerTip->stop();
    if (TipsWantedAtStartup())
        ShowTipOfTheDay(tipForm_, this, TipOccasion::Startup);
}

void TForm1::HelpContents2Click() {
    OpenHelpContents(this);
}

void TForm1::Homepage2Click() {
    OpenHomepage();
}

void TForm1::ipoftheDay1Click() {
    ShowTipOfTheDay(tipForm_, this, TipOccasion::OnRequest);
}

void TForm1::ToolBtnAboutClick() {
    ShowAboutBox(aboutBox_, this);
}
