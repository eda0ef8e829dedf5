#include "audio/devices/application_table.h"

int ApplicationTable::numberOf(const std::string &name, const std::string &binary) {
    for (size_t i = 0; i < applications_.size(); ++i) {
        if (applications_[i].name == name && applications_[i].binary == binary)
            return static_cast<int>(i);
    }
    applications_.push_back({name, binary});
    return static_cast<int>(applications_.size()) - 1;
}

int ApplicationTable::playingCount(int number) const {
    int count = 0;
    for (const auto &entry : inputs_)
        count += entry.second.first == number ? 1 : 0;
    return count;
}

bool ApplicationTable::update(uint32_t sinkInput, const std::string &name,
                              const std::string &binary, const std::string &media, uint32_t sink) {
    (void)media;
    const int number = numberOf(name, binary);
    const auto known = inputs_.find(sinkInput);
    const bool renamed = known != inputs_.end() && known->second.first != number;
    const bool added = known == inputs_.end();
    const bool wasPlaying = playingCount(number) > 0;
    // A stream that renamed itself may leave its old entry with nothing playing.
    inputs_[sinkInput] = {number, {sinkInput, sink}};
    return renamed || (added && !wasPlaying);
}

bool ApplicationTable::remove(uint32_t sinkInput) {
    const auto known = inputs_.find(sinkInput);
    if (known == inputs_.end())
        return false;
    const int number = known->second.first;
    inputs_.erase(known);
    return playingCount(number) == 0;
}

bool ApplicationTable::removeAll() {
    const bool any = !inputs_.empty();
    inputs_.clear();
    return any;
}

std::vector<ApplicationInfo> ApplicationTable::list() const {
    std::vector<ApplicationInfo> list;
    for (size_t i = 0; i < applications_.size(); ++i) {
        const Application &a = applications_[i];
        const std::string &shown = a.name.empty() ? a.binary : a.name;
        list.push_back({kFirstApplicationDevice + static_cast<int>(i),
                        QString::fromStdString(shown), playingCount(static_cast<int>(i)) > 0});
    }
    return list;
}

std::optional<ApplicationStreamPlace> ApplicationTable::streamOf(int number) const {
    // Sink input indices only grow, so the last one is the newest stream.
    std::optional<ApplicationStreamPlace> newest;
    for (const auto &entry : inputs_) {
        if (entry.second.first == number)
            newest = entry.second.second;
    }
    return newest;
}
