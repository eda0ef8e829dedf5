// Runs an AudioWriter's encoding and file writes on a thread of its own, so that the thread
// handing in the blocks (the GUI thread, in a recording) only copies them.
//
// write() copies the frames into a ring allocated up front and wakes the worker; neither side
// locks, allocates or waits per block. A writer that has fallen a whole ring behind (a disk
// that stalls) is not waited for: what does not fit is dropped and counted as a loss at its
// place in the file, for the recording to report, since a caller that waits would lose its
// own input instead, and say nothing. The worker hands the frames to the writer in the order
// they came, and, at most once a second, checks that the file is still there: writes into a
// deleted file would succeed, into nothing. After the first failure (the writer's, or the
// file gone) everything later is dropped; drain() waits until the worker has dealt with all
// that was handed in, after which the writer's state may be read. The destructor drains and
// ends the thread; finishing the file is the owner's, afterwards.
#pragma once

#include "audio/codec/audio_writer.h"
#include "audio/spsc_ring.h"

#include <QString>

#include <atomic>
#include <cstdint>
#include <thread>
#include <vector>

#include <semaphore.h>

namespace korvanta::codec {

class BackgroundWriter {
public:
    // Frames that could not be queued: `at` is where in the file they were to go (the
    // frames taken before them).
    struct Loss {
        int64_t at = 0;
        int64_t frames = 0;
    };

    // `capacityFrames`: how far the writer may fall behind before write() drops frames.
    BackgroundWriter(AudioWriter &writer, QString path, int capacityFrames);
    ~BackgroundWriter();
    BackgroundWriter(const BackgroundWriter &) = delete;
    BackgroundWriter &operator=(const BackgroundWriter &) = delete;

    // Queues frames in the writer's layout, as many as there is room for, and never waits:
    // the rest are dropped and added to losses(). False once a failure is known (nothing
    // queued). Caller's thread.
    bool write(const int16_t *samples, int frames);
    // The frames the file holds once the worker is through: those queued, less those the
    // writer refused after a failure. Any thread, without waiting.
    int64_t framesTaken() const;
    // Every run of frames write() dropped for want of room, in order. Caller's thread.
    const std::vector<Loss> &losses() const { return losses_; }
    // Waits until every queued frame went to the writer or was dropped after a failure.
    void drain();
    // A write failed (the writer's error says why) or the file was found missing.
    bool failed() const { return writerFailed_.load() || fileMissing_.load(); }
    bool fileMissing() const { return fileMissing_.load(); }

private:
    void run();
    void pass();
    bool fileStillThere();

    AudioWriter &writer_;
    const QByteArray path_;
    const int channels_;
    SpscRing<int16_t> ring_;
    std::vector<int16_t> chunk_;  // worker only
    sem_t work_;                  // posted by write() and the destructor
    sem_t progress_;              // posted by the worker after each pass
    std::atomic<int64_t> queued_{0};
    std::atomic<int64_t> handled_{0};
    std::atomic<int64_t> takenFrames_{0};    // queued, in frames
    std::atomic<int64_t> refusedFrames_{0};  // handled but not written, after a failure
    std::vector<Loss> losses_;               // caller only
    std::atomic<bool> writerFailed_{false};
    std::atomic<bool> fileMissing_{false};
    std::atomic<bool> stopping_{false};
    int64_t lastCheckMs_ = 0;  // worker only
    std::thread thread_;
};

}  // namespace korvanta::codec
