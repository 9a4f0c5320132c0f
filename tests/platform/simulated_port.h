#pragma once
// Opens a port of a simulated card at a line state, failing the test (and returning null)
// when the card refuses either; and the packets the tests stream through it.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/simulated_card.h"
#include "serial/serial_port.h"

namespace brenmoor::test {

// The length of the default pattern's packet.
inline constexpr std::size_t kPacketSize = 39;

inline platform::SerialHandle openSimulatedPort(platform::SimulatedCard& card, int com,
                                                const platform::LineState& line) {
    platform::OpenError error;
    platform::SerialHandle device = card.open("COM" + std::to_string(com), error);
    EXPECT_NE(device, nullptr) << error.detail;
    if (device) {
        EXPECT_TRUE(device->setLineState(line));
    }
    return device;
}

// The same, with the time-outs the tool's ports get.
inline platform::SerialHandle openToolPort(platform::SimulatedCard& card, int com, const platform::LineState& line) {
    platform::SerialHandle device = openSimulatedPort(card, com, line);
    if (device) {
        EXPECT_TRUE(device->setTimeouts(serial::kPortTimeouts));
    }
    return device;
}

// The n-th packet of a stream, different from its neighbours so that a lost or repeated
// packet shows.
inline std::vector<std::uint8_t> numberedPacket(std::size_t n, std::size_t size = kPacketSize) {
    std::vector<std::uint8_t> bytes(size);
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>('A' + (n + i) % 26);
    return bytes;
}

}  // namespace brenmoor::test
