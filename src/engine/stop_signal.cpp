#include "engine/stop_signal.h"

namespace brenmoor::engine {

void StopSignal::raise() {
    {
        std::lock_guard lock(mutex_);
        isRaised_ = true;
    }
    raised_.notify_all();
}

void StopSignal::clear() {
    std::lock_guard lock(mutex_);
    isRaised_ = false;
}

void StopSignal::wait() {
    std::unique_lock lock(mutex_);
    raised_.wait(lock, [this] { return isRaised_; });
}

bool StopSignal::waitUntil(std::chrono::steady_clock::time_point deadline) {
    std::unique_lock lock(mutex_);
    // A deadline already passed (no write delay) costs no wait at all.
    if (isRaised_ || std::chrono::steady_clock::now() >= deadline) return isRaised_;
    return raised_.wait_until(lock, deadline, [this] { return isRaised_; });
}

}  // namespace brenmoor::engine
