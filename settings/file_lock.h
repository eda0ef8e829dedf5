// Advisory locks on a settings file, so that copies of the program never interleave their
// read-change-write cycles (which would lose a key) and a reader never meets a file that is
// being rewritten in place. The lock is on the file itself: writers replace the file by a
// rename, so a writer that waited re-checks that the path still names the file it locked.
#pragma once

#include <QString>

class FileLock {
public:
    // A shared lock for reading. Takes nothing when there is no regular file at the path or the
    // file system cannot lock; reading then goes on unlocked, as it always could.
    static FileLock forReading(const QString &path);
    // An exclusive lock for a read-change-write. Opens the file for writing, creating it empty
    // when missing; isOpen() is false when that fails or the path is not a regular file.
    static FileLock forWriting(const QString &path);

    FileLock(FileLock &&other) noexcept;
    FileLock &operator=(FileLock &&other) = delete;
    FileLock(const FileLock &) = delete;
    FileLock &operator=(const FileLock &) = delete;
    ~FileLock();

    bool isOpen() const { return fd_ >= 0; }
    // This lock made the file, which still holds nothing.
    bool createdFile() const { return created_; }

private:
    FileLock() = default;

    int fd_ = -1;
    bool created_ = false;
};
