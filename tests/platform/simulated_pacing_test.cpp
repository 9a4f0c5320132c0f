// Writes on the simulated card against its kernel-like output buffer: why a writer that
// fills the buffer and then waits for room times out on a healthy line, why the paced
// write does not, and what a write that does time out leaves behind.

#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

#include "platform/line_timing.h"
#include "platform/simulated_card.h"
#include "simulated_port.h"
#include "platform/transfer_bound.h"
#include "serial/line_settings.h"

using namespace brenmoor::platform;
using namespace std::chrono_literals;

namespace {

using brenmoor::test::kPacketSize;
using brenmoor::test::numberedPacket;
using brenmoor::test::openToolPort;

LineState at(std::uint32_t baud) {
    LineState line;
    line.baudRate = baud;
    return line;
}

struct OldWriterCase {
    std::uint32_t baud;
    std::chrono::milliseconds delay;
    bool timesOut;

    friend void PrintTo(const OldWriterCase& c, std::ostream* os) { *os << c.baud << "_delay" << c.delay.count(); }
};

class OldWriter : public ::testing::TestWithParam<OldWriterCase> {
protected:
    // Writes packets with the given delay as a writer that pushes until the buffer is full
    // and then polls for room; returns the longest wait for room. `firstWait` is when the
    // buffer first turned a byte away.
    std::chrono::nanoseconds longestWait(std::uint32_t baud, std::chrono::milliseconds delay,
                                         std::chrono::nanoseconds& firstWait) {
        SerialHandle device = openToolPort(card, 1, at(baud));
        const auto character = characterTime(at(baud));
        std::chrono::nanoseconds longest{0};
        firstWait = std::chrono::nanoseconds::max();
        for (std::size_t n = 0; n < 20000 && longest == std::chrono::nanoseconds{0}; ++n) {
            const std::vector<std::uint8_t> bytes = numberedPacket(n);
            std::size_t written = card.writeWithoutWaiting(1, bytes);
            while (written < bytes.size()) {
                const auto from = card.now();
                firstWait = std::min(firstWait, from);
                while (!card.outputRoomReported(1)) card.advance(character);
                longest = std::max(longest, card.now() - from);
                written += card.writeWithoutWaiting(1, {bytes.begin() + static_cast<std::ptrdiff_t>(written), bytes.end()});
            }
            card.advance(delay);
        }
        return longest;
    }

    SimulatedCard card{SimulatedCard::Clock::Virtual};
};

TEST_F(OldWriter, AtTheDefaultSettingsItFillsTheBufferAndThenWaitsFourSeconds) {
    std::chrono::nanoseconds firstWait;
    const std::chrono::nanoseconds wait = longestWait(9600, 10ms, firstWait);
    // 39 bytes every 10 ms against 9.6 drained: 4095 queued after about 1.4 s; then room
    // comes only below 256, 3840 characters of 1.04 ms later.
    EXPECT_GT(firstWait, 1300ms);
    EXPECT_LT(firstWait, 1500ms);
    EXPECT_GT(wait, 3950ms);
    EXPECT_LT(wait, 4050ms);
}

// The old write's bound was its bytes in milliseconds plus 100 ms.
TEST_P(OldWriter, MissesItsBoundWhereverItOutpacesTheLine) {
    const OldWriterCase& c = GetParam();
    std::chrono::nanoseconds firstWait;
    const std::chrono::nanoseconds wait = longestWait(c.baud, c.delay, firstWait);
    EXPECT_EQ(wait > std::chrono::milliseconds(kPacketSize + 100), c.timesOut) << "longest wait " << wait.count() << " ns";
}

INSTANTIATE_TEST_SUITE_P(Rates, OldWriter,
                         ::testing::Values(OldWriterCase{9600, 10ms, true}, OldWriterCase{38400, 10ms, true},
                                           OldWriterCase{57600, 10ms, false}, OldWriterCase{230400, 0ms, true},
                                           OldWriterCase{460800, 0ms, false}),
                         [](const auto& info) {
                             return std::to_string(info.param.baud) + "_delay" + std::to_string(info.param.delay.count());
                         });

struct PacedCase {
    std::uint32_t baud;
    std::chrono::milliseconds delay;

