// What a journey expects of the window: a plain model of the files, the list, the current
// file, the transport and the mute switch, kept by the test from the steps it took and the
// few things that happen by themselves (a playback reaching its end, an auto stop, an auto
// split). The window is compared with it after every step.
#pragma once

#include <QString>
#include <QStringList>

#include <map>
#include <vector>

namespace journey {

enum class Side { Idle, Running, Paused };

struct FileFacts {
    bool exists = true;
    bool prepared = false;  // one of the tone files: its seconds can be told apart
    QString title;
    int lengthMs = -1;   // -1 until known
    bool empty = false;  // a take stopped before its first block: no samples to play
};

struct Model {
    std::map<QString, FileFacts> files;  // by full path
    std::vector<QString> rows;           // full path of each list row, in order
    QString current;                     // the file the tag editor and Play act on
    QString selected;                    // the selected row's file, empty with none
    bool loaded = false;                 // something was loaded into the tag editor
    QString shownTitle;                  // what the tag editor's title field holds

    Side recording = Side::Idle;
    QString recordingPath;  // the part being written
    Side playback = Side::Idle;
    QString playingPath;
    int sliderWhileStopped = 0;  // where Play from stop starts, in thousandths

    bool muted = false;
    QString ext = QStringLiteral(".mp3");
    int autoStopSeconds = -1;
    int splitSeconds = 0;

    // Play's file: the selected row's, else the current one.
    QString playTarget() const { return selected.isEmpty() ? current : selected; }
    bool fileExists(const QString &path) const {
        const auto it = files.find(path);
        return it != files.end() && it->second.exists;
    }
    // Whether Apply may write into the current file now.
    bool applyAllowed() const;
    // A finished recording or part: listed, its row selected, loaded into the tag editor.
    void listFinished(const QString &path);
    // What the status bar's first panel and the transport bar's look may show.
    QStringList allowedStatus() const;
    QStringList allowedLooks() const;
};

}  // namespace journey
