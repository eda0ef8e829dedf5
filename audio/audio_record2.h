// The recording component: input device and mixer lines, capture filters, and capture in
// blocks of BufferSize frames.
//
// The device runs on the backend's thread, which only copies frames into a lock-free ring
// allocated at StartDevice (30 seconds deep, so a GUI stall of seconds loses nothing).
// Everything else happens on the GUI thread: the ring is drained whenever the audio thread
// signals new data and on every timer tick; drained frames pass the filters, feed the
// levels and the recent-samples history, and are cut into blocks, one OnEndArrayRecord per
// block. StopDevice drains what is left and hands it on as a last, shorter block, so every
// captured frame reaches the receiver.
//
// Two running counts describe how clean the capture was, over the component's whole life
// (a recording takes the difference between its start and its end): gaps, where frames were
// lost (the device or server reported a loss, the stream found frames missing, or the ring
// was full), and clipped samples, which reached full scale. Each gap is also announced with
// its place (OnGap), once the frames around it have been taken in.
#pragma once

#include "audio/audio_device2.h"
#include "audio/devices/audio_backend.h"
#include "audio/sample_array.h"
#include "audio/spsc_ring.h"

#include <QVariant>

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

class RecordingFilterBank;

class TAudioRecord2 : public TAudioDevice2, private CaptureSink {
    Q_OBJECT
public:
    explicit TAudioRecord2(AudioBackend &backend, QObject *parent = nullptr);
    ~TAudioRecord2() override;

    // Devices
    int devInputCount() const { return mixer_.deviceCount(); }
    int devInput() const { return mixer_.device(); }
    void setDevInput(int device) { mixer_.setDevice(device); }
    QString devInputName() const { return mixer_.deviceName(); }
    bool devSrcEnabled() const { return mixer_.deviceHasMixer(); }

    // Mixer lines of the selected device
    int srcInputCount() const { return mixer_.lineCount(); }
    int srcInput() const { return mixer_.line(); }
    void setSrcInput(int line) { mixer_.setLine(line); }
    QString srcInputName() const { return mixer_.lineName(); }
    bool srcVolumeEnabled() const { return mixer_.volumeEnabled(); }
    int srcVolume() const { return mixer_.volume(); }
    void setSrcVolume(int volume) { mixer_.setVolume(volume); }
    bool srcVolumeBalanceEnabled() const { return mixer_.balanceEnabled(); }
    int srcVolumeBalance() const { return mixer_.balance(); }
    void setSrcVolumeBalance(int balance) { mixer_.setBalance(balance); }
    bool srcSelectEnabled() const { return mixer_.selectEnabled(); }
    bool srcSelect() const { return mixer_.select(); }
    void setSrcSelect(bool select) { mixer_.setSelect(select); }
    int srcAdvancedCount() const { return mixer_.advancedCount(); }
    QString srcAdvancedName(int index) const { return mixer_.advancedName(index); }
    QVariant srcAdvancedValue(int index) const { return mixer_.advancedValue(index); }
    void setSrcAdvancedValue(int index, const QVariant &v) { mixer_.setAdvancedValue(index, v); }

    // Filters on the captured signal (frequencies in Hz)
    bool NotchFilterEnabled() const { return notchEnabled_; }
    void setNotchFilterEnabled(bool on);
    bool HighPassFilterEnabled() const { return highPassEnabled_; }
    void setHighPassFilterEnabled(bool on);
    bool LowPassFilterEnabled() const { return lowPassEnabled_; }
    void setLowPassFilterEnabled(bool on);
    float NotchFilterFrequency() const { return notchFrequency_; }
    void setNotchFilterFrequency(float hz);
    float HighPassFilterFrequency() const { return highPassFrequency_; }
    void setHighPassFilterFrequency(float hz);
    float LowPassFilterFrequency() const { return lowPassFrequency_; }
    void setLowPassFilterFrequency(float hz);

    // Capture
    void SetFormatArray(int Frequency, int nChannels);
    int BufferSize() const { return bufferSize_; }
    void setBufferSize(int frames);
    void StartDevice() override;
    void StopDevice() override;
    // Ends one part of a split recording while the device runs on: the frames captured so far
    // are handed on (the last block shorter), and what the device captures from here on waits
    // until the next StartDevice, which goes on from there and counts positions from zero as
    // a fresh start does. So consecutive parts neither lose nor repeat a frame at the join.
    void EndPart();
    // Lets the device hand on every frame captured up to this moment, and no later one, so
    // that a stop right after it loses nothing a sound server still held: true when they are
    // all in already, otherwise OnCaptureFinished follows once they are (within about a
    // second). Frames captured after it are not handed on.
    bool FinishCapture();
    // Whether the device runs in this format.
    bool capturesIn(int frequency, int channels) const {
        return isRunning() && format_.frequency == frequency && format_.channels == channels;
    }

    // Whether every delivery of the device wakes the GUI thread to take it in (the default,
    // for the least delay), or the timer's ticks take the frames in batches, which is all the
    // level bars and the spectrum need while nothing records. A backlog of more than a
    // second is taken in at once either way. Any time; a new StartDevice keeps the choice.
    void setDrainOnDelivery(bool on) { drainOnDelivery_ = on; }

