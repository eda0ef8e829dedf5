#include "extras/korvanta_icons.h"

#include <QFile>
#include <QGuiApplication>

namespace {

const QString kIconRoot = QStringLiteral(":/korvanta/icons/");

}  // namespace

QIcon korvantaBundledIcon(const char *name) {
    QIcon icon;
    for (const char *size : {"16/", "32/"}) {
        const QString path =
            kIconRoot + QLatin1String(size) + QLatin1String(name) + QStringLiteral(".png");
        if (QFile::exists(path))
            icon.addFile(path);
    }
    return icon;
}

QIcon korvantaIcon(const char *name) {
    return QIcon::fromTheme(QLatin1String(name), korvantaBundledIcon(name));
}

QIcon korvantaAppIcon() {
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/korvanta/app/korvanta-recorder-%1.png").arg(size),
                     QSize(size, size));
    return icon;
}

void applyApplicationIdentity() {
    QGuiApplication::setWindowIcon(korvantaAppIcon());
    QGuiApplication::setDesktopFileName(QStringLiteral("korvanta-recorder"));
}
