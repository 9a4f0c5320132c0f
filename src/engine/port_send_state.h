#pragma once
// What keeps one port's packets in order when the window thread sends a port's first
// packet and the transmit thread sends the rest.
//
// `building` is held while a packet is built, counted and shown, and by StopPort, so a
// stop never meets a half-counted packet and no packet is built for a stopped port once
// StopPort has returned. `writing` is taken before `building` is released and held for the
// write, so packets reach the line in the order they were counted, while building the next
// packet (and StopPort) never waits for a slow line.

#include <atomic>
#include <chrono>
#include <mutex>

namespace brenmoor::engine {

using Clock = std::chrono::steady_clock;

struct PortSendState {
    std::mutex building;
    std::mutex writing;
    // Set from a Run click until the window thread has built the port's first packet: the
    // transmit thread leaves the port alone meanwhile, so that packet is the first counted.
    std::atomic<bool> firstPacketPending{false};
    // No packet of the port is built before this time: the write delay after a first
    // packet, which the window thread does not wait out itself.
    std::atomic<Clock::rep> notBefore{0};

    Clock::time_point earliestNext() const { return Clock::time_point(Clock::duration(notBefore.load())); }
    void setEarliestNext(Clock::time_point when) { notBefore.store(when.time_since_epoch().count()); }
};

}  // namespace brenmoor::engine
