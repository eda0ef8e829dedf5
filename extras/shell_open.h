// Handing a document, web address or mail address to the desktop, which picks the program
// that opens it. Tests replace the desktop so nothing is launched while they run.
#pragma once

#include <QUrl>

#include <functional>

// Asks the desktop to open url; the outcome is the desktop's business and is not reported.
void ShellOpen(const QUrl &url);

// Routes ShellOpen to handler instead of the desktop; an empty handler restores the desktop.
void setShellOpenHandlerForTesting(std::function<void(const QUrl &)> handler);
