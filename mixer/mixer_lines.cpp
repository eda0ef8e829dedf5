#include "mixer/mixer_lines.h"

#include "audio/audio_player2.h"
#include "audio/audio_record2.h"

namespace {

class PlayerLines : public MixerLines {
public:
    explicit PlayerLines(TAudioPlayer2 &player) : p_(player) {}

    bool isRecording() const override { return false; }
    std::vector<MixerLine> lines() const override { return p_.mixerLines(); }
    void select(int line) override { p_.setSrcOutput(line); }
    int selected() const override { return p_.srcOutput(); }
    void setVolume(int line, int volume) override { p_.setMixerLineVolume(line, volume); }
    void setBalance(int line, int balance) override { p_.setMixerLineBalance(line, balance); }
    void setSwitch(int line, bool on) override { p_.setMixerLineMute(line, on); }
    void setAdvancedValue(int line, int index, const QVariant &value) override {
        p_.setMixerLineAdvanced(line, index, value);
    }

private:
    TAudioPlayer2 &p_;
};

class RecorderLines : public MixerLines {
public:
    explicit RecorderLines(TAudioRecord2 &recorder) : r_(recorder) {}

    bool isRecording() const override { return true; }
    std::vector<MixerLine> lines() const override { return r_.mixerLines(); }
    void select(int line) override { r_.setSrcInput(line); }
    int selected() const override { return r_.srcInput(); }
    void setVolume(int line, int volume) override { r_.setMixerLineVolume(line, volume); }
    void setBalance(int line, int balance) override { r_.setMixerLineBalance(line, balance); }
    void setSwitch(int line, bool on) override { r_.setMixerLineSelect(line, on); }
    void setAdvancedValue(int line, int index, const QVariant &value) override {
        r_.setMixerLineAdvanced(line, index, value);
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
