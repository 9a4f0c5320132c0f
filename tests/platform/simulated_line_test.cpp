// The simulated card's lines: character timing, where characters go, and what a receiver
// framing differently gets.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <future>
#include <numeric>
#include <ostream>

#include "platform/driver_requests.h"
#include "platform/simulated_card.h"
#include "simulated_port.h"

using namespace brenmoor::platform;
using namespace std::chrono_literals;

namespace {

LineState with(std::uint32_t baud, std::uint8_t bits, Parity parity, StopBits stop) {
    LineState line;
    line.baudRate = baud;
    line.byteSize = bits;
    line.parity = parity;
    line.stopBits = stop;
    return line;
}

class SimulatedLine : public ::testing::Test {
protected:
    SerialHandle open(int com, const LineState& line = fastLine()) {
        return brenmoor::test::openSimulatedPort(card, com, line);
    }

    static LineState fastLine() {
        LineState line;
        line.baudRate = 921600;
        return line;
    }

    static void send(SerialDevice& device, const std::vector<std::uint8_t>& bytes) {
        std::size_t done = 0;
        ASSERT_EQ(device.write(bytes.data(), bytes.size(), 1000ms, done), IoStatus::Completed);
    }

    static std::vector<std::uint8_t> received(SerialDevice& device) {
        std::uint32_t waiting = 0;
        EXPECT_TRUE(device.clearErrors(waiting));
        std::vector<std::uint8_t> bytes(waiting);
        std::size_t done = 0;
        if (waiting > 0) {
            EXPECT_EQ(device.read(bytes.data(), waiting, 0ms, done), IoStatus::Completed);
        }
        return bytes;
    }

    static std::uint32_t waiting(SerialDevice& device) {
        std::uint32_t count = 0;
        EXPECT_TRUE(device.clearErrors(count));
        return count;
    }

    static std::vector<std::uint8_t> pattern(std::size_t count) {
        std::vector<std::uint8_t> bytes(count);
        std::iota(bytes.begin(), bytes.end(), std::uint8_t{0x20});
        return bytes;
    }

    SimulatedCard card{SimulatedCard::Clock::Virtual};
};

struct TimingCase {
    const char* name;
    std::uint32_t baud;
    std::uint8_t dataBits;
    Parity parity;
    StopBits stopBits;
    double bitsPerCharacter;

