#pragma once
// Raised when the session stops: ends early the threads' timed waits (a write delay, the
// pause after a failed transfer) and a wait that only the stop can end.

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace brenmoor::engine {

class StopSignal {
public:
    void raise();
    void clear();
    void wait();
    // True when raised before `deadline`.
    bool waitUntil(std::chrono::steady_clock::time_point deadline);

private:
    std::mutex mutex_;
    std::condition_variable raised_;
    bool isRaised_ = false;
};

}  // namespace brenmoor::engine
