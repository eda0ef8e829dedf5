// Plain POSIX file access for the codec code: an owning descriptor, a reader with a small
// read window (header scans touch many nearby offsets), and an unbuffered writer whose data
// reaches the kernel at once, so nothing written is lost if the program dies.
#pragma once

#include <QString>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace korvanta::codec {

class UniqueFd {
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : fd_(fd) {}
    ~UniqueFd() { reset(); }
    UniqueFd(UniqueFd &&other) noexcept : fd_(other.release()) {}
    UniqueFd &operator=(UniqueFd &&other) noexcept;
    UniqueFd(const UniqueFd &) = delete;
    UniqueFd &operator=(const UniqueFd &) = delete;

    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    int release() {
        int fd = fd_;
        fd_ = -1;
        return fd;
    }
    // Closes the descriptor; returns errno of a failing close, else 0.
    int reset();

private:
    int fd_ = -1;
};

// What FileReader::open returns for a name that is not a regular file (FIFO, socket, device,
// folder): reading those can block forever or never end.
constexpr int kNotRegularFile = -1;

// The bytes the system knows `path` by. Qt decodes a name that is not valid in the file-name
// encoding (a Latin-1 name in a UTF-8 locale) with replacement characters, which then name
// no file; such a component is looked up in its folder, matched by how Qt decodes the
// entries, and used when exactly one entry matches.
QByteArray nativePath(const QString &path);

// Whether something exists at `path` (the name as nativePath finds it).
bool fileExists(const QString &path);

// 0 when `nativeName` is a regular file, kNotRegularFile when it is something else, or the
// errno of the failed look. Looks without opening.
int checkRegularFile(const QByteArray &nativeName);

class FileReader {
public:
    // Returns 0, kNotRegularFile or the errno of the failed open. Never blocks: the type is
    // checked before opening, and the open itself doesn't wait.
    int open(const QString &path);
    int64_t size() const { return size_; }
    // Copies up to n bytes from `offset`; fewer at the end of the file or on a read error.
    size_t readAt(int64_t offset, uint8_t *dst, size_t n);
    // From now on the reader shows only bytes [start, end) of what it showed, as if they were
    // all of the file (one part of a file made of whole files joined together).
    void restrictTo(int64_t start, int64_t end);

private:
    bool loadWindow(int64_t offset);

    UniqueFd fd_;
    int64_t size_ = 0;
    int64_t base_ = 0;  // where the part shown starts in the file
    std::vector<uint8_t> window_;
    int64_t windowStart_ = -1;
};

class FileWriter {
public:
    // Creates or truncates the file; returns 0 or errno.
    int create(const QString &path);
    bool isOpen() const { return fd_.valid(); }
    // Appends all bytes; returns 0 or errno. `written` says how many made it to the file.
    int append(const void *data, size_t n, size_t *written = nullptr);
    // Overwrites bytes at `offset` without moving the append position; returns 0 or errno.
    int writeAt(int64_t offset, const void *data, size_t n);
    int truncate(int64_t size);
    int64_t size() const { return size_; }
    // Returns 0 or errno of the close.
    int close() { return fd_.reset(); }

private:
    UniqueFd fd_;
    int64_t size_ = 0;
};

// A readable text for an errno value.
QString systemErrorText(int err);
// The message for a failed FileReader::open of `path`: names what the path is if it is not a
// regular file ("... is a named pipe, not a regular file"), else the system's reason.
QString openErrorText(const QString &path, int err);

}  // namespace korvanta::codec
