// Sample buffers that are allocated without being written. The player and the recorder keep
// seconds of sound in rings that are only ever read where they were written first, so filling
// them with zeros at every start only costs time (megabytes of page faults and stores).
#pragma once

#include <cstdint>
#include <memory>
#include <new>
#include <utility>
#include <vector>

// Like std::allocator, except that an element made without a value is left as the memory was.
template <typename T>
struct UnfilledAllocator : std::allocator<T> {
    template <typename U>
    struct rebind {
        using other = UnfilledAllocator<U>;
    };

    UnfilledAllocator() = default;
    template <typename U>
    UnfilledAllocator(const UnfilledAllocator<U> &) noexcept {}

    template <typename U>
    void construct(U *p) noexcept {
        ::new (static_cast<void *>(p)) U;
    }
    template <typename U, typename... Args>
    void construct(U *p, Args &&...args) {
        ::new (static_cast<void *>(p)) U(std::forward<Args>(args)...);
    }
};

using UnfilledSamples = std::vector<int16_t, UnfilledAllocator<int16_t>>;
