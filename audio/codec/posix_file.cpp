#include "audio/codec/posix_file.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstring>

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

int FileReader::open(const QString &path) {
    const QByteArray name = QFile::encodeName(path);
    UniqueFd fd(::open(name.constData(), O_RDONLY | O_CLOEXEC));
    if (!fd.valid()) {
        return errno;
    }
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0) {
        return errno;
    }
    if (!S_ISREG(st.st_mode)) {
        return EISDIR;
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
                            static_cast<off_t>(offset + static_cast<int64_t>(got)));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            break;
        }
        got += static_cast<size_t>(n);
    }
    window_.resize(got);
    windowStart_ = offset;
    return got > 0;
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
    const QByteArray name = QFile::encodeName(path);
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
