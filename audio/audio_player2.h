// The playback component: output device and mixer lines, a twelve-band equaliser, and
// block-wise playback.
//
// SendArray keeps a block (equalised on the GUI thread) and passes it to the backend's thread
// through a lock-free queue of block addresses. The audio thread only copies frames out of the
// blocks, counts them and keeps peak levels; it tells the GUI thread when frames were taken, and
// the GUI side raises OnEndArrayPlay for every block the device has taken, OnRequestOnLoadArray
// when the queue ran dry before the end, and OnEndPlay once an empty SendArray marked the end of
// the data and everything queued has been heard. While the timer runs, a block's end that can
// wait is raised at the next tick, just before OnTimer, instead of in a wake of its own.
//
// "Taken" and "heard" differ on a sound server, which buffers what it took: the block and
// request events follow what was taken, so the queue stays ahead of the device; positions
// (nSamplesCurrent, OnTimer, GetCurrentArray) and OnEndPlay follow the stream's
// framesPlayed(), so a handler that stops the device on OnEndPlay does not cut off the end.
#pragma once

#include "audio/audio_device2.h"
#include "audio/devices/audio_backend.h"
#include "audio/played_blocks.h"
#include "audio/sample_array.h"
#include "audio/spsc_ring.h"

#include <QVariant>

#include <array>
#include <atomic>
#include <cstdint>
#include <deque>
#include <memory>
#include <vector>

class PlaybackEqualizer;

class TAudioPlayer2 : public TAudioDevice2, private PlaybackSource {
    Q_OBJECT
public:
    static constexpr int kEqualizerBands = 12;

    explicit TAudioPlayer2(AudioBackend &backend, QObject *parent = nullptr);
    ~TAudioPlayer2() override;

    // Devices
    int devOutputCount() const { return mixer_.deviceCount(); }
    int devOutput() const { return mixer_.device(); }
    void setDevOutput(int device) { mixer_.setDevice(device); }
    QString devOutputName() const { return mixer_.deviceName(); }
    bool devSrcEnabled() const { return mixer_.deviceHasMixer(); }
    int devVolume() const { return mixer_.deviceVolume(); }
    void setDevVolume(int volume) { mixer_.setDeviceVolume(volume); }

    // Mixer lines of the selected device
    int srcOutputCount() const { return mixer_.lineCount(); }
    int srcOutput() const { return mixer_.line(); }
    void setSrcOutput(int line) { mixer_.setLine(line); }
    QString srcOutputName() const { return mixer_.lineName(); }
    bool srcVolumeEnabled() const { return mixer_.volumeEnabled(); }
    int srcVolume() const { return mixer_.volume(); }
    void setSrcVolume(int volume) { mixer_.setVolume(volume); }
    bool srcVolumeBalanceEnabled() const { return mixer_.balanceEnabled(); }
    int srcVolumeBalance() const { return mixer_.balance(); }
    void setSrcVolumeBalance(int balance) { mixer_.setBalance(balance); }
    bool srcMuteEnabled() const { return mixer_.muteEnabled(); }
    bool srcMute() const { return mixer_.mute(); }
    void setSrcMute(bool mute) { mixer_.setMute(mute); }
    int srcAdvancedCount() const { return mixer_.advancedCount(); }
    QString srcAdvancedName(int index) const { return mixer_.advancedName(index); }
    QVariant srcAdvancedValue(int index) const { return mixer_.advancedValue(index); }
    void setSrcAdvancedValue(int index, const QVariant &v) { mixer_.setAdvancedValue(index, v); }

    // Equaliser: gains in dB for the twelve bands; the player keeps a copy.
    void SetEqualizerArray(const std::array<float, kEqualizerBands> &dbGainArray);
    bool EqualizerEnabled() const { return equalizerEnabled_; }
    void setEqualizerEnabled(bool on);

    // Playback
    void SetFormatArray(int Frequency, int nChannels);
    void StartDevice() override;
    void StopDevice() override;

    // Queues a block; an empty one marks the end of the data.
    void SendArray(SampleArray WavArray);
    // Frames heard since the last StartDevice.
    int nSamplesCurrent() const { return static_cast<int>(heardFrames()); }
    // The latest nSamples frames played (zeros where unknown).
    SampleArray GetCurrentArray(int nSamples) const;

Q_SIGNALS:
    void OnEndArrayPlay();
    void OnRequestOnLoadArray();
    void OnEndPlay();

private:
    int fill(int16_t *out, int frames) override;
    bool moreToCome() const override { return moreToCome_.load(); }
    void failed(const QString &reason) override;

    void onPlayed();
    void raisePlayed();
    bool ticking() const;
    int64_t heardFrames() const;
    void pushPending();
    void dropHeardBlocks();
    void armNotify();
    void tick() override;

    bool equalizerEnabled_ = false;
    std::unique_ptr<PlaybackEqualizer> equalizer_;

    // Shared with the audio thread.
    std::unique_ptr<SpscRing<const PlayedBlock *>> queue_;  // blocks in the order to play
    std::atomic<int64_t> handedOut_{0};                     // frames fill() has given the device
    std::atomic<int> peakLeft_{0};
    std::atomic<int> peakRight_{0};
    std::atomic<bool> notifyPending_{false};
    // fill() wakes the GUI side once this many frames are handed out: where something is due
    // there (a block's end, a request for more, the end of the data, room for the backlog).
    std::atomic<int64_t> notifyAt_{0};
    std::atomic<bool> moreToCome_{true};  // no end of data marked since the last block

    // Audio thread only: the block being handed out and how many of its samples have been.
    const PlayedBlock *playing_ = nullptr;
    size_t playingOffset_ = 0;

    // GUI thread only.
    std::deque<int64_t> blockEnds_;            // cumulative frame count at each block's end
    std::deque<const PlayedBlock *> backlog_;  // blocks waiting for room in the queue
    PlayedBlocks blocks_;  // every block queued and not yet both played and out of history
    int64_t heardAtStop_ = 0;
    mutable int64_t heardShown_ = 0;  // positions never go back, whatever the backend estimates
    bool endOfData_ = false;
    bool endPlayRaised_ = false;
    bool requestRaised_ = false;
};
