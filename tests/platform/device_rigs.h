#pragma once
// One device under test with its far end, for the behaviour every back end shares: the
// simulated card (on its virtual clock) and a pseudo-terminal through the POSIX back end.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <thread>
#include <vector>

#include "platform/posix_serial_backend.h"
#include "platform/serial_device.h"
#include "platform/simulated_card.h"
#include "support/pty_pair.h"

namespace brenmoor::test {

class SimulatedRig {
public:
    static constexpr int kCom = 5;

    platform::SerialHandle open(platform::OpenError& error) { return card.open("COM5", error); }
    void send(const std::vector<std::uint8_t>& bytes) { ASSERT_EQ(card.inject(kCom, bytes), bytes.size()); }
    std::vector<std::uint8_t> receive(std::size_t) {
        card.advance(std::chrono::seconds(1));
        return card.takeLineOutput(kCom);
    }
    void unplug() { card.hangUp(kCom); }

    platform::SimulatedCard card{platform::SimulatedCard::Clock::Virtual};
};

class PtyRig {
public:
    platform::SerialHandle open(platform::OpenError& error) { return backend.open(pty.slavePath(), error); }
    void send(const std::vector<std::uint8_t>& bytes) { pty.send(bytes); }
    std::vector<std::uint8_t> receive(std::size_t count) { return pty.receive(count, std::chrono::seconds(5)); }
    void unplug() { pty.closeMaster(); }

    PtyPair pty;
    platform::PosixSerialBackend backend;
};

// Waits (bounded) until the device reports at least `count` bytes waiting; characters
// from a pty master reach the slave a moment after the write.
inline std::uint32_t waitForBytesWaiting(platform::SerialDevice& device, std::uint32_t count) {
    std::uint32_t waiting = 0;
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (device.clearErrors(waiting) && waiting < count && std::chrono::steady_clock::now() < giveUp)
        std::this_thread::yield();
    return waiting;
}

}  // namespace brenmoor::test
