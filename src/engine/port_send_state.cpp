#include "engine/port_send_state.h"

#include <algorithm>
#include <utility>

namespace brenmoor::engine {

void PortSendState::reset() {
    phase_.store(Phase::Stopped);
    notBefore_.store(Clock::time_point{}.time_since_epoch().count());
    forgetReports();
}

bool PortSendState::run() {
    Phase expected = Phase::Stopped;
    if (!phase_.compare_exchange_strong(expected, Phase::Starting)) return false;
    runningPorts_.fetch_add(1);
    // A new test of the port reports its failures afresh.
    forgetReports();
    return true;
}

Clock::time_point PortSendState::firstPacketBuilt(Clock::duration writeDelay) {
    // A port stopped meanwhile stays stopped.
    Phase expected = Phase::Starting;
    phase_.compare_exchange_strong(expected, Phase::Sending);
    return packetBuilt(writeDelay);
}

Clock::time_point PortSendState::packetBuilt(Clock::duration writeDelay) {
    const Clock::time_point delayEnds = Clock::now() + writeDelay;
    notBefore_.store(delayEnds.time_since_epoch().count());
    return delayEnds;
}

bool PortSendState::stop() {
    if (phase_.exchange(Phase::Stopped) == Phase::Stopped) return false;
    runningPorts_.fetch_sub(1);
    return true;
}

bool PortSendState::failed(const std::string& message, std::chrono::milliseconds pause) {
    notBefore(Clock::now() + pause);
    std::lock_guard lock(reportsMutex_);
    if (std::ranges::find(reportedFailures_, message) != reportedFailures_.end()) return false;
    reportedFailures_.push_back(message);
    return true;
}

bool PortSendState::lost() {
    std::lock_guard lock(reportsMutex_);
    return !std::exchange(lostReported_, true);
}

// Moves the deadline later, never earlier: a pause does not cut a write delay short.
void PortSendState::notBefore(Clock::time_point when) {
    const Clock::rep wanted = when.time_since_epoch().count();
    Clock::rep current = notBefore_.load();
    while (current < wanted && !notBefore_.compare_exchange_weak(current, wanted)) {
    }
}

void PortSendState::forgetReports() {
    std::lock_guard lock(reportsMutex_);
    reportedFailures_.clear();
    lostReported_ = false;
}

}  // namespace brenmoor::engine
