// What one run of the program last read from setup.ini or wrote to it, key by key. A save
// writes only the keys whose value differs from this record: the keys this run changed. The
// others may have been changed meanwhile by another copy of the program or by hand, and writing
// this run's stale values over them would undo that.
#pragma once

#include "settings/ini_file.h"

#include <QString>

#include <map>
#include <utility>
#include <vector>

class StoredValues {
public:
    // The value of entry's key is now entry.value in the file (read or written).
    void note(const IniEntry &entry);

    // The entries whose value differs from the one noted for their key, in their order. A key
    // never noted counts as changed: nothing is known of what the file holds for it.
    std::vector<IniEntry> changedAmong(const std::vector<IniEntry> &entries) const;

    // Writes the changed entries to the file at iniPath in one go and notes them. On failure
    // nothing is noted, so the next save tries the same keys again, and *error (if given) gets
    // the message to show.
    bool saveChanged(const std::vector<IniEntry> &entries, const QString &iniPath, QString *error);

private:
    // Section and key in lower case, as names match case-insensitively.
    std::map<std::pair<QString, QString>, QString> values_;
};
