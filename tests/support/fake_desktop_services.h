// A fake notification service and a fake file manager for a private bus: they record what
// they were asked, and the notification service can send the signals a click sends.
#pragma once

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QStringList>
#include <QVariantMap>

#include <vector>

namespace testsupport {

class FakeNotifications : public QDBusVirtualObject {
public:
    struct Notification {
        uint id = 0;
        QString appName, icon, summary, body;
        QStringList actions;
        QVariantMap hints;
    };

    explicit FakeNotifications(QDBusConnection bus) : bus_(bus) {
        bus_.registerVirtualObject(QStringLiteral("/org/freedesktop/Notifications"), this);
        bus_.registerService(QStringLiteral("org.freedesktop.Notifications"));
    }

    bool handleMessage(const QDBusMessage &message, const QDBusConnection &) override {
        if (message.member() != QLatin1String("Notify") || message.arguments().size() != 8)
            return false;
        const QList<QVariant> a = message.arguments();
        Notification shown;
        shown.id = uint(shown_.size() + 100);
        shown.appName = a.at(0).toString();
        shown.icon = a.at(2).toString();
        shown.summary = a.at(3).toString();
        shown.body = a.at(4).toString();
        shown.actions = a.at(5).toStringList();
        shown.hints = qdbus_cast<QVariantMap>(a.at(6));
        shown_.push_back(shown);
        message.setDelayedReply(true);
        bus_.send(message.createReply(QVariant::fromValue(shown.id)));
        return true;
    }

    QString introspect(const QString &) const override { return {}; }

    // What a click on one of a notification's buttons sends.
    void click(uint id, const QString &action) {
        QDBusMessage signal = QDBusMessage::createSignal(
            QStringLiteral("/org/freedesktop/Notifications"),
            QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("ActionInvoked"));
        signal << id << action;
        bus_.send(signal);
    }

    const std::vector<Notification> &shown() const { return shown_; }

private:
    QDBusConnection bus_;
    std::vector<Notification> shown_;
};

class FakeFileManager : public QDBusVirtualObject {
public:
    explicit FakeFileManager(QDBusConnection bus) : bus_(bus) {
        bus_.registerVirtualObject(QStringLiteral("/org/freedesktop/FileManager1"), this);
        bus_.registerService(QStringLiteral("org.freedesktop.FileManager1"));
    }

    bool handleMessage(const QDBusMessage &message, const QDBusConnection &) override {
        if (message.member() != QLatin1String("ShowItems") || message.arguments().size() != 2)
            return false;
        shownItems << message.arguments().at(0).toStringList();
        message.setDelayedReply(true);
        bus_.send(message.createReply());
        return true;
    }

    QString introspect(const QString &) const override { return {}; }

    QStringList shownItems;

private:
    QDBusConnection bus_;
};

}  // namespace testsupport
