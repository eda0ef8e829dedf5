// Keeps the computer awake while a recording runs: asks the desktop portal, else the login
// manager on the system bus, for a sleep and idle inhibitor with a reason users see. Every
// call is asynchronous, so the window never waits on a bus; without a bus, or without either
// service, holding quietly does nothing and the recording goes on as ever.
#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>

#include <functional>
#include <optional>

class SleepInhibitor : public QObject {
    Q_OBJECT
public:
    // Opens a bus when it is first needed, so that a program that never records never
    // connects (nor loads the bus library at start).
    using BusOpener = std::function<QDBusConnection()>;

    SleepInhibitor(BusOpener sessionBus, BusOpener systemBus, QObject *parent = nullptr);
    ~SleepInhibitor() override;

    // Keeps sleep and idle off with `reason`. Holding with the same reason again changes
    // nothing; another reason takes a new inhibitor before the old one is let go, so there
    // is no gap between them.
    void hold(const QString &reason);
    // Lets the computer sleep again: an inhibitor still being asked for is let go as soon as
    // its answer comes.
    void release();
    // The reason held, empty while nothing is.
    QString reason() const { return reason_; }

private:
    class Grant;
    friend class Grant;
    QDBusConnection sessionBus();
    QDBusConnection systemBus();

    BusOpener openSession_;
    BusOpener openSystem_;
    std::optional<QDBusConnection> session_;
    std::optional<QDBusConnection> system_;
    QString reason_;
    Grant *current_ = nullptr;
};
