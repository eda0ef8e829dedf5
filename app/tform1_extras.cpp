// The main window's help menu: help file, homepage, tip of the day and About.
#include "app/tform1.h"

#include <QAction>
#include <QTimer>
#include <QToolButton>

void TForm1::connectExtrasCommands() {
    connect(TimerTip, &QTimer::timeout, this, &TForm1::TimerTipTimer);
    connect(HelpContents2, &QAction::triggered, this, &TForm1::HelpContents2Click);
    connect(ToolBtnHelp, &QToolButton::clicked, this, &TForm1::HelpContents2Click);
    connect(Homepage2, &QAction::triggered, this, &TForm1::Homepage2Click);
    connect(ipoftheDay1, &QAction::triggered, this, &TForm1::ipoftheDay1Click);
    connect(About1, &QAction::triggered, this, &TForm1::ToolBtnAboutClick);
    connect(ToolBtnAbout, &QToolButton::clicked, this, &TForm1::ToolBtnAboutClick);
}

void TForm1::TimerTipTimer() {
    TimerTip->stop();
}

void TForm1::HelpContents2Click() {}

void TForm1::Homepage2Click() {}

void TForm1::ipoftheDay1Click() {}

void TForm1::ToolBtnAboutClick() {}
