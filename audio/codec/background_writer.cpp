#include "audio/codec/background_writer.h"

#include <algorithm>
#include <cerrno>
#include <chrono>

#include <sys/stat.h>

namespace korvanta::codec {

namespace {

constexpr int kChunkFrames = 8192;
constexpr int64_t kFileCheckMs = 1000;

int64_t nowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void waitOn(sem_t *semaphore) {
    while (sem_wait(semaphore) != 0 && errno == EINTR) {
    }
}

}  // namespace

BackgroundWriter::BackgroundWriter(AudioWriter &writer, QString path, int capacityFrames)
    : writer_(writer),
      path_(path.toLocal8Bit()),
      channels_(std::max(1, writer.channels())),
      ring_(static_cast<size_t>(std::max(capacityFrames, kChunkFrames)) * channels_),
      chunk_(static_cast<size_t>(kChunkFrames) * channels_) {
    sem_init(&work_, 0, 0);
    sem_init(&progress_, 0, 0);
    lastCheckMs_ = nowMs();
    thread_ = std::thread([this] { run(); });
}

BackgroundWriter::~BackgroundWriter() {
    stopping_ = true;
    sem_post(&work_);
    thread_.join();
    sem_destroy(&work_);
    sem_destroy(&progress_);
}

bool BackgroundWriter::write(const int16_t *samples, int frames) {
    if (frames <= 0 || failed())
        return !failed();
    // Whole frames only, so that the worker never sees half of one.
    const size_t room = (ring_.capacity() - ring_.available()) / channels_;
    const int64_t taken = std::min<int64_t>(frames, static_cast<int64_t>(room));
    const size_t put = ring_.write(samples, static_cast<size_t>(taken) * channels_);
    queued_ += static_cast<int64_t>(put);
    const int64_t before = takenFrames_.load(std::memory_order_relaxed);
    takenFrames_.store(before + taken, std::memory_order_release);
    if (taken > 0)
        sem_post(&work_);
    if (taken < frames) {
        // A loss that follows the last one with nothing taken between is the same gap.
        const int64_t at = before + taken;
        if (!losses_.empty() && losses_.back().at == at)
            losses_.back().frames += frames - taken;
        else
            losses_.push_back({at, frames - taken});
    }
    return !failed();
}

int64_t BackgroundWriter::framesTaken() const {
    return takenFrames_.load(std::memory_order_acquire) - refusedFrames_.load();
}

void BackgroundWriter::drain() {
    while (handled_.load() < queued_.load())
        waitOn(&progress_);
}

void BackgroundWriter::run() {
    for (;;) {
        waitOn(&work_);
        pass();
        if (stopping_.load()) {
            pass();  // what came with the last wake-up
            sem_post(&progress_);
            return;
        }
    }
}

void BackgroundWriter::pass() {
    for (;;) {
        const size_t got = ring_.read(chunk_.data(), chunk_.size());
        if (got == 0)
            break;
        const int frames = static_cast<int>(got / channels_);
        if (failed()) {
            refusedFrames_ += frames;
        } else {
            const int64_t before = writer_.framesWritten();
            if (!writer_.write(chunk_.data(), frames))
                writerFailed_ = true;
            else if (!fileStillThere())
                fileMissing_ = true;
            refusedFrames_ += frames - (writer_.framesWritten() - before);
        }
        handled_ += static_cast<int64_t>(got);
        sem_post(&progress_);
    }
}

bool BackgroundWriter::fileStillThere() {
    const int64_t now = nowMs();
    if (now - lastCheckMs_ < kFileCheckMs)
        return true;
    lastCheckMs_ = now;
    struct stat info;
    return ::stat(path_.constData(), &info) == 0;
}

}  // namespace korvanta::codec
