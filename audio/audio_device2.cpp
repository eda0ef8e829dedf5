#include "audio/audio_device2.h"

#include "audio/units.h"

#include <algorithm>

TAudioDevice2::TAudioDevice2(AudioBackend &backend, Direction direction, int tickMs,
                             QObject *parent)
    : QObject(parent), mixer_(backend, direction) {
    timer_.setInterval(tickMs);
    connect(&timer_, &QTimer::timeout, this, [this] { tick(); });
}

int TAudioDevice2::SecToSamples(int Millisec) const {
    return MillisecondsToFrames(Millisec, format_.frequency);
}

int TAudioDevice2::SamplesToSec(int Samples) const {
    return FramesToMilliseconds(Samples, format_.frequency);
}

void TAudioDevice2::setTimerEnabled(bool on) {
    timerEnabled_ = on;
    updateTimer();
}

void TAudioDevice2::updateTimer() {
    if (timerEnabled_ && stream_)
        timer_.start();
    else
        timer_.stop();
}

void TAudioDevice2::setFormat(int frequency, int channels) {
    format_.frequency = std::clamp(frequency, 4000, 192000);
    format_.channels = std::clamp(channels, 1, 2);
}

void TAudioDevice2::openStream(
    const std::function<std::unique_ptr<AudioStream>(QString *error)> &open) {
    lastError_ = kNoError;
    lastErrorText_.clear();
    QString error;
    streamGeneration_ = ++generation_;
    stream_ = open(&error);
    if (!stream_) {
        lastError_ = kDeviceOpenFailed;
        lastErrorText_ = error;
        return;
    }
    updateTimer();
}

void TAudioDevice2::closeStream() {
    ++generation_;
    stream_.reset();  // joins the device thread
    timer_.stop();
}

void TAudioDevice2::postToGui(std::function<void()> call) {
    const int posted = streamGeneration_.load();
    QMetaObject::invokeMethod(
        this,
        [this, posted, call = std::move(call)] {
            if (posted == generation_.load())
                call();
        },
        Qt::QueuedConnection);
}

void TAudioDevice2::reportDeviceLost(const QString &reason) {
    postToGui([this, reason] {
        StopDevice();
        lastError_ = kDeviceLost;
        lastErrorText_ = reason;
        Q_EMIT OnDeviceError(reason);
    });
}
