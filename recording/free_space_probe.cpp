#include "recording/free_space_probe.h"

#include <QDir>
#include <QFileInfo>
#include <QStorageInfo>
#include <QThreadPool>

#include <mutex>
#include <utility>

// Shared with the worker: the receiver is cleared under the lock when the probe goes away, so
// a worker that finishes later posts to nobody.
struct FreeSpaceProbe::Mailbox {
    std::mutex mutex;
    FreeSpaceProbe *receiver = nullptr;
};

int64_t FreeSpaceProbe::FreeBytes(const QString &folder) {
    if (folder.isEmpty())
        return -1;
    QString existing = QDir::cleanPath(QDir(folder).absolutePath());
    while (!QFileInfo(existing).isDir()) {
        const QString parent = QFileInfo(existing).path();
        if (parent == existing)
            return -1;
        existing = parent;
    }
    const QStorageInfo storage(existing);
    if (!storage.isValid() || !storage.isReady())
        return -1;
    return storage.bytesAvailable();
}

FreeSpaceProbe::FreeSpaceProbe(QObject *parent)
    : QObject(parent),
      mailbox_(std::make_shared<Mailbox>()),
      query_(std::make_shared<const Query>(&FreeSpaceProbe::FreeBytes)) {
    mailbox_->receiver = this;
}

FreeSpaceProbe::~FreeSpaceProbe() {
    const std::lock_guard<std::mutex> lock(mailbox_->mutex);
    mailbox_->receiver = nullptr;
}

void FreeSpaceProbe::setQuery(Query query) {
    query_ = std::make_shared<const Query>(std::move(query));
}

void FreeSpaceProbe::request(const QString &folder) {
    if (busy_) {
        next_ = folder;
        return;
    }
    busy_ = true;
    QThreadPool::globalInstance()->start([mailbox = mailbox_, query = query_, folder] {
        const qint64 bytes = (*query)(folder);
        const std::lock_guard<std::mutex> lock(mailbox->mutex);
        if (FreeSpaceProbe *receiver = mailbox->receiver) {
            QMetaObject::invokeMethod(
                receiver, [receiver, folder, bytes] { receiver->answered(folder, bytes); },
                Qt::QueuedConnection);
        }
    });
}

void FreeSpaceProbe::answered(const QString &folder, qint64 freeBytes) {
    busy_ = false;
    if (!next_.isNull())
        request(std::exchange(next_, QString()));
    Q_EMIT measured(folder, freeBytes);
}
