// One running copy per desktop session: the first start takes the program's name on the
// session bus; a later start hands its command line to it there and leaves. Without a
// session bus every start runs on its own.
#pragma once

#include "app/window_commands.h"

#include <QDBusConnection>
#include <QObject>

#include <optional>

namespace single_instance {

inline constexpr char kService[] = "org.example.korvanta.recorder";
inline constexpr char kPath[] = "/org/example/korvanta/recorder";
inline constexpr char kInterface[] = "org.example.korvanta.recorder.Commands";

// Whether another copy holds the program's name on `bus`.
bool isRunning(const QDBusConnection &bus);

// Hands the command line (the program's name first) to the running copy and gives its
// answer; nothing when no copy answers (none runs, or it went away meanwhile).
std::optional<WindowCommands::Outcome> handOver(const QDBusConnection &bus,
                                                const QStringList &arguments,
                                                const QString &workingDir);

}  // namespace single_instance

// The running copy's end: takes the name and carries out what later starts hand over.
class InstanceService : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.example.korvanta.recorder.Commands")
public:
    explicit InstanceService(WindowCommands &commands, QObject *parent = nullptr);

    // Takes the name on `bus`; false when another copy has it (or there is no bus).
    bool publish(QDBusConnection bus);

public Q_SLOTS:
    // A later start's command line, read as this copy reads its own; `output` goes to that
    // start's terminal and the result is its exit code.
    Q_SCRIPTABLE int Run(const QStringList &arguments, const QString &workingDir, QString &output);

private:
    WindowCommands &commands_;
};
