#include "playback/read_ahead.h"

#include "audio/audio_file2.h"

#include <QCoreApplication>

#include <utility>

namespace {

// The data may end a little before the length a file states (an estimate from a constant
// bitrate, padding); only more than this much missing counts as a file that failed.
constexpr int kToleratedShortfallMs = 1000;

QString minutesAndSeconds(int64_t frames, int rate) {
    const int64_t seconds = rate > 0 ? frames / rate : 0;
    return QStringLiteral("%1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

}  // namespace

ReadAhead::ReadAhead(std::function<void()> blocksReady, int blocksAhead)
    : blocksReady_(std::move(blocksReady)),
      blocksAhead_(static_cast<size_t>(std::max(1, blocksAhead))),
      ring_(blocksAhead_ + 1),
      thread_([this] { run(); }) {}

ReadAhead::~ReadAhead() {
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        quit_ = true;
    }
    wake_.notify_one();
    thread_.join();
    Block *left = nullptr;
    while (ring_.read(&left, 1) == 1)
        delete left;
}

void ReadAhead::open(const QString &fileName, int blockFrames, int64_t position, int64_t length,
                     int generation) {
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        request_ = Request{Command::Open, fileName, blockFrames, position, length, generation};
    }
    wake_.notify_one();
}

void ReadAhead::seek(int64_t position, int generation) {
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        // A seek after an open not yet picked up reads that file from the new position.
        if (request_.command == Command::Open) {
            request_.position = position;
            request_.generation = generation;
        } else {
            request_ = Request{Command::Seek, QString(), 0, position, 0, generation};
        }
    }
    wake_.notify_one();
}

void ReadAhead::close(int generation) {
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        request_ = Request{Command::Close, QString(), 0, 0, 0, generation};
    }
    wake_.notify_one();
}

std::unique_ptr<ReadAhead::Block> ReadAhead::take(int generation) {
    Block *raw = nullptr;
    std::unique_ptr<Block> block;
    bool took = false;
    while (ring_.read(&raw, 1) == 1) {
        took = true;
        block.reset(raw);
        if (block->generation == generation)
            break;
        block.reset();
    }
    if (took) {
        // Room for more; the lock only orders this with the reader's test for room.
        { const std::lock_guard<std::mutex> lock(mutex_); }
        wake_.notify_one();
    }
    return block;
}

void ReadAhead::want() {
    wanted_ = true;
    // A block may have arrived between the owner's take() and here.
    if (ring_.available() > 0 && wanted_.exchange(false))
        blocksReady_();
}

void ReadAhead::run() {
    for (;;) {
        Request request;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            wake_.wait(lock, [this] {
                const size_t waiting = ring_.available();
                return quit_ || request_.command != Command::None ||
                       (pending_ && waiting < ring_.capacity()) ||
                       (!pending_ && !done_ && waiting < blocksAhead_);
            });
            if (quit_)
                break;
            request = std::exchange(request_, Request{});
        }
        if (request.command != Command::None)
            apply(request);
        else if (pending_)
            push(std::move(pending_));
        else
            readBlock();
    }
    file_.reset();
}

void ReadAhead::apply(const Request &request) {
    generation_ = request.generation;
    pending_.reset();  // an end of an older generation nobody takes
    switch (request.command) {
        case Command::Open: {
            file_ = std::make_unique<TAudioFile2>();
            file_->OpenFile(request.fileName, 0, 1);
            blockFrames_ = std::max(1, request.blockFrames);
            if (file_->LastErrorNum() != 0) {
                const QString reason = file_->LastErrorText();
                file_.reset();
                finish(reason);
                return;
            }
            // The length the owner shows; a file still being written may have grown since.
            length_ = request.length > 0 ? request.length : file_->nSamples();
            done_ = false;
            position_ = file_->SeekFile(static_cast<int>(request.position), 3);
            return;
        }
        case Command::Seek:
            if (!file_) {
                finish(QString());  // nothing to read: the owner hears the end at once
                return;
            }
            done_ = false;
            position_ = file_->SeekFile(static_cast<int>(request.position), 3);
            return;
        case Command::Close:
            file_.reset();
            done_ = true;
            return;
        case Command::None:
            return;
    }
}

void ReadAhead::readBlock() {
    SampleArray read = file_->ReadFile(blockFrames_);
    if (read.isEmpty()) {
        finish(endedEarly(position_));
        return;
    }
    auto block = std::make_unique<Block>();
    block->generation = generation_;
    // The position a seek reached, which may be rounded; the first block tells the owner.
    block->start = position_;
    block->channels = read.channels();
    position_ += read.frames();
    block->samples = std::move(read.samples());
    push(std::move(block));
}

void ReadAhead::finish(QString error) {
    auto block = std::make_unique<Block>();
    block->generation = generation_;
    block->end = true;
    block->error = std::move(error);
    done_ = true;
    push(std::move(block));
}

// Data blocks are read only while fewer than blocksAhead_ wait, so only end blocks (an end
// after a failed open, say, behind blocks of an older generation) can find the ring full;
// such a block waits here for room.
void ReadAhead::push(std::unique_ptr<Block> block) {
    Block *raw = block.get();
    if (ring_.write(&raw, 1) != 1) {
        pending_ = std::move(block);
        return;
    }
    block.release();
    if (wanted_.exchange(false))
        blocksReady_();
}

QString ReadAhead::endedEarly(int64_t position) const {
    const int rate = file_->ArrayFrequency();
    if (length_ - position <= static_cast<int64_t>(rate) * kToleratedShortfallMs / 1000)
        return QString();
    return QCoreApplication::translate("ReadAhead",
                                       "The file could not be read beyond %1 of %2; it may be "
                                       "damaged or cut short")
        .arg(minutesAndSeconds(position, rate), minutesAndSeconds(length_, rate));
}
