#include "extras/show_in_folder.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QFileInfo>
#include <QUrl>

FolderShower::FolderShower(BusOpener sessionBus, FolderOpener openFolder, QObject *parent)
    : QObject(parent), openSession_(std::move(sessionBus)), openFolder_(std::move(openFolder)) {}

void FolderShower::show(const QString &file) {
    const QString folder = QFileInfo(file).absolutePath();
    QDBusConnection bus = openSession_();
    if (!bus.isConnected()) {
        openFolder_(folder);
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.FileManager1"),
        QStringLiteral("/org/freedesktop/FileManager1"),
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("ShowItems"));
    call << QStringList{QUrl::fromLocalFile(file).toString(QUrl::FullyEncoded)} << QString();
    auto *watcher = new QDBusPendingCallWatcher(bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, folder](QDBusPendingCallWatcher *answer) {
                answer->deleteLater();
                if (QDBusPendingReply<>(*answer).isError())
                    openFolder_(folder);
            });
}
