// The files the window stands for: the current file (the one the tag editor and Play act
// on), the output file of the recording, the rows of the recorded-files list, the selected
// row and the file being played. Renames and deletions go through here, so that every name
// of a file follows it at once. Qt Core only: the window draws the list from the rows.
#pragma once

#include <QObject>
#include <QString>
#include <QVector>

// One row of the list: the file's name and facts as they were when it was listed.
struct FileRow {
    QString caption;  // file name with extension
    QString size;
    QString time;
    QString folder;  // ends with a path separator
    // The full path is always the folder followed by the caption.
    QString path() const { return folder + caption; }
};

class CurrentFile : public QObject {
    Q_OBJECT
public:
    explicit CurrentFile(QObject *parent = nullptr) : QObject(parent) {}

    // The file the open dialog chose last, the new recording, or the clicked row, whichever
    // was set last. The tag editor reads and writes this file.
    QString current() const { return current_; }
    void setCurrent(const QString &path);
    QString tagTarget() const { return current_; }

    // The output file the recording chose last; it stays named after the take ends.
    QString output() const { return output_; }
    void setOutput(const QString &path) { output_ = path; }

    // The file being played, or played last.
    QString playFile() const { return playFile_; }
    void setPlayFile(const QString &path) { playFile_ = path; }
    // What Play plays when it starts afresh: the selected row's file, else the current one.
    QString playTarget() const { return selected_ < 0 ? current_ : rows_[selected_].path(); }

    // The rows in list order, and the selected one (-1: none).
    const QVector<FileRow> &rows() const { return rows_; }
    int selectedRow() const { return selected_; }
    // The selected row's full path; empty when no row is selected.
    QString selectedPath() const;
    // Selects `row` (-1: none). No signal: the view that reports the selection shows it.
    void select(int row);
    // Whether `row` is selected and its file is the current one already: a click on it then
    // has nothing to load.
    bool isChosen(int row) const;

    // Appends a row; `select` makes it the selected one as well.
    void append(const FileRow &row, bool select = true);

    // The name a rename gave last (without folder).
    QString newName() const { return newName_; }
    enum class RenameResult { Renamed, Unchanged, BadName, Refused };
    // Renames `row`'s file on disk to the typed name with the row's old extension. On
    // success every row of the file, the current, output and play file follow it.
    RenameResult rename(int row, const QString &typed);

    // Removes `row` from the list; the file stays on disk.
    void remove(int row);
    // Deletes `row`'s file from the disk, then removes every row of it: a row of a file that
    // is gone would name nothing. False with `error` set when the system refused; the rows
    // stay then. A file already gone counts as deleted.
    bool deleteFromDisk(int row, QString *error);

Q_SIGNALS:
    void currentChanged(const QString &path);
    // Rows were added, removed or renamed, or the selection changed with them.
    void rowsChanged();
    // A file was renamed on disk; whatever else names it follows.
    void fileRenamed(const QString &from, const QString &to);

private:
    void removeRows(const QString &path);

    QVector<FileRow> rows_;
    int selected_ = -1;
    QString current_;
    QString output_;
    QString playFile_;
    QString newName_;
};

// The name a row gets: the typed name without its extension, then the old extension.
QString RenamedFileName(const QString &typed, const QString &caption);

// Renames `from` to `to` without ever replacing an existing file. False when refused.
bool RenameWithoutReplacing(const QString &from, const QString &to);
