#include "settings/file_lock.h"

#include <QFile>

#include <cerrno>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Enough for any number of writers taking turns; a path that keeps changing beyond this is not
// a settings file being saved.
constexpr int kMaxAttempts = 1000;

int openFile(const QByteArray &path, int flags) {
    int fd = -1;
    do {
        // O_NONBLOCK: a FIFO at the path must not hang the program; it is refused below.
        fd = ::open(path.constData(), flags | O_CLOEXEC | O_NONBLOCK, 0666);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

bool isRegularFile(int fd) {
    struct stat info {};
    return ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
}

// False only when the file system cannot lock; the caller goes on without the lock.
bool lock(int fd, int operation) {
    int result = 0;
    do {
        result = ::flock(fd, operation);
    } while (result != 0 && errno == EINTR);
    return result == 0;
}

// Whether the path still names the file open at fd: another writer may have renamed a new
// file over it while we waited for the lock.
bool pathStillNames(const QByteArray &path, int fd) {
    struct stat opened {};
    struct stat named {};
    return ::fstat(fd, &opened) == 0 && ::stat(path.constData(), &named) == 0 &&
           opened.st_dev == named.st_dev && opened.st_ino == named.st_ino;
}

}  // namespace

FileLock FileLock::forReading(const QString &path) {
    FileLock held;
    const QByteArray name = QFile::encodeName(path);
    for (int attempt = 0; attempt < kMaxAttempts; ++attempt) {
        const int fd = openFile(name, O_RDONLY);
        if (fd < 0) {
            return held;
        }
        if (!isRegularFile(fd) || !lock(fd, LOCK_SH)) {
            ::close(fd);
            return held;
        }
        if (pathStillNames(name, fd)) {
            held.fd_ = fd;
            return held;
        }
        ::close(fd);
    }
    return held;
}

FileLock FileLock::forWriting(const QString &path) {
    FileLock held;
    const QByteArray name = QFile::encodeName(path);
    for (int attempt = 0; attempt < kMaxAttempts; ++attempt) {
        bool created = false;
        int fd = openFile(name, O_RDWR);
        if (fd < 0 && errno == ENOENT) {
            fd = openFile(name, O_RDWR | O_CREAT | O_EXCL);
            created = fd >= 0;
            if (fd < 0 && errno == EEXIST) {
                continue;  // another writer made it first
            }
        }
        if (fd < 0) {
            return held;
        }
        if (!isRegularFile(fd)) {
            ::close(fd);
            return held;
        }
        if (!lock(fd, LOCK_EX) || pathStillNames(name, fd)) {
            held.fd_ = fd;
            held.created_ = created && ::lseek(fd, 0, SEEK_END) == 0;
            return held;
        }
        ::close(fd);
    }
    return held;
}

FileLock::FileLock(FileLock &&other) noexcept : fd_(other.fd_), created_(other.created_) {
    other.fd_ = -1;
    other.created_ = false;
}

FileLock::~FileLock() {
    // Closing the descriptor releases the lock.
    if (fd_ >= 0) {
        ::close(fd_);
    }
}
