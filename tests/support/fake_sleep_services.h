// Private message buses for tests, with a fake desktop portal and a fake login manager that
// record the sleep inhibitors asked of them, so no test touches the machine's own buses.
#pragma once

#include "tests/support/event_loop.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusUnixFileDescriptor>
#include <QDBusVirtualObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QVariantMap>

#include <poll.h>
#include <unistd.h>

#include <memory>
#include <vector>

namespace testsupport {

// A dbus-daemon of the test's own, without service activation (nothing real starts on it).
class PrivateBus {
public:
    explicit PrivateBus(const QString &name) : name_(name) {
        const QString daemon = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
        if (daemon.isEmpty() || !dir_.isValid())
            return;
        const QString config = dir_.filePath(QStringLiteral("bus.conf"));
        QFile file(config);
        if (!file.open(QIODevice::WriteOnly))
            return;
        file.write(
            "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration "
            "1.0//EN\" \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
            "<busconfig><type>session</type><listen>unix:dir=" +
            dir_.path().toUtf8() +
            "</listen><auth>EXTERNAL</auth><policy context=\"default\">"
            "<allow send_destination=\"*\" eavesdrop=\"true\"/><allow eavesdrop=\"true\"/>"
            "<allow own=\"*\"/></policy></busconfig>\n");
        file.close();
        daemon_.start(daemon, {QStringLiteral("--config-file=") + config,
                               QStringLiteral("--nofork"), QStringLiteral("--print-address")});
        if (!waitUntil(
                [&] { return daemon_.canReadLine() || daemon_.state() == QProcess::NotRunning; }))
            return;
        address_ = QString::fromUtf8(daemon_.readLine()).trimmed();
    }

    ~PrivateBus() {
        for (const QString &connection : connections_)
            QDBusConnection::disconnectFromBus(connection);
        daemon_.kill();
        daemon_.waitForFinished();
    }

    bool isRunning() const { return !address_.isEmpty(); }
    // For another process to reach the bus (DBUS_SESSION_BUS_ADDRESS).
    QString address() const { return address_; }

    // A new connection of this process to the bus, under a name of its own.
    QDBusConnection connect(const QString &role) {
        const QString connection = name_ + QLatin1Char('-') + role;
        connections_ << connection;
        return QDBusConnection::connectToBus(address_, connection);
    }

private:
    QString name_;
    QTemporaryDir dir_;
    QProcess daemon_;
    QString address_;
    QStringList connections_;
};

// The desktop portal's Inhibit: each call gets a request handle under the portal's path, and
// a Close on that handle is recorded. With `holdAnswers` the answers wait for answerAll().
class FakePortal : public QDBusVirtualObject {
public:
    struct Inhibitor {
        QString window;
        uint flags = 0;
        QString reason;
        QString handle;
        bool closed = false;
    };

    explicit FakePortal(QDBusConnection bus) : bus_(bus) {
        bus_.registerVirtualObject(QStringLiteral("/org/freedesktop/portal/desktop"), this,
                                   QDBusConnection::SubPath);
        bus_.registerService(QStringLiteral("org.freedesktop.portal.Desktop"));
    }

    bool handleMessage(const QDBusMessage &message, const QDBusConnection &) override {
        if (message.interface() == QLatin1String("org.freedesktop.portal.Inhibit") &&
            message.member() == QLatin1String("Inhibit") && message.arguments().size() == 3) {
            Inhibitor inhibitor;
            inhibitor.window = message.arguments().at(0).toString();
            inhibitor.flags = message.arguments().at(1).toUInt();
            inhibitor.reason = qdbus_cast<QVariantMap>(message.arguments().at(2))
                                   .value(QStringLiteral("reason"))
                                   .toString();
            inhibitor.handle = QStringLiteral("/org/freedesktop/portal/desktop/request/t/%1")
                                   .arg(inhibitors.size() + 1);
            inhibitors.push_back(inhibitor);
            message.setDelayedReply(true);
            const QDBusMessage reply =
                message.createReply(QVariant::fromValue(QDBusObjectPath(inhibitor.handle)));
            if (holdAnswers)
                heldAnswers_.push_back(reply);
            else
                bus_.send(reply);
            return true;
        }
        if (message.interface() == QLatin1String("org.freedesktop.portal.Request") &&
            message.member() == QLatin1String("Close")) {
            for (Inhibitor &inhibitor : inhibitors)
                if (inhibitor.handle == message.path())
                    inhibitor.closed = true;
            return true;
        }
        return false;
    }

    QString introspect(const QString &) const override { return {}; }

    void answerAll() {
        for (const QDBusMessage &reply : heldAnswers_)
            bus_.send(reply);
        heldAnswers_.clear();
    }

    size_t openCount() const {
        size_t open = 0;
        for (const Inhibitor &inhibitor : inhibitors)
            open += inhibitor.closed ? 0 : 1;
        return open;
    }

    std::vector<Inhibitor> inhibitors;
    bool holdAnswers = false;

private:
    QDBusConnection bus_;
    std::vector<QDBusMessage> heldAnswers_;
};

// The login manager's Inhibit: each call gets the write end of a pipe; the inhibitor counts
// as released once every copy of that end is closed, which the read end sees as its end.
class FakeLoginManager : public QDBusVirtualObject {
public:
    struct Inhibitor {
        QString what, who, why, mode;
        std::shared_ptr<int> readEnd;
    };

    explicit FakeLoginManager(QDBusConnection bus) : bus_(bus) {
        bus_.registerVirtualObject(QStringLiteral("/org/freedesktop/login1"), this);
        bus_.registerService(QStringLiteral("org.freedesktop.login1"));
    }

    bool handleMessage(const QDBusMessage &message, const QDBusConnection &) override {
        if (message.interface() != QLatin1String("org.freedesktop.login1.Manager") ||
            message.member() != QLatin1String("Inhibit") || message.arguments().size() != 4)
            return false;
        int ends[2];
        if (pipe(ends) != 0)
            return false;
        Inhibitor inhibitor;
        inhibitor.what = message.arguments().at(0).toString();
        inhibitor.who = message.arguments().at(1).toString();
        inhibitor.why = message.arguments().at(2).toString();
        inhibitor.mode = message.arguments().at(3).toString();
        inhibitor.readEnd = std::shared_ptr<int>(new int(ends[0]), [](int *fd) {
            close(*fd);
            delete fd;
        });
        inhibitors.push_back(inhibitor);
        message.setDelayedReply(true);
        {
            const QDBusUnixFileDescriptor writeEnd(ends[1]);  // a copy of its own
            bus_.send(message.createReply(QVariant::fromValue(writeEnd)));
        }
        close(ends[1]);
        return true;
    }

    QString introspect(const QString &) const override { return {}; }

    static bool released(const Inhibitor &inhibitor) {
        pollfd end{*inhibitor.readEnd, POLLIN, 0};
        return poll(&end, 1, 0) == 1 && (end.revents & POLLHUP) != 0;
    }

    std::vector<Inhibitor> inhibitors;

private:
    QDBusConnection bus_;
};

}  // namespace testsupport
