// The Help menu's services that hand their work to the desktop: the user manual and the
// homepage.
#pragma once

class QWidget;

// Opens the user manual (manual/index.html beside the executable or in the install's data
// folder) in the desktop's web browser. When it is missing, a message over owner says so and
// where it belongs, rather than nothing happening.
void OpenHelpContents(QWidget *owner);

// Opens the homepage that support.ini names, else the built-in one, in the web browser.
void OpenHomepage();
