// Asks how many bytes the file system holding a folder still takes, away from the GUI thread:
// the answer is a statvfs, which a hung network mount can hold up for a long time.
//
// One question is out at a time; asking again meanwhile keeps only the latest folder, asked
// as soon as the answer is in. Answers arrive as queued signals on the owner's thread; none
// arrives after the probe was destroyed.
#pragma once

#include <QObject>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>

class FreeSpaceProbe : public QObject {
    Q_OBJECT
public:
    // Bytes free for this user on the file system of `folder`, -1 when unknown. Runs on a
    // worker thread.
    using Query = std::function<int64_t(const QString &folder)>;

    // The default query: the nearest folder of `folder` that exists (a recording folder is
    // only made at the first recording), read with QStorageInfo.
    static int64_t FreeBytes(const QString &folder);

    explicit FreeSpaceProbe(QObject *parent = nullptr);
    ~FreeSpaceProbe() override;

    // Replaces the query (tests give a made-up figure).
    void setQuery(Query query);
    void request(const QString &folder);

Q_SIGNALS:
    void measured(const QString &folder, qint64 freeBytes);

private:
    struct Mailbox;
    void answered(const QString &folder, qint64 freeBytes);

    std::shared_ptr<Mailbox> mailbox_;
    std::shared_ptr<const Query> query_;
    bool busy_ = false;
    QString next_;  // asked for while busy
};
