#include "audio/devices/virtual_backend.h"

#include "audio/devices/paced_thread.h"
#include "audio/devices/wav_sink_writer.h"

#include <QtGlobal>

#include <cmath>
#include <vector>

namespace {

constexpr int kChunksPerSecond = 100;  // 10 ms steps
constexpr double kLeftToneHz = 440.0;
constexpr double kRightToneHz = 1000.0;

// Frames in chunk k such that the running total is exact: floor((k+1)f/100) - floor(kf/100).
int chunkFrames(int64_t chunk, int frequency) {
    return static_cast<int>((chunk + 1) * frequency / kChunksPerSecond -
                            chunk * frequency / kChunksPerSecond);
}

MixerLine makeLine(const QString &name, bool select, bool mute) {
    MixerLine line;
    line.name = name;
    line.hasVolume = true;
    line.volume = 65535;
    line.hasBalance = true;
    line.balance = 50;
    line.hasSelect = select;
    line.hasMute = mute;
    return line;
}

using StreamFault = VirtualBackend::StreamFault;

const QString kFailedAtStart = QStringLiteral("The virtual device failed to start.");
const QString kFailedOnClose = QStringLiteral("The virtual device failed while closing.");

class VirtualCaptureStream : public AudioStream {
public:
    VirtualCaptureStream(const StreamFormat &format, CaptureSink *sink,
                         std::shared_ptr<std::atomic<int>> gain, StreamFault fault)
        : format_(format),
          sink_(sink),
          gain_(std::move(gain)),
          fault_(fault),
          buffer_(static_cast<size_t>(format.frequency / kChunksPerSecond + 1) * format.channels),
          thread_(std::chrono::microseconds(1000000 / kChunksPerSecond), [this] { step(); }) {}
    ~VirtualCaptureStream() override {
        if (fault_ == StreamFault::FailOnClose)
            sink_->failed(kFailedOnClose);  // while the thread still runs, as a late callback
    }

private:
    void step() {
        if (fault_ == StreamFault::FailAtStart) {
            if (!failureReported_)
                sink_->failed(kFailedAtStart);
            failureReported_ = true;
            return;
        }
        const int frames = chunkFrames(chunk_++, format_.frequency);
        const double gain = gain_->load() / 65535.0;
        for (int i = 0; i < frames; ++i) {
            for (int ch = 0; ch < format_.channels; ++ch) {
                buffer_[static_cast<size_t>(i) * format_.channels + ch] =
                    VirtualBackend::toneSample(ch, format_.channels, frame_ + i, format_.frequency,
                                               gain);
            }
        }
        frame_ += frames;
        sink_->captured(buffer_.data(), frames);
    }

    StreamFormat format_;
    CaptureSink *sink_;
    std::shared_ptr<std::atomic<int>> gain_;
    StreamFault fault_;
    bool failureReported_ = false;
    std::vector<int16_t> buffer_;
    int64_t chunk_ = 0;
    int64_t frame_ = 0;
    PacedThread thread_;  // last: stopped first on destruction
};

class VirtualPlaybackStream : public AudioStream {
public:
    VirtualPlaybackStream(const StreamFormat &format, PlaybackSource *source,
                          std::shared_ptr<WavSinkWriter> sink, std::mutex *sinkMutex,
                          StreamFault fault)
        : format_(format),
          source_(source),
          fault_(fault),
          sink_(std::move(sink)),
          sinkMutex_(sinkMutex),
          buffer_(static_cast<size_t>(format.frequency / kChunksPerSecond + 1) * format.channels),
          thread_(std::chrono::microseconds(1000000 / kChunksPerSecond), [this] { step(); }) {}
    ~VirtualPlaybackStream() override {
        if (fault_ == StreamFault::FailOnClose)
            source_->failed(kFailedOnClose);
    }

private:
    void step() {
        if (fault_ == StreamFault::FailAtStart) {
            if (!failureReported_)
                source_->failed(kFailedAtStart);
            failureReported_ = true;
            return;
        }
        const int frames = chunkFrames(chunk_++, format_.frequency);
        const int real = source_->fill(buffer_.data(), frames);
        if (sink_ && real > 0) {
            std::lock_guard<std::mutex> lock(*sinkMutex_);
            sink_->write(buffer_.data(), real);
        }
    }

    StreamFormat format_;
    PlaybackSource *source_;
    StreamFault fault_;
    bool failureReported_ = false;
    std::shared_ptr<WavSinkWriter> sink_;
    std::mutex *sinkMutex_;
    std::vector<int16_t> buffer_;
    int64_t chunk_ = 0;
    PacedThread thread_;
};

}  // namespace

VirtualBackend::VirtualBackend()
    : microphoneGain_(std::make_shared<std::atomic<int>>(65535)),
      lineInGain_(std::make_shared<std::atomic<int>>(65535)) {
    MixerLine microphone = makeLine(QStringLiteral("Microphone"), true, false);
    microphone.select = true;
    microphone.advanced = {{QStringLiteral("Mic Boost"), true, 0},
                           {QStringLiteral("Gain"), false, 32768}};
    inputLines_ = {microphone, makeLine(QStringLiteral("Line In"), true, false),
                   makeLine(QStringLiteral("Stereo Mix"), true, false)};
    outputLines_ = {makeLine(QStringLiteral("Master"), false, true),
                    makeLine(QStringLiteral("Wave"), false, true)};
}

