#include "audio/codec/posix_file.h"

#include <QCoreApplication>
#include <QFile>
#include <QStringList>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace korvanta::codec {

namespace {
constexpr size_t kWindowBytes = 64 * 1024;
}  // namespace

UniqueFd &UniqueFd::operator=(UniqueFd &&other) noexcept {
    if (this != &other) {
        reset();
        fd_ = other.release();
    }
    return *this;
}

int UniqueFd::reset() {
    int err = 0;
    if (fd_ >= 0 && ::close(fd_) != 0) {
        err = errno;
    }
    fd_ = -1;
    return err;
}

QString systemErrorText(int err) {
    return QString::fromLocal8Bit(std::strerror(err));
}

namespace {

constexpr char16_t kReplacementChar = u'\uFFFD';

// The one entry of `folder` that Qt decodes as `name`; empty if none or several do.
QByteArray undecodableEntry(const QByteArray &folder, const QString &name) {
    DIR *dir = ::opendir(folder.isEmpty() ? "." : folder.constData());
    if (dir == nullptr) {
        return QByteArray();
    }
    QByteArray found;
    int matches = 0;
    while (const dirent *entry = ::readdir(dir)) {
        if (QFile::decodeName(entry->d_name) == name) {
            found = entry->d_name;
            ++matches;
        }
    }
    ::closedir(dir);
    return matches == 1 ? found : QByteArray();
}

QString fileKindText(mode_t mode) {
    if (S_ISFIFO(mode)) {
        return QCoreApplication::translate("PosixFile", "a named pipe (FIFO)");
    }
    if (S_ISSOCK(mode)) {
        return QCoreApplication::translate("PosixFile", "a socket");
    }
    if (S_ISCHR(mode)) {
        return QCoreApplication::translate("PosixFile", "a character device");
    }
    if (S_ISBLK(mode)) {
        return QCoreApplication::translate("PosixFile", "a block device");
    }
    if (S_ISDIR(mode)) {
        return QCoreApplication::translate("PosixFile", "a folder");
    }
    return QCoreApplication::translate("PosixFile", "not a file");
}

}  // namespace

QByteArray nativePath(const QString &path) {
    const QByteArray encoded = QFile::encodeName(path);
    struct stat st {};
    if (!path.contains(kReplacementChar) || ::lstat(encoded.constData(), &st) == 0) {
        return encoded;
    }
    // Resolve component by component; only those with replacement characters are looked up.
    const QStringList parts = path.split(QLatin1Char('/'));
    QByteArray resolved;
    for (qsizetype i = 0; i < parts.size(); ++i) {
        if (i > 0) {
            resolved += '/';
        }
        QByteArray part = QFile::encodeName(parts[i]);
        if (parts[i].contains(kReplacementChar)) {
            const QByteArray candidate = resolved + part;
            if (::lstat(candidate.constData(), &st) != 0) {
                // A name yet to be made (a rename's target) stays as it is.
                if (const QByteArray entry = undecodableEntry(resolved, parts[i]);
                    !entry.isEmpty()) {
                    part = entry;
                }
            }
        }
        resolved += part;
    }
    return resolved;
}

bool fileExists(const QString &path) {
    struct stat st {};
    return !path.isEmpty() && ::stat(nativePath(path).constData(), &st) == 0;
}

QString openErrorText(const QString &path, int err) {
    if (err == kNotRegularFile) {
        struct stat st {};
        const QString kind = ::stat(nativePath(path).constData(), &st) == 0
                                 ? fileKindText(st.st_mode)
                                 : QCoreApplication::translate("PosixFile", "not a regular file");
        return QCoreApplication::translate("PosixFile", "%1 is %2, not a regular file")
            .arg(path, kind);
    }
    return QCoreApplication::translate("PosixFile", "Cannot open %1: %2")
        .arg(path, systemErrorText(err));
}

int checkRegularFile(const QByteArray &nativeName) {
    struct stat st {};
    if (::stat(nativeName.constData(), &st) != 0) {
        return errno;
    }
    return S_ISREG(st.st_mode) ? 0 : kNotRegularFile;
}

