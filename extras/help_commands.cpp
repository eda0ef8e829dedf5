#include "extras/help_commands.h"

#include "extras/product_info.h"
#include "extras/shell_open.h"
#include "settings/app_paths.h"

#include <QFileInfo>
#include <QUrl>

void OpenHelpContents() {
    const QString path = helpFilePath();
    if (QFileInfo(path).isFile())
        ShellOpen(QUrl::fromLocalFile(path));
}

void OpenHomepage() {
    ShellOpen(QUrl(QString::fromLatin1(product::kHomePage)));
}
