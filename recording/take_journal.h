// Which recordings are being written, kept in a small file beside the settings, so that the
// next start finds the takes a crash, a kill or a power cut left unfinished and repairs them
// (each format as after a full disk: whole frames or pages, headers stating what is there).
// A line holds the writing process's id, a tab and the take's path; it is there from the
// creation of the take to its close. Takes of a copy of the program that still runs are
// left alone.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>
#include <utility>

class TakeJournal {
public:
    // An empty path keeps no journal.
    explicit TakeJournal(QString path) : path_(std::move(path)) {}

    const QString &path() const { return path_; }
    void opened(const QString &take);
    void closed(const QString &take);
    // The takes listed by processes that no longer run, taken out of the journal.
    QStringList takeUnfinished();

private:
    QStringList readLines() const;
    void writeLines(const QStringList &lines) const;

    QString path_;
};

// Where the journal lives: beside setup.ini when the program keeps its files beside the
// executable, else in the user's state folder ($XDG_STATE_HOME/korvanta-recorder/).
QString takeJournalPath();

// Repairs one unfinished take, chosen by its content (WAV, FLAC, Ogg, MP3, WMA). True when
// the file was changed to fit what reached the disk.
bool RepairTake(const QString &path);

// Repairs takes on a worker thread; a file can be large, and the window is not to wait.
// The result arrives as a queued signal on the owner's thread, never after its destruction.
class TakeRepairer : public QObject {
    Q_OBJECT
public:
    explicit TakeRepairer(QObject *parent = nullptr);
    ~TakeRepairer() override;

    void start(const QStringList &takes);

Q_SIGNALS:
    // The takes that were changed, in the order given.
    void finished(const QStringList &repaired);

private:
    struct Mailbox;
    std::shared_ptr<Mailbox> mailbox_;
};
