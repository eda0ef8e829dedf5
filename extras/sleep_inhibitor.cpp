#include "extras/sleep_inhibitor.h"

#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusUnixFileDescriptor>
#include <QVariantMap>

#include <utility>

namespace {

const QString kPortalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPortalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kPortalInterface = QStringLiteral("org.freedesktop.portal.Inhibit");
const QString kRequestInterface = QStringLiteral("org.freedesktop.portal.Request");
// The portal's flags for suspend (4) and idle (8).
constexpr uint kSuspendAndIdle = 4 | 8;

const QString kLogindService = QStringLiteral("org.freedesktop.login1");
const QString kLogindPath = QStringLiteral("/org/freedesktop/login1");
const QString kLogindInterface = QStringLiteral("org.freedesktop.login1.Manager");

}  // namespace

// One inhibitor from asking for it to letting it go. It asks the portal first and the login
// manager when the portal cannot answer; once no longer wanted it lets go of what it got,
// waiting for an answer still on its way, and then deletes itself.
class SleepInhibitor::Grant : public QObject {
public:
    Grant(SleepInhibitor &owner, const QString &reason)
        : QObject(&owner), owner_(owner), reason_(reason) {}

    ~Grant() override { letGo(); }

    void ask() {
        QDBusConnection bus = owner_.sessionBus();
        if (!bus.isConnected()) {
            askLoginManager();
            return;
        }
        QDBusMessage call = QDBusMessage::createMethodCall(
            kPortalService, kPortalPath, kPortalInterface, QStringLiteral("Inhibit"));
        const QVariantMap options{{QStringLiteral("reason"), reason_}};
        call << QString() << kSuspendAndIdle << options;
        await(bus.asyncCall(call), &Grant::portalAnswered);
    }

    void drop() {
        wanted_ = false;
        if (!waiting_)
            finish();
    }

private:
    void askLoginManager() {
        QDBusConnection bus = owner_.systemBus();
        if (!bus.isConnected()) {
            answered();
            return;
        }
        QDBusMessage call = QDBusMessage::createMethodCall(
            kLogindService, kLogindPath, kLogindInterface, QStringLiteral("Inhibit"));
        call << QStringLiteral("sleep:idle") << QStringLiteral("Korvanta Sound Recorder") << reason_
             << QStringLiteral("block");
        await(bus.asyncCall(call), &Grant::loginManagerAnswered);
    }

    void await(const QDBusPendingCall &pending, void (Grant::*handler)(QDBusPendingCallWatcher &)) {
        waiting_ = true;
        auto *watcher = new QDBusPendingCallWatcher(pending, this);
        connect(watcher, &QDBusPendingCallWatcher::finished, this,
                [this, handler](QDBusPendingCallWatcher *w) {
                    w->deleteLater();
                    (this->*handler)(*w);
                });
    }

    void portalAnswered(QDBusPendingCallWatcher &watcher) {
        const QDBusPendingReply<QDBusObjectPath> reply = watcher;
        if (reply.isError() && wanted_) {
            askLoginManager();  // no portal, or one without this interface
            return;
        }
        if (!reply.isError())
            portalHandle_ = reply.value().path();
        answered();
    }

    void loginManagerAnswered(QDBusPendingCallWatcher &watcher) {
        const QDBusPendingReply<QDBusUnixFileDescriptor> reply = watcher;
        if (!reply.isError())
            lock_ = reply.value();
        answered();
    }

    void answered() {
        waiting_ = false;
        if (!wanted_)
            finish();
    }

    // Lets go at once rather than when the deferred deletion comes round.
    void finish() {
        letGo();
        deleteLater();
    }

    // The portal's inhibitor ends when its request is closed, the login manager's when the
    // descriptor it gave is. Neither needs an answer.
    void letGo() {
        if (!portalHandle_.isEmpty()) {
            owner_.sessionBus().send(QDBusMessage::createMethodCall(
                kPortalService, portalHandle_, kRequestInterface, QStringLiteral("Close")));
            portalHandle_.clear();
        }
        lock_ = QDBusUnixFileDescriptor();
    }

    SleepInhibitor &owner_;
    const QString reason_;
    bool wanted_ = true;
    bool waiting_ = false;
    QString portalHandle_;
    QDBusUnixFileDescriptor lock_;
};

SleepInhibitor::SleepInhibitor(BusOpener sessionBus, BusOpener systemBus, QObject *parent)
    : QObject(parent), openSession_(std::move(sessionBus)), openSystem_(std::move(systemBus)) {}

// The grants are children and let go in their own destructors, while the buses are still
// held here.
SleepInhibitor::~SleepInhibitor() {
    qDeleteAll(findChildren<Grant *>(Qt::FindDirectChildrenOnly));
}

void SleepInhibitor::hold(const QString &reason) {
    if (current_ && reason == reason_)
        return;
    Grant *previous = std::exchange(current_, new Grant(*this, reason));
    reason_ = reason;
    current_->ask();
    if (previous)
        previous->drop();
}

void SleepInhibitor::release() {
    if (Grant *grant = std::exchange(current_, nullptr))
        grant->drop();
    reason_.clear();
}

QDBusConnection SleepInhibitor::sessionBus() {
    if (!session_)
        session_ = openSession_ ? openSession_() : QDBusConnection(QString());
    return *session_;
}

QDBusConnection SleepInhibitor::systemBus() {
    if (!system_)
        system_ = openSystem_ ? openSystem_() : QDBusConnection(QString());
    return *system_;
}
