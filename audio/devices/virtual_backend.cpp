#include "audio/devices/virtual_backend.h"

#include "audio/devices/paced_thread.h"
#include "audio/devices/wav_sink_writer.h"

#include <QCoreApplication>
#include <QStringList>
#include <QtGlobal>

#include <algorithm>
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

// A span of capture frames the card loses: [start, end).
struct DropSpan {
    int64_t start;
    int64_t end;
};

// KORVANTA_VIRTUAL_DROP="at_ms:length_ms[,at_ms:length_ms...]", counted from the stream's
// start; malformed entries are ignored.
std::vector<DropSpan> dropSpans(int frequency) {
    std::vector<DropSpan> spans;
    const QString text = qEnvironmentVariable("KORVANTA_VIRTUAL_DROP");
    for (const QString &entry : text.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const QStringList parts = entry.split(QLatin1Char(':'));
        bool atOk = false;
        bool lengthOk = false;
        const qint64 atMs = parts.value(0).trimmed().toLongLong(&atOk);
        const qint64 lengthMs = parts.value(1).trimmed().toLongLong(&lengthOk);
        if (parts.size() != 2 || !atOk || !lengthOk || atMs < 0 || lengthMs <= 0)
            continue;
        const int64_t start = atMs * frequency / 1000;
        spans.push_back({start, start + lengthMs * frequency / 1000});
    }
    std::sort(spans.begin(), spans.end(),
              [](const DropSpan &a, const DropSpan &b) { return a.start < b.start; });
    return spans;
}

// KORVANTA_VIRTUAL_GAIN: a factor on the tones' level (2 takes them to full scale and past
// it, so they clip); 1 when unset or not a positive number.
double gainFactor() {
    bool ok = false;
    const double factor = qEnvironmentVariable("KORVANTA_VIRTUAL_GAIN").toDouble(&ok);
    return ok && factor > 0.0 ? factor : 1.0;
}

// KORVANTA_VIRTUAL_PACE: how many seconds of sound the card delivers and takes per second of
// the clock (1, real time, when unset or below 1; at most 100). Tests that only check what
// was recorded or played speed it up; the program handles the frames as it always does.
std::chrono::microseconds chunkPeriod() {
    bool ok = false;
    const double pace = qEnvironmentVariable("KORVANTA_VIRTUAL_PACE").toDouble(&ok);
    const double factor = ok && pace >= 1.0 ? std::min(pace, 100.0) : 1.0;
    return std::chrono::microseconds(std::llround(1e6 / kChunksPerSecond / factor));
}

const QString kFailedAtStart = QStringLiteral("The virtual device failed to start.");
const QString kFailedOnClose = QStringLiteral("The virtual device failed while closing.");

const QString &lostReason() {
    static const QString reason = QStringLiteral("The sound device was unplugged.");
    return reason;
}

class VirtualCaptureStream : public AudioStream {
public:
    VirtualCaptureStream(const StreamFormat &format, CaptureSink *sink,
                         std::shared_ptr<std::atomic<int>> gain,
                         std::shared_ptr<std::atomic<bool>> reachable, StreamFault fault)
        : format_(format),
          sink_(sink),
          gain_(std::move(gain)),
          reachable_(std::move(reachable)),
          fault_(fault),
          drops_(dropSpans(format.frequency)),
          gainFactor_(gainFactor()),
          buffer_(static_cast<size_t>(format.frequency / kChunksPerSecond + 1) * format.channels),
          thread_(chunkPeriod(), [this] { step(); }) {}
    ~VirtualCaptureStream() override {
        if (fault_ == StreamFault::FailOnClose)
            sink_->failed(kFailedOnClose);  // while the thread still runs, as a late callback
    }

private:
    void step() {
        if (failed_)
            return;
        if (fault_ == StreamFault::FailAtStart || !reachable_->load()) {
            failed_ = true;
            sink_->failed(fault_ == StreamFault::FailAtStart ? kFailedAtStart : lostReason());
            return;
        }
        const int frames = chunkFrames(chunk_++, format_.frequency);
        const double gain = gain_->load() / 65535.0 * gainFactor_;
        if (gain != periodGain_)
            makePeriod(gain);
        const int channels = format_.channels;
        int64_t at = frame_ % format_.frequency;
        for (int i = 0; i < frames; ++i) {
            std::copy_n(period_.begin() + at * channels, channels,
                        buffer_.begin() + static_cast<ptrdiff_t>(i) * channels);
            at = at + 1 == format_.frequency ? 0 : at + 1;
        }
        deliver(frames);
        frame_ += frames;
    }

