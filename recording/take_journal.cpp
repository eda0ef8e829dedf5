#include "recording/take_journal.h"

#include "audio/codec/asf_header.h"
#include "audio/codec/stream_repair.h"
#include "recording/wav_recovery.h"
#include "settings/app_paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QThreadPool>

#include <cerrno>
#include <mutex>

#include <signal.h>
#include <unistd.h>

namespace {

QString lineFor(const QString &take) {
    return QString::number(QCoreApplication::applicationPid()) + u'\t' + take;
}

bool processRuns(qint64 pid) {
    return pid > 0 && (::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM);
}

}  // namespace

QStringList TakeJournal::readLines() const {
    QFile file(path_);
    if (path_.isEmpty() || !file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
}

void TakeJournal::writeLines(const QStringList &lines) const {
    if (lines.isEmpty()) {
        QFile::remove(path_);
        return;
    }
    QDir().mkpath(QFileInfo(path_).path());
    // Written whole or not at all: a journal cut in half by a crash would lose the takes.
    QSaveFile file(path_);
    if (file.open(QIODevice::WriteOnly)) {
        file.write((lines.join(u'\n') + u'\n').toUtf8());
        file.commit();
    }
}

void TakeJournal::opened(const QString &take) {
    if (path_.isEmpty()) {
        return;
    }
    QStringList lines = readLines();
    lines << lineFor(take);
    writeLines(lines);
}

void TakeJournal::closed(const QString &take) {
    if (path_.isEmpty()) {
        return;
    }
    QStringList lines = readLines();
    if (lines.removeOne(lineFor(take))) {
        writeLines(lines);
    }
}

QStringList TakeJournal::takeUnfinished() {
    QStringList unfinished;
    QStringList kept;
    const QStringList lines = readLines();
    for (const QString &line : lines) {
        const qsizetype tab = line.indexOf(u'\t');
        bool numeric = false;
        const qint64 pid = tab > 0 ? line.left(tab).toLongLong(&numeric) : 0;
        if (numeric && processRuns(pid) && pid != QCoreApplication::applicationPid()) {
            kept << line;  // another copy of the program is writing it now
        } else if (tab > 0 && !unfinished.contains(line.mid(tab + 1))) {
            unfinished << line.mid(tab + 1);
        }
    }
    if (kept.size() != lines.size()) {
        writeLines(kept);
    }
    return unfinished;
}

QString takeJournalPath() {
    if (userFilesBesideExecutable()) {
        return executableDirectory() + QStringLiteral(".open-takes");
    }
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    if (state.isEmpty() || QDir::isRelativePath(state)) {
        state = QDir::homePath() + QStringLiteral("/.local/state");
    }
    return state + QStringLiteral("/korvanta-recorder/open-takes");
}

bool RepairTake(const QString &path) {
    using namespace korvanta::codec;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return false;
    }
    const QByteArray magic = file.read(4);
    file.close();
    if (magic == "RIFF") {
        return RepairWavHeader(path) == WavRepair::Repaired;
    }
    if (magic == QByteArray::fromHex("3026b275")) {
        return repairAsfHeader(path);
    }
    return repairStreamFile(path).outcome == StreamRepair::Repaired;
}

// Shared with the worker: the receiver is cleared under the lock when the repairer goes away,
// so a worker that finishes later posts to nobody.
struct TakeRepairer::Mailbox {
    std::mutex mutex;
    TakeRepairer *receiver = nullptr;
};

TakeRepairer::TakeRepairer(QObject *parent)
    : QObject(parent), mailbox_(std::make_shared<Mailbox>()) {
    mailbox_->receiver = this;
}

TakeRepairer::~TakeRepairer() {
    const std::lock_guard<std::mutex> lock(mailbox_->mutex);
    mailbox_->receiver = nullptr;
}

void TakeRepairer::start(const QStringList &takes) {
    QThreadPool::globalInstance()->start([mailbox = mailbox_, takes] {
        QStringList repaired;
        for (const QString &take : takes) {
            if (RepairTake(take)) {
                repaired << take;
            }
        }
        const std::lock_guard<std::mutex> lock(mailbox->mutex);
        if (TakeRepairer *receiver = mailbox->receiver) {
            QMetaObject::invokeMethod(
                receiver, [receiver, repaired] { Q_EMIT receiver->finished(repaired); },
                Qt::QueuedConnection);
        }
    });
}
