#include "app/single_instance.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>

namespace single_instance {

namespace {
// Long enough for a window busy with a slow file; a copy that does not answer by then is
// taken as hung rather than waited for.
constexpr int kAnswerTimeoutMs = 10000;
}  // namespace

bool isRunning(const QDBusConnection &bus) {
    if (!bus.isConnected() || !bus.interface())
        return false;
    return bus.interface()->isServiceRegistered(QString::fromLatin1(kService)).value();
}

std::optional<WindowCommands::Outcome> handOver(const QDBusConnection &bus,
                                                const QStringList &arguments,
                                                const QString &workingDir) {
    if (!bus.isConnected())
        return std::nullopt;
    QDBusMessage call =
        QDBusMessage::createMethodCall(QString::fromLatin1(kService), QString::fromLatin1(kPath),
                                       QString::fromLatin1(kInterface), QStringLiteral("Run"));
    call << arguments << workingDir;
    const QDBusMessage reply = bus.call(call, QDBus::Block, kAnswerTimeoutMs);
    const QList<QVariant> values = reply.arguments();
    if (reply.type() != QDBusMessage::ReplyMessage || values.size() != 2)
        return std::nullopt;
    return WindowCommands::Outcome{values.at(0).toInt(), values.at(1).toString()};
}

}  // namespace single_instance

InstanceService::InstanceService(WindowCommands &commands, QObject *parent)
    : QObject(parent), commands_(commands) {}

bool InstanceService::publish(QDBusConnection bus) {
    if (!bus.isConnected())
        return false;
    if (!bus.registerObject(QString::fromLatin1(single_instance::kPath), this,
                            QDBusConnection::ExportScriptableSlots))
        return false;
    if (bus.registerService(QString::fromLatin1(single_instance::kService)))
        return true;
    bus.unregisterObject(QString::fromLatin1(single_instance::kPath));
    return false;
}

int InstanceService::Run(const QStringList &arguments, const QString &workingDir, QString &output) {
    const CommandLine line = readCommandLine(arguments, workingDir);
    if (!line.error.isEmpty()) {
        output = line.error + QLatin1Char('\n');
        return 1;
    }
    const WindowCommands::Outcome outcome = commands_.run(line);
    output = outcome.output;
    return outcome.exitCode;
}
