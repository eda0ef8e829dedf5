#include "tests/app/journey/journey_model.h"

namespace journey {

bool Model::applyAllowed() const {
    if (!loaded || current.isEmpty() || !fileExists(current))
        return false;
    if (recording != Side::Idle && current == recordingPath)
        return false;
    return !(playback != Side::Idle && current == playingPath);
}

void Model::listFinished(const QString &path) {
    FileFacts &facts = files[path];
    facts.exists = true;
    rows.push_back(path);
    selected = path;
    current = path;
    loaded = true;
    shownTitle = facts.title;
}

namespace {

QString statusOf(Side side, const QString &running) {
    return side == Side::Running ? running : QStringLiteral("Pause");
}

}  // namespace

QStringList Model::allowedStatus() const {
    QStringList allowed;
    if (recording != Side::Idle)
        allowed << statusOf(recording, QStringLiteral("Recording..."));
    if (playback != Side::Idle)
        allowed << statusOf(playback, QStringLiteral("Playing..."));
    if (allowed.isEmpty())
        allowed << QStringLiteral("Stop") << QString();  // empty until the first command
    return allowed;
}

QStringList Model::allowedLooks() const {
    QStringList allowed;
    if (recording != Side::Idle)
        allowed << (recording == Side::Running ? QStringLiteral("Record")
                                               : QStringLiteral("Pause"));
    if (playback != Side::Idle)
        allowed << (playback == Side::Running ? QStringLiteral("Play") : QStringLiteral("Pause"));
    if (allowed.isEmpty())
        allowed << QStringLiteral("Stop");
    return allowed;
}

}  // namespace journey
