// A port's send state on its own: the running-port count it keeps, what it reports as
// news, and the deadline a failure sets.

#include <gtest/gtest.h>

#include "engine/port_send_state.h"

namespace brenmoor::engine {
namespace {

using namespace std::chrono_literals;

class PortSendStateTest : public ::testing::Test {
protected:
    std::atomic<std::int32_t> runningPorts{0};
    PortSendState port{runningPorts};
};

TEST_F(PortSendStateTest, TheRunningCountChangesOnlyWhenThePortStartsOrStops) {
    EXPECT_TRUE(port.run());
    EXPECT_FALSE(port.run());
    EXPECT_EQ(runningPorts.load(), 1);
    EXPECT_TRUE(port.running());
    EXPECT_FALSE(port.sending());

    EXPECT_TRUE(port.stop());
    EXPECT_FALSE(port.stop());
    EXPECT_EQ(runningPorts.load(), 0);

    // A stop that comes while the first packet is being built wins over it.
    ASSERT_TRUE(port.run());
    ASSERT_TRUE(port.stop());
    port.firstPacketBuilt(0ms);
    EXPECT_FALSE(port.running());
    EXPECT_FALSE(port.sending());

    ASSERT_TRUE(port.run());
    port.firstPacketBuilt(0ms);
    EXPECT_TRUE(port.sending());
    EXPECT_EQ(runningPorts.load(), 1);
}

TEST_F(PortSendStateTest, EachFailureIsNewsOnceUntilThePortRunsAgainOrTheSessionRestarts) {
    EXPECT_TRUE(port.failed("Write Timeout"));
    EXPECT_FALSE(port.failed("Write Timeout"));
    EXPECT_TRUE(port.failed("Unable to Write to the comm port"));
    EXPECT_TRUE(port.lost());
    EXPECT_FALSE(port.lost());

    ASSERT_TRUE(port.run());
    EXPECT_TRUE(port.failed("Write Timeout"));
    EXPECT_TRUE(port.lost());

    port.reset();
    EXPECT_FALSE(port.running());
    EXPECT_TRUE(port.failed("Write Timeout"));
    EXPECT_TRUE(port.lost());
}

TEST_F(PortSendStateTest, AFailureDelaysTheNextPacketButNeverShortensAWriteDelay) {
    const Clock::time_point before = Clock::now();
    port.packetBuilt(0ms);
    port.failed("Write Timeout");
    EXPECT_GE(port.earliestNext(), before + kRetryPause);

    const Clock::time_point delayEnds = port.packetBuilt(1h);
    port.failed("Write Timeout");
    EXPECT_EQ(port.earliestNext(), delayEnds);
}

}  // namespace
}  // namespace brenmoor::engine
