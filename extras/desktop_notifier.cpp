#include "extras/desktop_notifier.h"

#include <QCoreApplication>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QVariantMap>

namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kInterface = QStringLiteral("org.freedesktop.Notifications");
const QString kPlay = QStringLiteral("play");
const QString kShow = QStringLiteral("show-in-folder");

}  // namespace

DesktopNotifier::DesktopNotifier(BusOpener sessionBus, QObject *parent)
    : QObject(parent), openSession_(std::move(sessionBus)) {}

void DesktopNotifier::notifyAboutFile(const QString &summary, const QString &body,
                                      const QString &file) {
    if (!session_) {
        session_ = openSession_();
        connectActions(*session_);
    }
    if (!session_->isConnected())
        return;
    QDBusMessage call =
        QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("Notify"));
    const QStringList actions{kPlay, tr("Play"), kShow, tr("Show in folder")};
    const QVariantMap hints{
        {QStringLiteral("desktop-entry"), QStringLiteral("korvanta-recorder")},
        {QStringLiteral("category"), QStringLiteral("transfer.complete")},
    };
    call << QCoreApplication::applicationName() << uint(0) << QStringLiteral("korvanta-recorder")
         << summary << body << actions << hints << int(-1);
    auto *watcher = new QDBusPendingCallWatcher(session_->asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, file](QDBusPendingCallWatcher *answer) {
                answer->deleteLater();
                const QDBusPendingReply<uint> reply = *answer;
                if (!reply.isError())
                    files_[reply.value()] = file;
            });
}

// QtDBus takes a bus signal's receiver only by its slot's signature.
void DesktopNotifier::connectActions(QDBusConnection bus) {
    if (!bus.isConnected())
        return;
    bus.connect(kService, kPath, kInterface, QStringLiteral("ActionInvoked"), this,
                SLOT(actionInvoked(uint, QString)));
    bus.connect(kService, kPath, kInterface, QStringLiteral("NotificationClosed"), this,
                SLOT(notificationClosed(uint, uint)));
}

void DesktopNotifier::actionInvoked(uint id, const QString &action) {
    const auto found = files_.find(id);
    if (found == files_.end())
        return;  // another program's notification
    const QString file = found->second;
    if (action == kPlay)
        Q_EMIT playRequested(file);
    else if (action == kShow)
        Q_EMIT showInFolderRequested(file);
}

void DesktopNotifier::notificationClosed(uint id, uint /*reason*/) {
    files_.erase(id);
}
