// A lock-free single-producer/single-consumer ring of samples, allocated up front (and not
// filled: only what was written is ever read). One thread writes, one thread reads; neither
// ever blocks or allocates.
#pragma once

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstring>
#include <memory>
#include <vector>

#include "audio/unfilled_samples.h"

template <typename T>
class SpscRing {
public:
    explicit SpscRing(size_t capacity) { buffer_.resize(capacity + 1); }

    size_t capacity() const { return buffer_.size() - 1; }

    // Producer side: copies as much as fits, returns the count written.
    size_t write(const T *data, size_t count) {
        const size_t head = head_.load(std::memory_order_relaxed);
        const size_t tail = tail_.load(std::memory_order_acquire);
        const size_t free = (tail + buffer_.size() - head - 1) % buffer_.size();
        count = std::min(count, free);
        const size_t first = std::min(count, buffer_.size() - head);
        std::memcpy(&buffer_[head], data, first * sizeof(T));
        std::memcpy(&buffer_[0], data + first, (count - first) * sizeof(T));
        head_.store((head + count) % buffer_.size(), std::memory_order_release);
        return count;
    }

    // Consumer side: copies up to `count` items out, returns the count read.
    size_t read(T *data, size_t count) {
        const size_t tail = tail_.load(std::memory_order_relaxed);
        const size_t head = head_.load(std::memory_order_acquire);
        const size_t used = (head + buffer_.size() - tail) % buffer_.size();
        count = std::min(count, used);
        const size_t first = std::min(count, buffer_.size() - tail);
        std::memcpy(data, &buffer_[tail], first * sizeof(T));
        std::memcpy(data + first, &buffer_[0], (count - first) * sizeof(T));
        tail_.store((tail + count) % buffer_.size(), std::memory_order_release);
        return count;
    }

    // Either side: a snapshot of how much is waiting to be read.
    size_t available() const {
        const size_t head = head_.load(std::memory_order_acquire);
        const size_t tail = tail_.load(std::memory_order_acquire);
        return (head + buffer_.size() - tail) % buffer_.size();
    }

    // Only while neither side is running.
    void reset() {
        head_.store(0);
        tail_.store(0);
    }

private:
    std::vector<T, UnfilledAllocator<T>> buffer_;
    std::atomic<size_t> head_{0};
    std::atomic<size_t> tail_{0};
};

// Makes `ring` an empty ring of `capacity` items, reusing the one there if it is that size.
// Only while no thread uses it.
template <typename T>
void resetRing(std::unique_ptr<SpscRing<T>> &ring, size_t capacity) {
    if (!ring || ring->capacity() != capacity)
        ring = std::make_unique<SpscRing<T>>(capacity);
    ring->reset();
}
