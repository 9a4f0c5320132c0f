#pragma once
// Raised when the session stops: ends the transmit thread's write-delay waits early and
// releases a receive thread that has stopped using its port.

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
