// Keeps transport commands out of a transport routine that is still under way. A routine
// that lets the event loop run (a message box, the message pump of OpenFile) would otherwise
// let a queued Stop or Record run half-way through it; such commands are deferred and run, in
// their order, once the outermost routine has finished.
#pragma once

#include <QObject>
#include <QTimer>

#include <deque>
#include <functional>

class TransportGate {
public:
    explicit TransportGate(QObject *context) : context_(context) {}

    // Held by a routine for as long as it runs.
    class Hold {
    public:
        explicit Hold(TransportGate &gate) : gate_(gate) { ++gate_.depth_; }
        ~Hold() { gate_.release(); }
        Hold(const Hold &) = delete;
        Hold &operator=(const Hold &) = delete;

    private:
        TransportGate &gate_;
    };

    bool busy() const { return depth_ > 0; }

    // Runs `command` now, or after the routine under way when there is one.
    void run(std::function<void()> command) {
        if (busy()) {
            deferred_.push_back(std::move(command));
            return;
        }
        command();
    }

private:
    void release() {
        if (--depth_ == 0 && !deferred_.empty())
            QTimer::singleShot(0, context_, [this] { runDeferred(); });
    }

    void runDeferred() {
        while (!busy() && !deferred_.empty()) {
            std::function<void()> command = std::move(deferred_.front());
            deferred_.pop_front();
            command();
        }
    }

    QObject *context_;
    int depth_ = 0;
    std::deque<std::function<void()>> deferred_;
};