    // The tones repeat every second: one second of them at the current volume, made once
    // rather than with a sine per sample all the time.
    void makePeriod(double gain) {
        const int channels = format_.channels;
        period_.resize(static_cast<size_t>(format_.frequency) * channels);
        for (int f = 0; f < format_.frequency; ++f) {
            for (int ch = 0; ch < channels; ++ch)
                period_[static_cast<size_t>(f) * channels + ch] =
                    VirtualBackend::toneSample(ch, channels, f, format_.frequency, gain);
        }
        periodGain_ = gain;
    }

    // Hands the chunk on; frames inside a drop span are reported lost and come as silence,
    // as the sound server hands on a hole.
    void deliver(int frames) {
        const int channels = format_.channels;
        for (int done = 0; done < frames;) {
            const int64_t at = frame_ + done;
            int64_t until = frame_ + frames;
            bool lost = false;
            for (const DropSpan &span : drops_) {
                if (span.end <= at)
                    continue;
                lost = span.start <= at;
                until = std::min(until, lost ? span.end : span.start);
                break;
            }
            const int count = static_cast<int>(until - at);
            int16_t *data = buffer_.data() + static_cast<size_t>(done) * channels;
            if (lost) {
                sink_->lostFrames(count);
                std::fill(data, data + static_cast<size_t>(count) * channels, int16_t(0));
            }
            sink_->captured(data, count);
            done += count;
        }
    }

    StreamFormat format_;
    CaptureSink *sink_;
    std::shared_ptr<std::atomic<int>> gain_;
    std::shared_ptr<std::atomic<bool>> reachable_;
    StreamFault fault_;
    std::vector<DropSpan> drops_;
    double gainFactor_;
    std::vector<int16_t> buffer_;
    std::vector<int16_t> period_;
    double periodGain_ = -1.0;
    int64_t chunk_ = 0;
    int64_t frame_ = 0;
    bool failed_ = false;
    PacedThread thread_;  // last: stopped first on destruction
};

// One application entry's sound: the tone of the fake player whose stream the entry stands
// for, and silence in real time while none does.
class VirtualApplicationStream : public AudioStream {
public:
    VirtualApplicationStream(const StreamFormat &format, CaptureSink *sink,
                             std::shared_ptr<std::atomic<int>> toneHz)
        : format_(format),
          sink_(sink),
          toneHz_(std::move(toneHz)),
          buffer_(static_cast<size_t>(format.frequency / kChunksPerSecond + 1) * format.channels),
          thread_(chunkPeriod(), [this] { step(); }) {}

private:
    void step() {
        const int frames = chunkFrames(chunk_++, format_.frequency);
        const int toneHz = toneHz_->load();
        for (int i = 0; i < frames; ++i) {
            const int64_t frame = (frame_ + i) % format_.frequency;  // one second of periods
            const double value =
                toneHz > 0 ? 16384.0 * std::sin(2.0 * M_PI * toneHz * frame / format_.frequency)
                           : 0;
            for (int ch = 0; ch < format_.channels; ++ch)
                buffer_[static_cast<size_t>(i) * format_.channels + ch] =
                    static_cast<int16_t>(std::lround(value));
        }
        frame_ += frames;
        sink_->captured(buffer_.data(), frames);
    }

    StreamFormat format_;
    CaptureSink *sink_;
    std::shared_ptr<std::atomic<int>> toneHz_;
    std::vector<int16_t> buffer_;
    int64_t chunk_ = 0;
    int64_t frame_ = 0;
    PacedThread thread_;  // last: stopped first on destruction
};