    friend void PrintTo(const PacedCase& c, std::ostream* os) { *os << c.baud << "_delay" << c.delay.count(); }
};

std::vector<PacedCase> everyRateWithBothDelays() {
    std::vector<PacedCase> cases;
    for (std::uint32_t baud : brenmoor::serial::kBaudRates)
        for (auto delay : {0ms, 10ms}) cases.push_back({baud, delay});
    return cases;
}

class PacedWrite : public ::testing::TestWithParam<PacedCase> {
protected:
    SimulatedCard card{SimulatedCard::Clock::SkipAhead};
};

TEST_P(PacedWrite, NeverTimesOutOnAHealthyLineAndStaysWithinAPacketOfIt) {
    const PacedCase& c = GetParam();
    SerialHandle device = openToolPort(card, 1, at(c.baud));
    const auto character = characterTime(at(c.baud));
    const auto started = card.now();
    std::size_t packets = 0;
    // Past where the old writer first filled the buffer, and at least a few packets.
    while (packets < 20 || card.now() - started < 6s) {
        const std::vector<std::uint8_t> bytes = numberedPacket(packets);
        std::size_t done = 0;
        ASSERT_EQ(device->write(bytes.data(), bytes.size(), 10000ms, done), IoStatus::Completed)
            << "packet " << packets << " after " << (card.now() - started).count() << " ns";
        ASSERT_EQ(done, bytes.size());
        ASSERT_LE(card.outputQueued(1), pacedQueueAllowance(kPacketSize, character) + kPacketSize) << "packet " << packets;
        ++packets;
        card.advance(c.delay);
    }
    if (c.delay == 0ms) {
        // Each write came as soon as the line had room for it: the line never idled.
        const auto capacity = static_cast<std::uint64_t>((card.now() - started) / character);
        EXPECT_GE(card.lineOutputCount(1) + 1, capacity);
    }
}

INSTANTIATE_TEST_SUITE_P(EveryRate, PacedWrite, ::testing::ValuesIn(everyRateWithBothDelays()),
                         [](const auto& info) {
                             return std::to_string(info.param.baud) + "_delay" + std::to_string(info.param.delay.count());
                         });

struct StallCase {
    const char* name;
    std::uint32_t baud;
    std::chrono::milliseconds limit;
    // Twice the line time of what is queued and the 39 written, plus 100 ms; never less
    // than the time-outs' total (39 ms + 100 ms) nor more than the caller's limit.
    std::chrono::milliseconds expected;

    friend void PrintTo(const StallCase& c, std::ostream* os) { *os << c.name; }
};

class StalledLine : public ::testing::TestWithParam<StallCase> {
protected:
    SimulatedCard card{SimulatedCard::Clock::SkipAhead};
};

// Packets go into the buffer while it holds no more than a write lets stay queued; the
// next one waits for a line that never moves.
TEST_P(StalledLine, TimesOutWithinTheBoundFromRateAndQueueOnTheCardsClock) {
    const StallCase& c = GetParam();
    SerialHandle device = openToolPort(card, 1, at(c.baud));
    card.setWriteStalled(1, true);
    const std::size_t allowance = pacedQueueAllowance(kPacketSize, characterTime(at(c.baud)));
    std::size_t done = 0;
    std::size_t n = 0;
    for (; card.outputQueued(1) <= allowance; ++n)
        ASSERT_EQ(device->write(numberedPacket(n).data(), kPacketSize, c.limit, done), IoStatus::Completed);

    const auto from = card.now();
    EXPECT_EQ(device->write(numberedPacket(n).data(), kPacketSize, c.limit, done), IoStatus::TimedOut);
    const auto took = card.now() - from;
    EXPECT_GE(took, c.expected - 1ms);
    EXPECT_LE(took, c.expected);
    EXPECT_EQ(done, 0u);
    EXPECT_EQ(card.lineOutputCount(1), 0u);
}

INSTANTIATE_TEST_SUITE_P(Bounds, StalledLine,
                         ::testing::Values(StallCase{"FastAtTheTimeoutsTotal", 921600, 10000ms, 139ms},
                                           StallCase{"Default", 9600, 10000ms, 344ms},
                                           StallCase{"SlowestCappedByTheLimit", 110, 10000ms, 10000ms},
                                           StallCase{"ShortCallerLimit", 9600, 50ms, 50ms}),
                         [](const auto& info) { return std::string(info.param.name); });

struct DiscardCase {
    const char* name;
    bool stalled;
    std::chrono::milliseconds limit;
    std::size_t secondSize;
    bool someOfTheSecondGoesOut;

    friend void PrintTo(const DiscardCase& c, std::ostream* os) { *os << c.name; }
};

class TimedOutWrite : public ::testing::TestWithParam<DiscardCase> {
protected:
    SimulatedCard card{SimulatedCard::Clock::SkipAhead};
};

// One packet is written and counted; the next one times out. Whatever the line carries
// afterwards is the first packet and then exactly what the second write reported done.
TEST_P(TimedOutWrite, DiscardsAtMostItsOwnPacket) {
    const DiscardCase& c = GetParam();
    SerialHandle device = openToolPort(card, 1, at(9600));
    card.setWriteStalled(1, c.stalled);
    const std::vector<std::uint8_t> first = numberedPacket(0), second = numberedPacket(1, c.secondSize);
    std::size_t done = 0;
    ASSERT_EQ(device->write(first.data(), first.size(), c.limit, done), IoStatus::Completed);
    if (c.stalled) {
        ASSERT_EQ(device->write(first.data(), first.size(), c.limit, done), IoStatus::Completed);
    }

    EXPECT_EQ(device->write(second.data(), second.size(), c.limit, done), IoStatus::TimedOut);
    EXPECT_EQ(done > 0, c.someOfTheSecondGoesOut) << done;

    card.setWriteStalled(1, false);
    card.advance(30s);
    std::vector<std::uint8_t> expected = first;
    if (c.stalled) expected.insert(expected.end(), first.begin(), first.end());
    expected.insert(expected.end(), second.begin(), second.begin() + static_cast<std::ptrdiff_t>(done));
    EXPECT_EQ(card.takeLineOutput(1), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TimedOutWrite,
    ::testing::Values(DiscardCase{"WaitingForTheLine", true, 10000ms, kPacketSize, false},
                      DiscardCase{"LongerThanTheBufferOnAStalledLine", true, 10000ms, 5000, false},
                      DiscardCase{"LongerThanTheBufferWithAShortLimit", false, 1000ms, 5000, true}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
