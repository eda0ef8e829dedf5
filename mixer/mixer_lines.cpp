#include "mixer/mixer_lines.h"

#include "audio/audio_player2.h"
#include "audio/audio_record2.h"

namespace {

class PlayerLines : public MixerLines {
public:
    explicit PlayerLines(TAudioPlayer2 &player) : p_(player) {}

    bool isRecording() const override { return false; }
    int count() const override { return p_.srcOutputCount(); }
    void select(int line) override { p_.setSrcOutput(line); }
    int selected() const override { return p_.srcOutput(); }
    QString name() const override { return p_.srcOutputName(); }
    bool volumeEnabled() const override { return p_.srcVolumeEnabled(); }
    int volume() const override { return p_.srcVolume(); }
    void setVolume(int volume) override { p_.setSrcVolume(volume); }
    bool balanceEnabled() const override { return p_.srcVolumeBalanceEnabled(); }
    int balance() const override { return p_.srcVolumeBalance(); }
    void setBalance(int balance) override { p_.setSrcVolumeBalance(balance); }
    bool switchEnabled() const override { return p_.srcMuteEnabled(); }
    bool switchOn() const override { return p_.srcMute(); }
    void setSwitch(bool on) override { p_.setSrcMute(on); }
    int advancedCount() const override { return p_.srcAdvancedCount(); }
    QString advancedName(int index) const override { return p_.srcAdvancedName(index); }
    QVariant advancedValue(int index) const override { return p_.srcAdvancedValue(index); }
    void setAdvancedValue(int index, const QVariant &value) override {
        p_.setSrcAdvancedValue(index, value);
    }

private:
    TAudioPlayer2 &p_;
};

class RecorderLines : public MixerLines {
public:
    explicit RecorderLines(TAudioRecord2 &recorder) : r_(recorder) {}

    bool isRecording() const override { return true; }
    int count() const override { return r_.srcInputCount(); }
    void select(int line) override { r_.setSrcInput(line); }
    int selected() const override { return r_.srcInput(); }
    QString name() const override { return r_.srcInputName(); }
    bool volumeEnabled() const override { return r_.srcVolumeEnabled(); }
    int volume() const override { return r_.srcVolume(); }
    void setVolume(int volume) override { r_.setSrcVolume(volume); }
    bool balanceEnabled() const override { return r_.srcVolumeBalanceEnabled(); }
    int balance() const override { return r_.srcVolumeBalance(); }
    void setBalance(int balance) override { r_.setSrcVolumeBalance(balance); }
    bool switchEnabled() const override { return r_.srcSelectEnabled(); }
    bool switchOn() const override { return r_.srcSelect(); }
    void setSwitch(bool on) override { r_.setSrcSelect(on); }
    int advancedCount() const override { return r_.srcAdvancedCount(); }
    QString advancedName(int index) const override { return r_.srcAdvancedName(index); }
    QVariant advancedValue(int index) const override { return r_.srcAdvancedValue(index); }
    void setAdvancedValue(int index, const QVariant &value) override {
        r_.setSrcAdvancedValue(index, value);
    }

private:
    TAudioRecord2 &r_;
};

}  // namespace

std::shared_ptr<MixerLines> PlaybackLines(TAudioPlayer2 &player) {
    return std::make_shared<PlayerLines>(player);
}

std::shared_ptr<MixerLines> RecordingLines(TAudioRecord2 &recorder) {
    return std::make_shared<RecorderLines>(recorder);
}

std::shared_ptr<MixerLines> LinesOf(const MixerComponents &components, bool recording) {
    if (recording)
        return components.AudioRecord1 ? RecordingLines(*components.AudioRecord1) : nullptr;
    return components.AudioPlayer1 ? PlaybackLines(*components.AudioPlayer1) : nullptr;
}
