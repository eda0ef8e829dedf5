// The Help menu's services that hand their work to the desktop: the help file and the homepage.
#pragma once

// Opens korvantasoundrecorder.chm beside the executable with the desktop's viewer for it.
// Without the file nothing happens: no desktop error pops up for a help file we never shipped.
void OpenHelpContents();

// Opens the product's homepage in the web browser.
void OpenHomepage();
