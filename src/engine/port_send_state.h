#pragma once
// One port's place in a test session: whether its test runs, when its next packet may be
// built, which of its failures the operator has been told about, and the locks that keep
// its packets in order. Every change of these goes through here:
//
//   reset()              session start: Stopped, nothing reported, no delay pending
//   run()                Run click: Stopped -> Starting; the running-port count rises
//   firstPacketBuilt()   the window thread has built the first packet: Starting -> Sending,
//                        and the write delay runs from now
//   packetBuilt()        a later packet: the write delay runs from now
//   stop()               Stop click, session stop or a lost device: Starting or Sending ->
//                        Stopped; the running-port count falls
//   failed()             a transfer failed: the next packet waits a pause as well;
//                        true for the first failure with this message since reset() or run()
//   lost()               the device has gone: true the first time since reset() or run()
//
// Starting keeps the transmit thread off the port until the window thread has sent its
// first packet, so that packet is the first counted. The running-port count changes only
// with the state, so it always equals the ports that are not Stopped, however Stop clicks,
// session stop and lost devices meet.
//
// `building` is held while a packet is built, counted and shown, and by StopPort, so a
// stop never meets a half-counted packet and no packet is built for a stopped port once
// StopPort has returned. `writing` is taken before `building` is released and held for the
// write, so packets reach the line in the order they were counted, while building the next
// packet (and StopPort) never waits for a slow line.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

namespace brenmoor::engine {

using Clock = std::chrono::steady_clock;

// How long a port waits after a failed transfer before it tries again, so a port that
// keeps failing at once costs no busy loop.
inline constexpr std::chrono::milliseconds kRetryPause{100};

class PortSendState {
public:
    enum class Phase : std::uint8_t { Stopped, Starting, Sending };

    explicit PortSendState(std::atomic<std::int32_t>& runningPortCount) : runningPorts_(runningPortCount) {}
    PortSendState(const PortSendState&) = delete;
    PortSendState& operator=(const PortSendState&) = delete;

    void reset();
    // False (and nothing changes) when the port already runs.
    bool run();
    // Both return when the write delay ends.
    Clock::time_point firstPacketBuilt(Clock::duration writeDelay);
    Clock::time_point packetBuilt(Clock::duration writeDelay);
    // True when the port was running.
    bool stop();
    bool failed(const std::string& message, std::chrono::milliseconds pause = kRetryPause);
    bool lost();

    // The port's `running` flag: from Run until it is stopped.
    bool running() const { return phase_.load() != Phase::Stopped; }
    // The transmit thread serves the port.
    bool sending() const { return phase_.load() == Phase::Sending; }
    // No packet of the port is built before this time.
    Clock::time_point earliestNext() const { return Clock::time_point(Clock::duration(notBefore_.load())); }

    std::mutex building;
    std::mutex writing;

private:
    void notBefore(Clock::time_point when);
    void forgetReports();

    std::atomic<std::int32_t>& runningPorts_;
    std::atomic<Phase> phase_{Phase::Stopped};
    std::atomic<Clock::rep> notBefore_{0};
    std::mutex reportsMutex_;
    std::vector<std::string> reportedFailures_;
    bool lostReported_ = false;
};

}  // namespace brenmoor::engine