int FileReader::open(const QString &path) {
    const QByteArray name = nativePath(path);
    // Look before opening: opening a FIFO waits for a writer, and opening a device node can
    // do anything the device does on open.
    if (const int err = checkRegularFile(name); err != 0) {
        return err;
    }
    struct stat st {};
    // Should the name have become a FIFO since, O_NONBLOCK keeps the open from waiting, and
    // the second look refuses it. On a regular file the flag changes nothing.
    UniqueFd fd(::open(name.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (!fd.valid()) {
        return errno;
    }
    if (::fstat(fd.get(), &st) != 0) {
        return errno;
    }
    if (!S_ISREG(st.st_mode)) {
        return kNotRegularFile;
    }
    fd_ = std::move(fd);
    size_ = st.st_size;
    windowStart_ = -1;
    return 0;
}

bool FileReader::loadWindow(int64_t offset) {
    window_.resize(kWindowBytes);
    size_t got = 0;
    while (got < kWindowBytes) {
        ssize_t n = ::pread(fd_.get(), window_.data() + got, kWindowBytes - got,
                            static_cast<off_t>(base_ + offset + static_cast<int64_t>(got)));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            break;
        }
        got += static_cast<size_t>(n);
    }
    // Nothing past the part's end is shown.
    window_.resize(
        static_cast<size_t>(std::min<int64_t>(static_cast<int64_t>(got), size_ - offset)));
    windowStart_ = offset;
    return !window_.empty();
}

void FileReader::restrictTo(int64_t start, int64_t end) {
    start = std::clamp<int64_t>(start, 0, size_);
    end = std::clamp<int64_t>(end, start, size_);
    base_ += start;
    size_ = end - start;
    windowStart_ = -1;
}

size_t FileReader::readAt(int64_t offset, uint8_t *dst, size_t n) {
    size_t copied = 0;
    while (copied < n) {
        const int64_t at = offset + static_cast<int64_t>(copied);
        if (at < 0 || at >= size_) {
            break;
        }
        const bool inWindow = windowStart_ >= 0 && at >= windowStart_ &&
                              at < windowStart_ + static_cast<int64_t>(window_.size());
        if (!inWindow && !loadWindow(at)) {
            break;
        }
        const size_t from = static_cast<size_t>(at - windowStart_);
        const size_t take = std::min(n - copied, window_.size() - from);
        std::memcpy(dst + copied, window_.data() + from, take);
        copied += take;
    }
    return copied;
}

int FileWriter::create(const QString &path) {
    const QByteArray name = nativePath(path);
    UniqueFd fd(::open(name.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
    if (!fd.valid()) {
        return errno;
    }
    fd_ = std::move(fd);
    size_ = 0;
    return 0;
}

int FileWriter::append(const void *data, size_t n, size_t *written) {
    const auto *p = static_cast<const uint8_t *>(data);
    size_t done = 0;
    int err = 0;
    while (done < n) {
        ssize_t w = ::pwrite(fd_.get(), p + done, n - done,
                             static_cast<off_t>(size_ + static_cast<int64_t>(done)));
        if (w < 0 && errno == EINTR) {
            continue;
        }
        if (w <= 0) {
            err = w < 0 ? errno : ENOSPC;
            break;
        }
        done += static_cast<size_t>(w);
    }
    size_ += static_cast<int64_t>(done);
    if (written != nullptr) {
        *written = done;
    }
    return err;
}

int FileWriter::writeAt(int64_t offset, const void *data, size_t n) {
    const auto *p = static_cast<const uint8_t *>(data);
    size_t done = 0;
    while (done < n) {
        ssize_t w = ::pwrite(fd_.get(), p + done, n - done,
                             static_cast<off_t>(offset + static_cast<int64_t>(done)));
        if (w < 0 && errno == EINTR) {
            continue;
        }
        if (w <= 0) {
            return w < 0 ? errno : ENOSPC;
        }
        done += static_cast<size_t>(w);
    }
    return 0;
}

int FileWriter::truncate(int64_t size) {
    if (::ftruncate(fd_.get(), static_cast<off_t>(size)) != 0) {
        return errno;
    }
    size_ = size;
    return 0;
}

}  // namespace korvanta::codec
