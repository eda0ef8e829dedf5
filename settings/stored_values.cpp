#include "settings/stored_values.h"

namespace {

std::pair<QString, QString> nameOf(const IniEntry &entry) {
    return {entry.section.trimmed().toLower(), entry.key.trimmed().toLower()};
}

}  // namespace

void StoredValues::note(const IniEntry &entry) {
    values_[nameOf(entry)] = entry.value;
}

std::vector<IniEntry> StoredValues::changedAmong(const std::vector<IniEntry> &entries) const {
    std::vector<IniEntry> changed;
    for (const IniEntry &entry : entries) {
        const auto known = values_.find(nameOf(entry));
        if (known == values_.end() || known->second != entry.value) {
            changed.push_back(entry);
        }
    }
    return changed;
}

bool StoredValues::saveChanged(const std::vector<IniEntry> &entries, const QString &iniPath,
                               QString *error) {
    const std::vector<IniEntry> changed = changedAmong(entries);
    IniFile ini(iniPath);
    if (!ini.Write(changed)) {
        if (error) {
            *error = ini.lastError();
        }
        return false;
    }
    for (const IniEntry &entry : changed) {
        note(entry);
    }
    return true;
}