VirtualBackend::~VirtualBackend() = default;

int16_t VirtualBackend::toneSample(int channel, int channels, int64_t frame, int frequency,
                                   double gain) {
    const double tone = (channels == 2 && channel == 1) ? kRightToneHz : kLeftToneHz;
    // Reduce the phase to one period first so precision does not drift over long runs.
    const int64_t period = frequency;  // tone * frame / frequency repeats every `frequency`
    const double phase = 2.0 * M_PI * tone * static_cast<double>(frame % period) / frequency;
    const double value = 16384.0 * gain * std::sin(phase);
    return static_cast<int16_t>(qBound(-32768L, std::lround(value), 32767L));
}

std::vector<DeviceInfo> VirtualBackend::devices(Direction direction) {
    if (direction == Direction::Input)
        return {{QStringLiteral("Virtual Microphone"), true},
                {QStringLiteral("Virtual Line In"), false}};
    return {{QStringLiteral("Virtual Speakers"), true},
            {QStringLiteral("Virtual Line Out"), false}};
}

std::vector<MixerLine> *VirtualBackend::lines(Direction direction, int device) {
    if (device != 0)
        return nullptr;  // only the first device of each side has a mixer
    return direction == Direction::Input ? &inputLines_ : &outputLines_;
}

MixerLine *VirtualBackend::line(Direction direction, int device, int index) {
    auto *all = lines(direction, device);
    if (!all || index < 0 || index >= static_cast<int>(all->size()))
        return nullptr;
    return &(*all)[index];
}

std::vector<MixerLine> VirtualBackend::mixerLines(Direction direction, int device) {
    auto *all = lines(direction, device);
    return all ? *all : std::vector<MixerLine>{};
}

void VirtualBackend::setLineVolume(Direction direction, int device, int index, int volume) {
    if (MixerLine *l = line(direction, device, index)) {
        l->volume = volume;
        updateCaptureGain();
    }
}

void VirtualBackend::setLineBalance(Direction direction, int device, int index, int balance) {
    if (MixerLine *l = line(direction, device, index))
        l->balance = balance;
}

void VirtualBackend::setLineMute(Direction direction, int device, int index, bool mute) {
    if (MixerLine *l = line(direction, device, index); l && l->hasMute)
        l->mute = mute;
}

void VirtualBackend::setLineSelect(Direction direction, int device, int index, bool select) {
    MixerLine *chosen = line(direction, device, index);
    if (!chosen || !chosen->hasSelect)
        return;
    // One recording source at a time: choosing one clears the others.
    if (select) {
        for (MixerLine &l : *lines(direction, device))
            l.select = false;
    }
    chosen->select = select;
    updateCaptureGain();
}

void VirtualBackend::setLineAdvanced(Direction direction, int device, int index, int control,
                                     int value) {
    MixerLine *l = line(direction, device, index);
    if (!l || control < 0 || control >= static_cast<int>(l->advanced.size()))
        return;
    AdvancedControl &c = l->advanced[control];
    c.value = c.isSwitch ? (value != 0) : value;
}

int VirtualBackend::deviceVolume(Direction direction, int device) {
    if (device < 0 || device > 1)
        return 0;
    return direction == Direction::Input ? inputVolumes_[device] : outputVolumes_[device];
}

void VirtualBackend::setDeviceVolume(Direction direction, int device, int volume) {
    if (device < 0 || device > 1)
        return;
    (direction == Direction::Input ? inputVolumes_ : outputVolumes_)[device] = volume;
}

void VirtualBackend::updateCaptureGain() {
    int gain = 0;
    for (const MixerLine &l : inputLines_) {
        if (l.select)
            gain = l.volume;
    }
    microphoneGain_->store(gain);
}

void VirtualBackend::setStreamFault(Direction direction, StreamFault fault) {
    faults_[direction == Direction::Input ? 0 : 1] = fault;
}

std::unique_ptr<AudioStream> VirtualBackend::openCapture(int device, const StreamFormat &format,
                                                         CaptureSink *sink, QString *error) {
    const StreamFault fault = faults_[0];
    if (device < 0 || device > 1 || fault == StreamFault::Vanished) {
        *error = QStringLiteral("No such input device: %1").arg(device);
        return nullptr;
    }
    auto gain = device == 0 ? microphoneGain_ : lineInGain_;
    return std::make_unique<VirtualCaptureStream>(format, sink, gain, fault);
}

std::unique_ptr<AudioStream> VirtualBackend::openPlayback(int device, const StreamFormat &format,
                                                          PlaybackSource *source, QString *error) {
    const StreamFault fault = faults_[1];
    if (device < 0 || device > 1 || fault == StreamFault::Vanished) {
        *error = QStringLiteral("No such output device: %1").arg(device);
        return nullptr;
    }
    std::shared_ptr<WavSinkWriter> sink;
    const QString sinkPath = qEnvironmentVariable("KORVANTA_VIRTUAL_SINK");
    if (!sinkPath.isEmpty()) {
        std::lock_guard<std::mutex> lock(sinkMutex_);
        if (!sink_ || !sink_->matches(sinkPath, format.frequency, format.channels))
            sink_ = std::make_shared<WavSinkWriter>(sinkPath, format.frequency, format.channels);
        sink = sink_;
    }
    return std::make_unique<VirtualPlaybackStream>(format, source, sink, &sinkMutex_, fault);
}
