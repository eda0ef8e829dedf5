#include "audio/audio_device_mixer.h"

#include <QCoreApplication>

#include <algorithm>

QString applicationEntryName(const QString &application) {
    return QCoreApplication::translate("AudioDeviceMixer", "%1 (application)").arg(application);
}

std::optional<ApplicationInfo> applicationOf(AudioBackend &backend, int device) {
    if (!isApplicationDevice(device))
        return std::nullopt;
    for (const ApplicationInfo &application : backend.applications()) {
        if (application.device == device)
            return application;
    }
    return std::nullopt;
}

AudioDeviceMixer::AudioDeviceMixer(AudioBackend &backend, Direction direction)
    : backend_(backend),
      direction_(direction),
      device_(std::max(backend.defaultDevice(direction), 0)) {}

int AudioDeviceMixer::deviceCount() const {
    return static_cast<int>(backend_.devices(direction_).size()) - 1;
}

void AudioDeviceMixer::setDevice(int device) {
    device_ = device;
    line_ = 0;
}

QString AudioDeviceMixer::deviceName() const {
    if (direction_ == Direction::Input && isApplicationDevice(device_)) {
        const auto application = applicationOf(backend_, device_);
        return application ? applicationEntryName(application->name) : QString();
    }
    const auto list = backend_.devices(direction_);
    if (device_ < 0 || device_ >= static_cast<int>(list.size()))
        return {};
    return list[device_].name;
}

bool AudioDeviceMixer::deviceHasMixer() const {
    const auto list = backend_.devices(direction_);
    if (device_ < 0 || device_ >= static_cast<int>(list.size()))
        return false;
    return list[device_].hasMixer;
}

std::vector<MixerLine> AudioDeviceMixer::lines() const {
    return backend_.mixerLines(direction_, device_);
}

std::optional<MixerLine> AudioDeviceMixer::lineAt(int line) const {
    std::vector<MixerLine> all = lines();
    if (line < 0 || line >= static_cast<int>(all.size()))
        return std::nullopt;
    return std::move(all[static_cast<size_t>(line)]);
}

void AudioDeviceMixer::setLineVolume(int line, int volume) {
    if (lineAt(line))
        backend_.setLineVolume(direction_, device_, line, std::clamp(volume, 0, 65535));
}

void AudioDeviceMixer::setLineBalance(int line, int balance) {
    if (lineAt(line))
        backend_.setLineBalance(direction_, device_, line, std::clamp(balance, 0, 100));
}

void AudioDeviceMixer::setLineMute(int line, bool mute) {
    if (lineAt(line))
        backend_.setLineMute(direction_, device_, line, mute);
}

void AudioDeviceMixer::setLineSelect(int line, bool select) {
    if (lineAt(line))
        backend_.setLineSelect(direction_, device_, line, select);
}

void AudioDeviceMixer::setLineAdvanced(int line, int index, const QVariant &value) {
    const std::optional<MixerLine> target = lineAt(line);
    if (!target || index < 0 || index >= static_cast<int>(target->advanced.size()))
        return;
    const int v = value.typeId() == QMetaType::Bool ? (value.toBool() ? 1 : 0)
                                                    : std::clamp(value.toInt(), 0, 65535);
    backend_.setLineAdvanced(direction_, device_, line, index, v);
}

int AudioDeviceMixer::lineCount() const {
    return static_cast<int>(lines().size()) - 1;
}

MixerLine AudioDeviceMixer::currentLine() const {
    return lineAt(line_).value_or(MixerLine{});
}

QString AudioDeviceMixer::lineName() const {
    return currentLine().name;
}

bool AudioDeviceMixer::volumeEnabled() const {
    return currentLine().hasVolume;
}
int AudioDeviceMixer::volume() const {
    return currentLine().volume;
}
void AudioDeviceMixer::setVolume(int volume) {
    setLineVolume(line_, volume);
}

bool AudioDeviceMixer::balanceEnabled() const {
    return currentLine().hasBalance;
}
int AudioDeviceMixer::balance() const {
    return currentLine().balance;
}
void AudioDeviceMixer::setBalance(int balance) {
    setLineBalance(line_, balance);
}

bool AudioDeviceMixer::muteEnabled() const {
    return currentLine().hasMute;
}
bool AudioDeviceMixer::mute() const {
    return currentLine().mute;
}
void AudioDeviceMixer::setMute(bool mute) {
    setLineMute(line_, mute);
}

bool AudioDeviceMixer::selectEnabled() const {
    return currentLine().hasSelect;
}
bool AudioDeviceMixer::select() const {
    return currentLine().select;
}
void AudioDeviceMixer::setSelect(bool select) {
    setLineSelect(line_, select);
}

int AudioDeviceMixer::advancedCount() const {
    return static_cast<int>(currentLine().advanced.size()) - 1;
}

QString AudioDeviceMixer::advancedName(int index) const {
    const MixerLine line = currentLine();
    if (index < 0 || index >= static_cast<int>(line.advanced.size()))
        return {};
    return line.advanced[index].name;
}

QVariant AudioDeviceMixer::advancedValue(int index) const {
    const MixerLine line = currentLine();
    if (index < 0 || index >= static_cast<int>(line.advanced.size()))
        return {};
    const AdvancedControl &control = line.advanced[index];
    return control.isSwitch ? QVariant(control.value != 0) : QVariant(control.value);
}

void AudioDeviceMixer::setAdvancedValue(int index, const QVariant &value) {
    setLineAdvanced(line_, index, value);
}

int AudioDeviceMixer::deviceVolume() const {
    return backend_.deviceVolume(direction_, device_);
}

void AudioDeviceMixer::setDeviceVolume(int volume) {
    backend_.setDeviceVolume(direction_, device_, std::clamp(volume, 0, 65535));
}
