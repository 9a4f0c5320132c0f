#include "cli/traffic_tap.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <vector>

namespace brenmoor::cli {
namespace {

class NoDevices : public platform::SerialBackend {
public:
    platform::SerialHandle open(const std::string&, platform::OpenError&) override { return nullptr; }
};

constexpr int kCom = 1;  // a port on a plug: its own source
constexpr std::size_t kAlignAfter = 4096;
constexpr std::size_t kKeepAtMost = 3000;
constexpr std::size_t kPerTick = 1000;

// A pattern whose bytes differ from those a few hundred positions on, so a
// return compared at the wrong offset shows as mismatches.
std::uint8_t patternAt(std::uint64_t position) { return static_cast<std::uint8_t>(position % 251); }

class TrafficTapTest : public ::testing::Test {
protected:
    void send(std::size_t count) {
        std::vector<std::uint8_t> bytes(count);
        for (std::size_t i = 0; i < count; ++i) bytes[i] = patternAt(sent_ + i);
        tap_.noteWriteBegins(kCom);
        tap_.noteWrite(kCom, bytes.data(), count);
        sent_ += count;
    }
    // The return catches up to `upTo` bytes of the sent stream; `corruptAt` comes
    // back changed.
    void returnUpTo(std::uint64_t upTo, std::optional<std::uint64_t> corruptAt = std::nullopt) {
        std::vector<std::uint8_t> bytes;
        for (; returned_ < upTo; ++returned_)
            bytes.push_back(returned_ == corruptAt ? static_cast<std::uint8_t>(~patternAt(returned_))
                                                   : patternAt(returned_));
        tap_.noteRead(kCom, bytes.data(), bytes.size());
    }
    ReturnComparison tally(bool final) { return tap_.tally(kCom, kCom, tally_, kAlignAfter, kKeepAtMost, final); }

    // Sends a tick's worth, lets the return catch up to what `returnedBy` says,
    // and tallies, checking what the tap holds each time.
    void run(int ticks, const std::function<std::uint64_t(std::uint64_t sent)>& returnedBy) {
        for (int tick = 0; tick < ticks; ++tick) {
            send(kPerTick);
            returnUpTo(returnedBy(sent_));
            tally(false);
            // Sent bytes still waiting, and before the comparison is aligned, the
            // received bytes it will be aligned on.
            EXPECT_LE(tap_.keptBytes(kCom), kKeepAtMost + kAlignAfter) << "tick " << tick;
        }
    }

    NoDevices devices_;
    TrafficTap tap_{devices_};
    ReturnTally tally_;
    std::uint64_t sent_ = 0;
    std::uint64_t returned_ = 0;
};

TEST_F(TrafficTapTest, APortThatNeverReceivesKeepsABoundedWindowAndCountsAllMissing) {
    run(50, [](std::uint64_t) { return 0; });
    const ReturnComparison result = tally(true);
    EXPECT_EQ(result.expected, 50 * kPerTick);
    EXPECT_EQ(result.received, 0u);
    EXPECT_EQ(result.missing, 50 * kPerTick);
    EXPECT_EQ(result.extra, 0u);
    EXPECT_EQ(result.mismatches, 0u);
    EXPECT_FALSE(result.firstMismatch);
}

TEST_F(TrafficTapTest, AReturnThatStopsAfterAlignmentCountsEverythingSentSinceAsMissing) {
    run(10, [](std::uint64_t sent) { return sent; });
    ASSERT_TRUE(tally_.aligned());
    run(40, [](std::uint64_t) { return 10 * kPerTick; });
    const ReturnComparison result = tally(true);
    EXPECT_EQ(result.expected, 50 * kPerTick);
    EXPECT_EQ(result.received, 10 * kPerTick);
    EXPECT_EQ(result.missing, 40 * kPerTick);
    EXPECT_EQ(result.extra, 0u);
    EXPECT_EQ(result.mismatches, 0u);
    EXPECT_FALSE(result.firstMismatch);
}

TEST_F(TrafficTapTest, AReturnLaggingWithinTheWindowStillPasses) {
    // Lags the writes by most of the window the whole run, as a slow line behind
    // a full queue does, then drains.
    run(50, [](std::uint64_t sent) { return sent > kKeepAtMost - 200 ? sent - (kKeepAtMost - 200) : 0; });
    returnUpTo(sent_);
    const ReturnComparison result = tally(true);
    EXPECT_TRUE(result.intact());
    EXPECT_EQ(result.expected, 50 * kPerTick);
    EXPECT_EQ(result.received, 50 * kPerTick);
}

TEST_F(TrafficTapTest, BytesBackAfterBeingGivenUpCountAsExtraAndTheRestKeepTheirOffsets) {
    send(10 * kPerTick);
    tally(false);  // nothing back: all but the window is given up
    const std::uint64_t givenUp = 10 * kPerTick - kKeepAtMost;
    returnUpTo(sent_, 8000);
    const ReturnComparison result = tally(true);
    EXPECT_EQ(result.expected, 10 * kPerTick);
    EXPECT_EQ(result.received, 10 * kPerTick);
    EXPECT_EQ(result.missing, givenUp);
    EXPECT_EQ(result.extra, givenUp);
    EXPECT_EQ(result.mismatches, 1u);
    EXPECT_EQ(result.firstMismatch, 8000u);
}

}  // namespace
}  // namespace brenmoor::cli
