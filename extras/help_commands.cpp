#include "extras/help_commands.h"

#include "extras/about_box.h"
#include "extras/product_info.h"
#include "extras/shell_open.h"
#include "settings/app_paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QUrl>

void OpenHelpContents(QWidget *owner) {
    const QString path = manualIndexPath();
    if (QFileInfo(path).isFile()) {
        ShellOpen(QUrl::fromLocalFile(path));
        return;
    }
    QMessageBox::information(
        owner, QCoreApplication::translate("HelpCommands", "Help Contents"),
        QCoreApplication::translate(
            "HelpCommands",
            "The user manual was not found: %1\n\nIt is installed with the program "
            "(into share/korvanta-recorder/manual/); reinstalling the program "
            "puts it back.")
            .arg(QDir::toNativeSeparators(path)));
}

void OpenHomepage() {
    const QUrl url = HomePageUrl(ReadProductInfo(supportIniPath()).HomePage);
    if (url.isValid())
        ShellOpen(url);
}
