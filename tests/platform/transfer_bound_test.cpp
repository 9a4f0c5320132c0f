// Write bounds: the time-outs' total where the line is fast, the line time of what is
// queued where it is slow, and never beyond the caller's limit.

#include <gtest/gtest.h>

#include <ostream>

#include "platform/transfer_bound.h"
#include "serial/serial_port.h"

using namespace brenmoor::platform;
using namespace std::chrono_literals;

namespace {

using brenmoor::serial::kPortTimeouts;

struct PacedCase {
    const char* name;
    std::chrono::nanoseconds characterTime;
    std::size_t queued;
    std::size_t count;
    std::chrono::milliseconds expected;

    friend void PrintTo(const PacedCase& c, std::ostream* os) { *os << c.name; }
};

class PacedWriteBound : public ::testing::TestWithParam<PacedCase> {};

TEST_P(PacedWriteBound, FollowsTheLine) {
    const PacedCase& c = GetParam();
    EXPECT_EQ(pacedWriteBound(10s, kPortTimeouts, c.characterTime, c.queued, c.count), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PacedWriteBound,
    ::testing::Values(
        // 921600 bit/s: the line is faster than 1 ms a byte, so the time-outs' total holds.
        PacedCase{"FastLineKeepsTimeoutTotal", 10851ns, 39, 39, 139ms},
        // 9600 bit/s, one packet queued ahead: 78 characters of 1.04 ms, twice, plus 100 ms.
        PacedCase{"SlowLineAllowsQueuedCharacters", 1041667ns, 39, 39, 263ms},
        // 110 bit/s and a 100-byte chunk behind another: more than 10 s, so the limit.
        PacedCase{"NeverBeyondTheLimit", 90909091ns, 100, 100, 10000ms}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TransferBound, LimitWinsOverALongerTotalAndZeroTimeoutsMeanNoTotal) {
    EXPECT_EQ(transferBound(50ms, 1, 100, 39), 50ms);
    EXPECT_EQ(transferBound(10s, 1, 100, 39), 139ms);
    EXPECT_EQ(transferBound(10s, 0, 0, 39), 10s);
}

TEST(PacedQueueAllowance, OnePacketOnSlowLinesAndTwoMillisecondsOnFastOnes) {
    EXPECT_EQ(pacedQueueAllowance(39, 1041667ns), 39u);   // 9600 bit/s: 2 ms is 2 characters
    EXPECT_EQ(pacedQueueAllowance(39, 10851ns), 185u);    // 921600 bit/s: 2 ms is 185 characters
    EXPECT_EQ(pacedQueueAllowance(100, 90909091ns), 100u);
    EXPECT_EQ(pacedQueueAllowance(39, 0ns), 39u);
}

}  // namespace
