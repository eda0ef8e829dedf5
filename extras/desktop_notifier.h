// Tells the desktop about a recording that ended while nobody was looking: a notification
// (org.freedesktop.Notifications) naming the file and its length, with "Play" and "Show in
// folder" actions. Calls are asynchronous; without a bus or a notification service nothing
// is shown and nothing is said.
#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>

#include <functional>
#include <map>
#include <optional>

class DesktopNotifier : public QObject {
    Q_OBJECT
public:
    using BusOpener = std::function<QDBusConnection()>;

    explicit DesktopNotifier(BusOpener sessionBus, QObject *parent = nullptr);

    // Shows `summary` and `body` about `file`, whose actions come back as the signals below.
    void notifyAboutFile(const QString &summary, const QString &body, const QString &file);

Q_SIGNALS:
    void playRequested(const QString &file);
    void showInFolderRequested(const QString &file);

private:
    void connectActions(QDBusConnection bus);
    // The service's signals, routed by the id each notification was given.
    Q_SLOT void actionInvoked(uint id, const QString &action);
    Q_SLOT void notificationClosed(uint id, uint reason);

    BusOpener openSession_;
    std::optional<QDBusConnection> session_;
    std::map<uint, QString> files_;  // the file each shown notification is about
};