    // Hands on at once, as a shorter block, what has been captured but not yet filled a
    // block; the next block starts with the frame after it.
    void FlushBlock();
    // The block just completed (empty once taken).
    SampleArray ReceiveArray();
    // The latest nSamples frames captured (zeros where there is no history yet).
    SampleArray GetCurrentArray(int nSamples) const;
    // Frames captured since the last StartDevice.
    int nSamplesCurrent() const { return static_cast<int>(framesCaptured_); }
    // Frames handed on in blocks since the last StartDevice: the stream frame that the next
    // block starts with.
    int64_t framesDelivered() const { return framesDelivered_; }
    // The format the device captures in (SetFormatArray).
    StreamFormat captureFormat() const { return format_; }
    // Frames the ring could not take because the GUI thread fell too far behind.
    uint64_t droppedFrames() const { return dropped_.load(); }

    // Gaps in the capture: each run of lost frames counts once, however many reports it took.
    struct Gaps {
        int64_t count = 0;
        int64_t frames = 0;
    };
    Gaps captureGaps() const { return {gapCount_.load(), gapFrames_.load()}; }
    // Samples (of any channel) that reached full scale, +32767 or -32767 and below, after the
    // filters: what the file receives.
    int64_t clippedSamples() const { return clipped_; }

Q_SIGNALS:
    void OnEndArrayRecord(int nBlock);
    // The frames captured up to FinishCapture have all come (GUI thread, through the ring:
    // StopDevice hands them on).
    void OnCaptureFinished();
    // Every stretch of frames as it is taken in (filtered, before it is cut into blocks);
    // `firstFrame` counts from the last StartDevice. Valid only during the call.
    void OnFrames(const int16_t *samples, int frames, qint64 firstFrame);
    // Frames were lost before frame `atFrame` (counted like OnFrames' `firstFrame`); with
    // `continues` they lengthen the gap announced last. GUI thread.
    void OnGap(qint64 atFrame, qint64 frames, bool continues);

private:
    void captured(const int16_t *samples, int frames) override;
    void failed(const QString &reason) override;
    void lostFrames(int frames) override;
    void missedFrames(int64_t frames, int64_t framesAgo) override;
    void noteGap(int64_t start, int64_t frames, int64_t span, int64_t ringAt);
    void announceGaps();

    void drain();
    void resumePart();
    void absorb(int16_t *samples, int frames);
    void measureLevels(const int16_t *samples, int frames);
    void keepHistory(const int16_t *samples, int frames);
    void emitBlock(std::vector<int16_t> &&samples);
    void tick() override;
    void updateFilters();

    int bufferSize_ = 8820;

    bool notchEnabled_ = false;
    bool highPassEnabled_ = false;
    bool lowPassEnabled_ = false;
    float notchFrequency_ = 50.0f;
    float highPassFrequency_ = 100.0f;
    float lowPassFrequency_ = 15000.0f;
    std::unique_ptr<RecordingFilterBank> filters_;

    // Shared with the audio thread.
    std::unique_ptr<SpscRing<int16_t>> ring_;
    std::atomic<bool> notifyPending_{false};
    std::atomic<bool> drainOnDelivery_{true};
    size_t backlogSamples_ = 0;  // set at StartDevice: the second that wakes the GUI anyway
    std::atomic<uint64_t> dropped_{0};
    std::atomic<int64_t> gapCount_{0};
    std::atomic<int64_t> gapFrames_{0};
    // Audio thread only (reset while no stream runs): frames the stream has offered, and where
    // the last gap ended in them, so that a loss continuing it extends it; frames put into
    // the ring.
    int64_t offeredFrames_ = 0;
    int64_t gapEnd_ = -1;
    int64_t ringFrames_ = 0;
    // Where gaps are, from the audio thread to the GUI thread: `ringAt` counts the frames put
    // into the ring before the gap.
    struct GapMark {
        int64_t ringAt = 0;
        int64_t frames = 0;
        bool continues = false;
    };
    std::unique_ptr<SpscRing<GapMark>> gapMarks_;

    // GUI thread only.
    std::vector<int16_t> scratch_;
    std::vector<int16_t> pending_;
    SampleArray lastBlock_;
    std::vector<int16_t> history_;
    size_t historyPos_ = 0;
    int64_t framesCaptured_ = 0;
    int64_t framesDelivered_ = 0;
    int64_t ringRead_ = 0;       // frames taken from the ring since StartDevice
    int64_t partRingStart_ = 0;  // ringRead_ where this part's frames began
    int blockNumber_ = 0;
    int peakLeft_ = 0;
    int peakRight_ = 0;
    int64_t clipped_ = 0;
    int shownLeft_ = 0;  // the levels the last tick reported
    int shownRight_ = 0;
    int64_t framesAtLastTick_ = 0;
    bool draining_ = false;
    bool partEnded_ = false;  // EndPart ran: frames wait in the ring for the next part
};
