#include "files/current_file.h"

#include "audio/codec/posix_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace {

// The extension: from the last "." after the last "/", dot included; "" when none.
QString extensionOf(const QString &name) {
    const int dot = name.lastIndexOf(QLatin1Char('.'));
    const int slash = name.lastIndexOf(QLatin1Char('/'));
    return dot > slash ? name.mid(dot) : QString();
}

// 0 when the file is gone now, else the system's error number.
int unlinkError(const QString &path) {
    const QByteArray native = korvanta::codec::nativePath(path);
    return ::unlink(native.constData()) == 0 ? 0 : errno;
}

}  // namespace

void CurrentFile::setCurrent(const QString &path) {
    if (path == current_)
        return;
    current_ = path;
    Q_EMIT currentChanged(current_);
}

QString CurrentFile::selectedPath() const {
    return selected_ < 0 ? QString() : rows_[selected_].path();
}

void CurrentFile::select(int row) {
    selected_ = row >= 0 && row < rows_.size() ? row : -1;
}

bool CurrentFile::isChosen(int row) const {
    return row >= 0 && row == selected_ && rows_[row].path() == current_;
}

void CurrentFile::append(const FileRow &row, bool select) {
    rows_.append(row);
    if (select)
        selected_ = int(rows_.size()) - 1;
    Q_EMIT rowsChanged();
}

CurrentFile::RenameResult CurrentFile::rename(int row, const QString &typed) {
    if (row < 0 || row >= rows_.size())
        return RenameResult::Refused;
    const FileRow &subject = rows_[row];
    const QString name = RenamedFileName(typed, subject.caption);
    // A "/" would move the file into another folder instead of renaming it.
    if (name.contains(QLatin1Char('/')))
        return RenameResult::BadName;
    newName_ = name;
    if (name == subject.caption)
        return RenameResult::Unchanged;
    const QString from = subject.path();
    const QString to = subject.folder + name;
    if (!RenameWithoutReplacing(from, to))
        return RenameResult::Refused;
    for (FileRow &each : rows_) {
        if (each.path() == from)
            each.caption = name;
    }
    const bool currentMoved = current_ == from;
    // Everything names the new path before anyone hears of the rename.
    for (QString *path : {&current_, &output_, &playFile_}) {
        if (*path == from)
            *path = to;
    }
    Q_EMIT rowsChanged();
    Q_EMIT fileRenamed(from, to);
    if (currentMoved)
        Q_EMIT currentChanged(current_);
    return RenameResult::Renamed;
}

void CurrentFile::remove(int row) {
    if (row < 0 || row >= rows_.size())
        return;
    rows_.remove(row);
    if (selected_ == row)
        selected_ = -1;
    else if (selected_ > row)
        --selected_;
    Q_EMIT rowsChanged();
}

bool CurrentFile::deleteFromDisk(int row, QString *error) {
    if (row < 0 || row >= rows_.size())
        return false;
    const QString path = rows_[row].path();
    // A NUL would end the name early and delete another file than the row shows.
    const int failure = path.contains(QChar(0)) ? EINVAL : unlinkError(path);
    if (failure != 0 && failure != ENOENT) {
        if (error)
            *error = korvanta::codec::systemErrorText(failure);
        return false;
    }
    removeRows(path);
    return true;
}

void CurrentFile::removeRows(const QString &path) {
    int kept = 0;
    int selected = -1;
    for (int i = 0; i < rows_.size(); ++i) {
        if (rows_[i].path() == path)
            continue;
        if (i == selected_)
            selected = kept;
        rows_[kept++] = rows_[i];
    }
    rows_.resize(kept);
    selected_ = selected;
    Q_EMIT rowsChanged();
}

QString RenamedFileName(const QString &typed, const QString &caption) {
    const QString typedExt = extensionOf(typed);
    return typed.left(typed.size() - typedExt.size()) + extensionOf(caption);
}

bool RenameWithoutReplacing(const QString &from, const QString &to) {
    // renameat2(RENAME_NOREPLACE) is atomic; a check-then-rename would race with others.
    // A NUL would end the name early: the file would get another name than the row shows.
    if (from.contains(QChar(0)) || to.contains(QChar(0)))
        return false;
    const QByteArray source = korvanta::codec::nativePath(from);
    const QByteArray target = korvanta::codec::nativePath(to);
    if (::renameat2(AT_FDCWD, source.constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE) ==
        0)
        return true;
    // Some file systems lack the flag; there, a hard link refuses an existing target too.
    if (errno != EINVAL)
        return false;
    if (korvanta::codec::fileExists(to))
        return false;
    return std::rename(source.constData(), target.constData()) == 0;
}
