#include "audio/devices/application_table.h"

#include <QCoreApplication>

int ApplicationTable::entryOf(uint32_t sinkInput) const {
    for (size_t i = 0; i < entries_.size(); ++i) {
        if (entries_[i].stream && entries_[i].stream->index == sinkInput)
            return static_cast<int>(i);
    }
    return -1;
}

// The application's first entry without a stream, or a new one after its others.
int ApplicationTable::freeEntry(const std::string &name, const std::string &binary) {
    int ordinal = 1;
    for (size_t i = 0; i < entries_.size(); ++i) {
        const Entry &e = entries_[i];
        if (e.name != name || e.binary != binary)
            continue;
        if (!e.stream)
            return static_cast<int>(i);
        ++ordinal;
    }
    Entry added;
    added.name = name;
    added.binary = binary;
    added.ordinal = ordinal;
    entries_.push_back(added);
    return static_cast<int>(entries_.size()) - 1;
}

namespace {

// What a stream plays as a list shows it: a file's name rather than its whole path (paplay
// gives the path it was handed).
std::string shownMedia(const std::string &media) {
    const size_t slash = media.rfind('/');
    return media.empty() || media.front() != '/' || slash + 1 == media.size()
               ? media
               : media.substr(slash + 1);
}

}  // namespace

QString ApplicationTable::shownName(int number) const {
    const Entry &entry = entries_[static_cast<size_t>(number)];
    const std::string &plain = entry.name.empty() ? entry.binary : entry.name;
    const QString application = QString::fromStdString(plain);
    if (entry.ordinal == 1)
        return application;
    const std::string media = shownMedia(entry.media);
    bool mediaTellsApart = !media.empty() && media != plain;
    for (size_t i = 0; i < entries_.size(); ++i) {
        const Entry &other = entries_[i];
        if (static_cast<int>(i) != number && other.stream && other.name == entry.name &&
            other.binary == entry.binary && shownMedia(other.media) == media)
            mediaTellsApart = false;
    }
    if (mediaTellsApart) {
        return QCoreApplication::translate("ApplicationTable", "%1 \u2014 %2")
            .arg(application, QString::fromStdString(media));
    }
    return QCoreApplication::translate("ApplicationTable", "%1 #%2")
        .arg(application)
        .arg(entry.ordinal);
}

bool ApplicationTable::update(uint32_t sinkInput, const std::string &name,
                              const std::string &binary, const std::string &media, uint32_t sink) {
    const int known = entryOf(sinkInput);
    if (known >= 0) {
        Entry &entry = entries_[static_cast<size_t>(known)];
        if (entry.name == name && entry.binary == binary) {
            // Moved, or on to its next track: the same entry, under the same name.
            entry.stream->sink = sink;
            entry.media = media;
            return false;
        }
        // Renamed: it belongs to the entries of its new name from now on.
        entry.stream.reset();
    }
    const int number = freeEntry(name, binary);
    Entry &entry = entries_[static_cast<size_t>(number)];
    entry.stream = ApplicationStreamPlace{sinkInput, sink};
    entry.media = media;
    entry.shown = shownName(number);
    return true;
}

bool ApplicationTable::remove(uint32_t sinkInput) {
    const int known = entryOf(sinkInput);
    if (known < 0)
        return false;
    entries_[static_cast<size_t>(known)].stream.reset();
    return true;
}

bool ApplicationTable::removeAll() {
    bool any = false;
    for (Entry &entry : entries_) {
        any = any || entry.stream.has_value();
        entry.stream.reset();
    }
    return any;
}

std::vector<ApplicationInfo> ApplicationTable::list() const {
    std::vector<ApplicationInfo> list;
    for (size_t i = 0; i < entries_.size(); ++i) {
        const Entry &entry = entries_[i];
        list.push_back(
            {kFirstApplicationDevice + static_cast<int>(i), entry.shown, entry.stream.has_value()});
    }
    return list;
}

std::optional<ApplicationStreamPlace> ApplicationTable::streamOf(int number) const {
    if (number < 0 || number >= static_cast<int>(entries_.size()))
        return std::nullopt;
    return entries_[static_cast<size_t>(number)].stream;
}
