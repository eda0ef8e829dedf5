// Decoding ahead for a playback: a thread of its own opens the played file (its own reader,
// apart from the window's file component), decodes it block by block a short time ahead of
// what is heard and hands the blocks over through a bounded lock-free queue.
//
// Threads: the owner (the playback session on the GUI thread) calls every public method; none
// of them waits for the reader thread, which only ever takes a mutex for the moment it needs
// to pick up a command. The reader thread calls `blocksReady` (given at construction) when a
// block arrives that the owner asked for with want(); the callback must not touch the owner
// directly, only post to it.
//
// Generations: every command carries the owner's generation, and every block the generation of
// the command it was read under. take() drops blocks of an older generation, so after a seek,
// pause or stop nothing read before it is delivered.
#pragma once

#include "audio/spsc_ring.h"

#include <QString>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

class TAudioFile2;

class ReadAhead {
public:
    struct Block {
        int generation = 0;
        int64_t start = 0;  // position in the file of the first frame
        int channels = 1;
        std::vector<int16_t> samples;  // interleaved; empty for the end of the data
        bool end = false;              // nothing follows in this generation
        QString error;                 // with `end`: reading failed, and why
    };

    // Blocks hold `blockFrames` frames each; at most `blocksAhead` wait decoded.
    ReadAhead(std::function<void()> blocksReady, int blocksAhead = 5);
    ~ReadAhead();
    ReadAhead(const ReadAhead &) = delete;
    ReadAhead &operator=(const ReadAhead &) = delete;

    // Opens `fileName` on the reader thread and reads from `position` on in blocks of
    // `blockFrames`; a file open before is closed. `length` is what the owner was told the
    // file holds: data ending well before it means the file failed.
    void open(const QString &fileName, int blockFrames, int64_t position, int64_t length,
              int generation);
    // Reads from `position` on.
    void seek(int64_t position, int generation);
    // Closes the file; nothing more is read until the next open.
    void close(int generation);

    // The next block of `generation`, or null when none is decoded yet. Older blocks are
    // dropped on the way.
    std::unique_ptr<Block> take(int generation);
    // Asks for one call of `blocksReady` once a block has arrived (at once if one waits).
    void want();

private:
    enum class Command { None, Open, Seek, Close };
    struct Request {
        Command command = Command::None;
        QString fileName;
        int blockFrames = 0;
        int64_t position = 0;
        int64_t length = 0;
        int generation = 0;
    };

    void run();
    void apply(const Request &request);
    void readBlock();
    void finish(QString error);
    void push(std::unique_ptr<Block> block);
    QString endedEarly(int64_t position) const;

    std::function<void()> blocksReady_;
    const size_t blocksAhead_;
    SpscRing<Block *> ring_;
    std::atomic<bool> wanted_{false};

    std::mutex mutex_;  // guards request_, quit_; held only to hand a command over
    std::condition_variable wake_;
    Request request_;
    bool quit_ = false;

    // Reader thread only.
    std::unique_ptr<TAudioFile2> file_;
    int generation_ = 0;
    int blockFrames_ = 0;
    int64_t length_ = 0;
    int64_t position_ = 0;
    bool done_ = true;                // the current generation has had its end block
    std::unique_ptr<Block> pending_;  // an end block waiting for room

    std::thread thread_;  // last: starts once everything above exists
};
