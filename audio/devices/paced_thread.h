// A thread that runs a step every `period`, paced against the steady clock so that the
// average rate is exact however long each step takes. Stopping joins the thread.
#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

class PacedThread {
public:
    PacedThread(std::chrono::microseconds period, std::function<void()> step)
        : period_(period), step_(std::move(step)), thread_([this] { run(); }) {}
    ~PacedThread() {
        stop_ = true;
        thread_.join();
    }
    PacedThread(const PacedThread &) = delete;
    PacedThread &operator=(const PacedThread &) = delete;

private:
    void run() {
        auto next = std::chrono::steady_clock::now();
        while (!stop_) {
            next += period_;
            std::this_thread::sleep_until(next);
            if (stop_)
                break;
            step_();
        }
    }

    std::chrono::microseconds period_;
    std::function<void()> step_;
    std::atomic<bool> stop_{false};
    std::thread thread_;  // last: starts after everything it uses exists
};
