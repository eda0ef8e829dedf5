// The user interface's language: Qt's own texts (standard dialogs, message box buttons) and the
// program's, both for the user's locale. With no translation for that locale (English, or a
// language nobody has translated yet) nothing is installed and every text stays English.
#pragma once

#include <QLocale>

class QCoreApplication;

// Installs the translators for `locale` into `app`, which owns them. Returns true when the
// program's own translation was found.
bool InstallTranslations(QCoreApplication &app, const QLocale &locale = QLocale::system());