    friend void PrintTo(const TimingCase& c, std::ostream* os) { *os << c.name; }
};

class SimulatedLineTiming : public SimulatedLine, public ::testing::WithParamInterface<TimingCase> {};

TEST_P(SimulatedLineTiming, CharactersTakeTheirFramedTimeOnTheLine) {
    const TimingCase& c = GetParam();
    LineState line;
    line.baudRate = c.baud;
    line.byteSize = c.dataBits;
    line.parity = c.parity;
    line.stopBits = c.stopBits;
    card.plugLoopback(1);
    SerialHandle device = open(1, line);
    ASSERT_NE(device, nullptr);

    constexpr std::size_t kCount = 300;
    const std::vector<std::uint8_t> sent = pattern(kCount);
    send(*device, sent);
    const auto total = std::chrono::nanoseconds(std::llround(kCount * c.bitsPerCharacter * 1e9 / c.baud));
    const auto tolerance = 1us;

    card.advance(total / 2);
    EXPECT_NEAR(waiting(*device), kCount / 2, 1);
    card.advance(total - total / 2 - tolerance);
    EXPECT_EQ(waiting(*device), kCount - 1);
    card.advance(2 * tolerance);
    EXPECT_EQ(waiting(*device), kCount);

    const std::uint8_t mask = static_cast<std::uint8_t>((1u << c.dataBits) - 1);
    const std::vector<std::uint8_t> got = received(*device);
    ASSERT_EQ(got.size(), kCount);
    for (std::size_t i = 0; i < kCount; ++i) EXPECT_EQ(got[i], sent[i] & mask) << "character " << i;
}

INSTANTIATE_TEST_SUITE_P(
    Framings, SimulatedLineTiming,
    ::testing::Values(TimingCase{"921600_8N1", 921600, 8, Parity::None, StopBits::One, 10},
                      TimingCase{"115200_7E1", 115200, 7, Parity::Even, StopBits::One, 10},
                      TimingCase{"460800_8S2", 460800, 8, Parity::Space, StopBits::Two, 12},
                      TimingCase{"57600_5N1_5", 57600, 5, Parity::None, StopBits::OnePointFive, 7.5},
                      // A 16550 sends two stop bits for "1.5" with more than five data bits.
                      TimingCase{"230400_6M1_5", 230400, 6, Parity::Mark, StopBits::OnePointFive, 10}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SimulatedLine, ALineStateChangeAppliesToTheCharactersStillQueued) {
    card.plugLoopback(1);
    LineState slow;
    slow.baudRate = 9600;
    SerialHandle device = open(1, slow);
    send(*device, pattern(100));
    card.advance(10 * 1041667ns);  // ten characters at 9600 bit/s
    EXPECT_EQ(waiting(*device), 10u);
    ASSERT_TRUE(device->setLineState(fastLine()));
    card.advance(90 * 10851ns + 1us);  // the other ninety at 921600 bit/s
    EXPECT_EQ(waiting(*device), 100u);
}

TEST_F(SimulatedLine, NullModemPairCarriesBothWaysAndNoWiringLosesTheCharacters) {
    card.connectNullModem(3, 4);
    SerialHandle a = open(3), b = open(4), loose = open(6);
    send(*a, {'p', 'i', 'n', 'g'});
    send(*b, {'p', 'o', 'n', 'g'});
    send(*loose, {'l', 'o', 's', 't'});
    card.advance(1ms);
    EXPECT_EQ(received(*b), (std::vector<std::uint8_t>{'p', 'i', 'n', 'g'}));
    EXPECT_EQ(received(*a), (std::vector<std::uint8_t>{'p', 'o', 'n', 'g'}));
    EXPECT_TRUE(received(*loose).empty());
    EXPECT_EQ(card.takeLineOutput(6), (std::vector<std::uint8_t>{'l', 'o', 's', 't'}));

    // Plugging one end into something else undoes the pair on both sides.
    card.plugLoopback(3);
    send(*b, {'x'});
    send(*a, {'y'});
    card.advance(1ms);
    EXPECT_EQ(received(*a), std::vector<std::uint8_t>{'y'});
    EXPECT_TRUE(received(*b).empty());
}

TEST_F(SimulatedLine, InternalLoopbackReturnsExactlyWhatWasWrittenAndKeepsItOffTheLine) {
    card.connectNullModem(3, 4);
    SerialHandle a = open(3), b = open(4);
    std::uint8_t block[kUartOptionBlockSize] = {};
    block[kOptLoopback] = kLoopbackOn;
    ASSERT_TRUE(a->deviceControl(IOCTL_SET_LOOPBACK, block, sizeof block));
    EXPECT_TRUE(card.internalLoopback(3));

    std::vector<std::uint8_t> sent(256);
    std::iota(sent.begin(), sent.end(), std::uint8_t{0});
    send(*a, sent);
    send(*b, {'i', 'g', 'n', 'o', 'r', 'e', 'd'});  // a UART in loopback does not listen to its pin
    card.advance(10ms);
    EXPECT_EQ(received(*a), sent);
    EXPECT_TRUE(received(*b).empty());
    EXPECT_TRUE(card.takeLineOutput(3).empty());

    block[kOptLoopback] = 0x00;
    ASSERT_TRUE(a->deviceControl(IOCTL_SET_LOOPBACK, block, sizeof block));
    send(*a, {'o', 'u', 't'});
    card.advance(1ms);
    EXPECT_TRUE(received(*a).empty());
    EXPECT_EQ(received(*b), (std::vector<std::uint8_t>{'o', 'u', 't'}));
}

TEST_F(SimulatedLine, AnImpossibleLineStateIsRefusedAndTheOldOneKept) {
    SerialHandle device = open(1);
    for (const LineState bad : {with(0, 8, Parity::None, StopBits::One), with(1843200, 8, Parity::None, StopBits::One),
                                with(9600, 4, Parity::None, StopBits::One), with(9600, 9, Parity::None, StopBits::One)}) {
        EXPECT_FALSE(device->setLineState(bad));
        LineState kept;
        ASSERT_TRUE(device->getLineState(kept));
        EXPECT_EQ(kept, fastLine());
    }
}

TEST_F(SimulatedLine, ConcurrentWritesOnOnePortNeverInterleave) {
    SerialHandle device = open(1);
    // Each write needs several rounds of room in the 4096-byte queue.
    const std::vector<std::uint8_t> first(10000, 'A'), second(10000, 'B');
    auto writeAll = [&](const std::vector<std::uint8_t>& bytes) {
        std::size_t done = 0;
        return device->write(bytes.data(), bytes.size(), 60000ms, done);
    };
    auto a = std::async(std::launch::async, writeAll, std::cref(first));
    auto b = std::async(std::launch::async, writeAll, std::cref(second));
    // The clock moves on only as the writers keep up; a write that never ends is released
    // by closing the port.
    const auto giveUp = std::chrono::steady_clock::now() + 10s;
    auto finished = [](auto& write) { return write.wait_for(1ms) == std::future_status::ready; };
    while (!(finished(a) && finished(b)) && std::chrono::steady_clock::now() < giveUp) card.advance(5ms);
    if (!(finished(a) && finished(b))) {
        ADD_FAILURE() << "the writes did not end";
        device->close();
    }
    ASSERT_EQ(a.get(), IoStatus::Completed);
    ASSERT_EQ(b.get(), IoStatus::Completed);
    card.advance(1s);

    const std::vector<std::uint8_t> line = card.takeLineOutput(1);
    ASSERT_EQ(line.size(), 20000u);
    const auto change = std::adjacent_find(line.begin(), line.end(), std::not_equal_to<>());
    ASSERT_NE(change, line.end());
    EXPECT_EQ(std::adjacent_find(change + 1, line.end(), std::not_equal_to<>()), line.end())
        << "the two writes went out as two runs";
}

TEST_F(SimulatedLine, WiringSurvivesClosingAndReopeningThePort) {
    card.plugLoopback(2);
    open(2)->close();
    SerialHandle again = open(2);
    send(*again, {'o', 'k'});
    card.advance(1ms);
    EXPECT_EQ(received(*again), (std::vector<std::uint8_t>{'o', 'k'}));
}

struct FramingCase {
    const char* name;
    LineState sender;
    LineState receiver;
    std::vector<std::uint8_t> expected;  // what arrives for 0x41, 0x43, 0xC1

    friend void PrintTo(const FramingCase& c, std::ostream* os) { *os << c.name; }
};

class SimulatedLineFraming : public SimulatedLine, public ::testing::WithParamInterface<FramingCase> {};

// 0x41 has an even number of ones, 0x43 and 0xC1 an odd number; 0xC1 has its top bit set.
// A checking receiver (parity enabled) hands over a character with a parity or framing
// error as NUL.
TEST_P(SimulatedLineFraming, TheReceiverTakesWhatItSamplesFromTheSendersFrame) {
    const FramingCase& c = GetParam();
    card.connectNullModem(1, 2);
    SerialHandle sender = open(1, c.sender);
    SerialHandle receiver = open(2, c.receiver);
    send(*sender, {0x41, 0x43, 0xC1});
    card.advance(10ms);
    EXPECT_EQ(received(*receiver), c.expected);
}

constexpr auto N = Parity::None;
constexpr auto E = Parity::Even;
constexpr auto O = Parity::Odd;
constexpr auto M = Parity::Mark;
constexpr auto S = Parity::Space;
constexpr auto One = StopBits::One;
constexpr auto Two = StopBits::Two;

INSTANTIATE_TEST_SUITE_P(
    Mismatches, SimulatedLineFraming,
    ::testing::Values(
        FramingCase{"Same_8E1", with(9600, 8, E, One), with(9600, 8, E, One), {0x41, 0x43, 0xC1}},
        // Only the first stop bit is sampled; a second one looks like an idle line.
        FramingCase{"OneStopBitToTwo", with(9600, 8, N, One), with(9600, 8, N, Two), {0x41, 0x43, 0xC1}},
        FramingCase{"TwoStopBitsToOne", with(9600, 8, E, Two), with(9600, 8, E, One), {0x41, 0x43, 0xC1}},
        // The sender's stop bit is read as the parity bit, always 1.
        FramingCase{"NoParityToEven", with(9600, 8, N, One), with(9600, 8, E, One), {0x00, 0x43, 0xC1}},
        FramingCase{"NoParityToOdd", with(9600, 8, N, One), with(9600, 8, O, One), {0x41, 0x00, 0x00}},
        FramingCase{"NoParityToMark", with(9600, 8, N, One), with(9600, 8, M, One), {0x41, 0x43, 0xC1}},
        FramingCase{"NoParityToSpace", with(9600, 8, N, One), with(9600, 8, S, One), {0x00, 0x00, 0x00}},
        FramingCase{"EvenToOdd", with(9600, 8, E, One), with(9600, 8, O, One), {0x00, 0x00, 0x00}},
        // The parity bit lands where the stop bit is sampled: a framing error for 0x41
        // (its even parity bit is 0), which a receiver that does not check never sees.
        FramingCase{"EvenToNoParity", with(9600, 8, E, One), with(9600, 8, N, One), {0x41, 0x43, 0xC1}},
        // The receiver's top data bit is the sender's stop bit, or its parity bit.
        FramingCase{"SevenBitsToEight", with(9600, 7, N, One), with(9600, 8, N, One), {0xC1, 0xC3, 0xC1}},
        FramingCase{"SevenEvenToEight", with(9600, 7, E, One), with(9600, 8, N, One), {0x41, 0xC3, 0x41}},
        // The sender's eighth data bit is sampled as the stop bit, or as the parity bit.
        FramingCase{"EightBitsToSeven", with(9600, 8, N, One), with(9600, 7, N, One), {0x41, 0x43, 0x41}},
        FramingCase{"EightBitsToSevenEven", with(9600, 8, N, One), with(9600, 7, E, One), {0x41, 0x00, 0x00}},
        FramingCase{"Rate", with(9600, 8, N, One), with(4800, 8, N, One), {0xBE, 0xBC, 0x3E}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