class VirtualPlaybackStream : public AudioStream {
public:
    VirtualPlaybackStream(const StreamFormat &format, PlaybackSource *source,
                          std::shared_ptr<std::atomic<bool>> reachable,
                          std::shared_ptr<WavSinkWriter> sink, std::mutex *sinkMutex,
                          StreamFault fault)
        : format_(format),
          source_(source),
          reachable_(std::move(reachable)),
          fault_(fault),
          sink_(std::move(sink)),
          sinkMutex_(sinkMutex),
          buffer_(static_cast<size_t>(format.frequency / kChunksPerSecond + 1) * format.channels),
          thread_(chunkPeriod(), [this] { step(); }) {}
    ~VirtualPlaybackStream() override {
        if (fault_ == StreamFault::FailOnClose)
            source_->failed(kFailedOnClose);
    }

private:
    void step() {
        if (failed_)
            return;
        if (fault_ == StreamFault::FailAtStart || !reachable_->load()) {
            failed_ = true;
            source_->failed(fault_ == StreamFault::FailAtStart ? kFailedAtStart : lostReason());
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
    std::shared_ptr<std::atomic<bool>> reachable_;
    StreamFault fault_;
    std::shared_ptr<WavSinkWriter> sink_;
    std::mutex *sinkMutex_;
    std::vector<int16_t> buffer_;
    int64_t chunk_ = 0;
    bool failed_ = false;
    PacedThread thread_;
};

}  // namespace

VirtualBackend::VirtualBackend() {
    MixerLine microphone = makeLine(QStringLiteral("Microphone"), true, false);
    microphone.select = true;
    microphone.advanced = {{QStringLiteral("Mic Boost"), true, 0},
                           {QStringLiteral("Gain"), false, 32768}};
    Device card;
    card.name = QStringLiteral("Virtual Microphone");
    card.lines = {microphone, makeLine(QStringLiteral("Line In"), true, false),
                  makeLine(QStringLiteral("Stereo Mix"), true, false)};
    Device lineIn;
    lineIn.name = QStringLiteral("Virtual Line In");
    inputs_ = {card, lineIn};
    card = Device();
    card.name = QStringLiteral("Virtual Speakers");
    card.lines = {makeLine(QStringLiteral("Master"), false, true),
                  makeLine(QStringLiteral("Wave"), false, true)};
    Device lineOut;
    lineOut.name = QStringLiteral("Virtual Line Out");
    outputs_ = {card, lineOut};
    addApplication(QStringLiteral("Tone Generator A"), 300);
    addApplication(QStringLiteral("Tone Generator B"), 2000);
    // A and B keep the first two entries whichever of them plays first, as a server that has
    // seen them both would.
    for (uint32_t i = 0; i < applications_.size(); ++i)
        table_.update(i, applications_[i].name.toStdString(), {}, {}, 0);
    table_.removeAll();
    if (qEnvironmentVariable("KORVANTA_VIRTUAL_APPLICATIONS") == QLatin1String("1")) {
        for (Application &a : applications_)
            a.started = true;
    }
    updateReachable();
}

VirtualBackend::Application *VirtualBackend::application(int number) {
    if (number < 0 || number >= static_cast<int>(applications_.size()))
        return nullptr;
    return &applications_[static_cast<size_t>(number)];
}

int VirtualBackend::addApplication(const QString &name, int toneHz, const QString &media) {
    Application added;
    added.name = name;
    added.media = media;
    added.toneHz = toneHz;
    applications_.push_back(added);
    return static_cast<int>(applications_.size()) - 1;
}

std::vector<ApplicationInfo> VirtualBackend::applications() {
    return table_.list();
}

void VirtualBackend::setApplicationPlaying(int number, bool playing) {
    if (Application *a = application(number)) {
        a->started = playing;
        updateReachable();
        emitDevicesChanged();
    }
}

void VirtualBackend::moveApplication(int number, int output) {
    // The server moves a stream without telling the device lists; nor does the card.
    if (Application *a = application(number); a && device(Direction::Output, output)) {
        a->output = output;
        updateReachable();
    }
}

int VirtualBackend::applicationOutput(int number) const {
    return number >= 0 && number < static_cast<int>(applications_.size())
               ? applications_[static_cast<size_t>(number)].output
               : -1;
}

int VirtualBackend::applicationToneHz(int number) const {
    return number >= 0 && number < static_cast<int>(applications_.size())
               ? applications_[static_cast<size_t>(number)].toneHz
               : 0;
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

std::vector<VirtualBackend::Device> &VirtualBackend::side(Direction direction) {
    return direction == Direction::Input ? inputs_ : outputs_;
}

VirtualBackend::Device *VirtualBackend::device(Direction direction, int number) {
    auto &all = side(direction);
    if (number < 0 || number >= static_cast<int>(all.size()))
        return nullptr;
    return &all[static_cast<size_t>(number)];
}

std::vector<DeviceInfo> VirtualBackend::devices(Direction direction) {
    std::vector<DeviceInfo> list;
    for (const Device &d : side(direction))
        list.push_back({d.name, d.reachable->load() && !d.lines.empty()});
    return list;
}

int VirtualBackend::defaultDevice(Direction direction) {
    return direction == Direction::Input ? defaultInput_ : defaultOutput_;
}

MixerLine *VirtualBackend::line(Direction direction, int number, int index) {
    Device *d = device(direction, number);
    if (!d || !d->reachable->load() || index < 0 || index >= static_cast<int>(d->lines.size()))
        return nullptr;
    return &d->lines[static_cast<size_t>(index)];
}

std::vector<MixerLine> VirtualBackend::mixerLines(Direction direction, int number) {
    const Device *d = device(direction, number);
    return d && d->reachable->load() ? d->lines : std::vector<MixerLine>{};
}

void VirtualBackend::lineChanged(Direction direction, int number) {
    if (direction == Direction::Input)
        updateCaptureGain(*device(direction, number));
    // The server reports a change after the write has gone round; so does the card.
    QMetaObject::invokeMethod(
        this, [this, direction, number] { Q_EMIT mixerChanged(direction, number); },
        Qt::QueuedConnection);
}

void VirtualBackend::setLineVolume(Direction direction, int device, int index, int volume) {
    if (MixerLine *l = line(direction, device, index)) {
        l->volume = volume;
        lineChanged(direction, device);
    }
}

void VirtualBackend::setLineBalance(Direction direction, int device, int index, int balance) {
    if (MixerLine *l = line(direction, device, index)) {
        l->balance = balance;
        lineChanged(direction, device);
    }
}

void VirtualBackend::setLineMute(Direction direction, int device, int index, bool mute) {
    if (MixerLine *l = line(direction, device, index); l && l->hasMute) {
        l->mute = mute;
        lineChanged(direction, device);
    }
}

void VirtualBackend::setLineSelect(Direction direction, int number, int index, bool select) {
    MixerLine *chosen = line(direction, number, index);
    if (!chosen || !chosen->hasSelect)
        return;
    // One recording source at a time: choosing one clears the others.
    if (select) {
        for (MixerLine &l : device(direction, number)->lines)
            l.select = false;
    }
    chosen->select = select;
    lineChanged(direction, number);
}

void VirtualBackend::setLineAdvanced(Direction direction, int device, int index, int control,
                                     int value) {
    MixerLine *l = line(direction, device, index);
    if (!l || control < 0 || control >= static_cast<int>(l->advanced.size()))
        return;
    AdvancedControl &c = l->advanced[control];
    c.value = c.isSwitch ? (value != 0) : value;
    lineChanged(direction, device);
}

int VirtualBackend::deviceVolume(Direction direction, int number) {
    const Device *d = device(direction, number);
    return d ? d->volume : 0;
}

void VirtualBackend::setDeviceVolume(Direction direction, int number, int volume) {
    if (Device *d = device(direction, number)) {
        d->volume = volume;
        lineChanged(direction, number);
    }
}

// Capture follows the volume of the line recorded from: the selected one, or the only
// line of a device without a choice of lines.
void VirtualBackend::updateCaptureGain(Device &d) {
    if (d.lines.empty())
        return;
    bool selectable = false;
    int gain = 0;
    for (const MixerLine &l : d.lines) {
        selectable = selectable || l.hasSelect;
        if (l.hasSelect && l.select)
            gain = l.volume;
    }
    d.gain->store(selectable ? gain : d.lines.front().volume);
}

void VirtualBackend::updateReachable() {
    for (auto *all : {&inputs_, &outputs_}) {
        for (Device &d : *all)
            d.reachable->store(d.plugged && unavailable_.isEmpty());
    }
    // Streams that end go first, so that one starting at the same moment may take over
    // their entry.
    const auto playing = [this](const Application &a) {
        return a.started && unavailable_.isEmpty();
    };
    for (uint32_t i = 0; i < applications_.size(); ++i) {
        if (!playing(applications_[i]))
            table_.remove(i);
    }
    for (uint32_t i = 0; i < applications_.size(); ++i) {
        const Application &a = applications_[i];
        if (playing(a)) {
            table_.update(i, a.name.toStdString(), {}, a.media.toStdString(),
                          static_cast<uint32_t>(a.output));
        }
    }
    // What each entry plays now reaches the capture streams that record it.
    const size_t entries = table_.list().size();
    while (entryTones_.size() < entries)
        entryTones_.push_back(std::make_shared<std::atomic<int>>(0));
    for (size_t n = 0; n < entries; ++n) {
        const auto stream = table_.streamOf(static_cast<int>(n));
        entryTones_[n]->store(stream ? applicationToneHz(static_cast<int>(stream->index)) : 0);
    }
}

void VirtualBackend::emitDevicesChanged() {
    QMetaObject::invokeMethod(
        this, [this] { Q_EMIT devicesChanged(); }, Qt::QueuedConnection);
}

void VirtualBackend::setStreamFault(Direction direction, StreamFault fault) {
    faults_[direction == Direction::Input ? 0 : 1] = fault;
}

int VirtualBackend::plugDevice(Direction direction, const QString &name) {
    auto &all = side(direction);
    int number = 0;
    while (number < static_cast<int>(all.size()) && all[static_cast<size_t>(number)].name != name)
        ++number;
    if (number == static_cast<int>(all.size())) {
        Device added;
        added.name = name;
        added.lines = {makeLine(QStringLiteral("Master"), false, direction == Direction::Output)};
        all.push_back(added);
    }
    all[static_cast<size_t>(number)].plugged = true;
    updateReachable();
    emitDevicesChanged();
    return number;
}

void VirtualBackend::unplugDevice(Direction direction, int number) {
    if (Device *d = device(direction, number)) {
        d->plugged = false;
        updateReachable();
        emitDevicesChanged();
    }
}

void VirtualBackend::setDefaultDevice(Direction direction, int number) {
    (direction == Direction::Input ? defaultInput_ : defaultOutput_) = number;
    emitDevicesChanged();
}

void VirtualBackend::setMixerLines(Direction direction, int number, std::vector<MixerLine> lines) {
    if (Device *d = device(direction, number)) {
        d->lines = std::move(lines);
        lineChanged(direction, number);
    }
}

void VirtualBackend::setUnavailable(const QString &reason) {
    unavailable_ = reason;
    updateReachable();
    emitDevicesChanged();
}

std::unique_ptr<AudioStream> VirtualBackend::openCapture(int number, const StreamFormat &format,
                                                         CaptureSink *sink, QString *error) {
    if (isApplicationDevice(number)) {
        const size_t index = static_cast<size_t>(number - kFirstApplicationDevice);
        const std::vector<ApplicationInfo> all = table_.list();
        if (index >= all.size() || !all[index].playing) {
            *error = QCoreApplication::translate("VirtualBackend",
                                                 "The chosen application is not playing.");
            return nullptr;
        }
        return std::make_unique<VirtualApplicationStream>(format, sink, entryTones_[index]);
    }
    const Device *d = device(Direction::Input, number);
    const StreamFault fault = faults_[0];
    if (!d || fault == StreamFault::Vanished) {
        *error =
            QCoreApplication::translate("VirtualBackend", "No such input device: %1").arg(number);
        return nullptr;
    }
    if (!d->reachable->load()) {
        *error = unavailable_.isEmpty()
                     ? QCoreApplication::translate("VirtualBackend",
                                                   "The chosen input device is not available.")
                     : unavailable_;
        return nullptr;
    }
    return std::make_unique<VirtualCaptureStream>(format, sink, d->gain, d->reachable, fault);
}

std::unique_ptr<AudioStream> VirtualBackend::openPlayback(int number, const StreamFormat &format,
                                                          PlaybackSource *source, QString *error) {
    const Device *d = device(Direction::Output, number);
    const StreamFault fault = faults_[1];
    if (!d || fault == StreamFault::Vanished) {
        *error =
            QCoreApplication::translate("VirtualBackend", "No such output device: %1").arg(number);
        return nullptr;
    }
    if (!d->reachable->load()) {
        *error = unavailable_.isEmpty()
                     ? QCoreApplication::translate("VirtualBackend",
                                                   "The chosen output device is not available.")
                     : unavailable_;
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
    return std::make_unique<VirtualPlaybackStream>(format, source, d->reachable, sink, &sinkMutex_,
                                                   fault);
}
