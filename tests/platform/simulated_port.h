#pragma once
// Opens a port of a simulated card at a line state, failing the test (and returning null)
// when the card refuses either.

#include <gtest/gtest.h>

#include <string>

#include "platform/simulated_card.h"

namespace brenmoor::test {

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

}  // namespace brenmoor::test
