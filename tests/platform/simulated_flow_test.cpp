// Flow control on the simulated card: a receiver that stops reading holds its sender
// through RTS/CTS or XON/XOFF, and lets it go on once it reads again.

#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "platform/driver_requests.h"
#include "platform/simulated_card.h"
#include "simulated_port.h"

using namespace brenmoor::platform;
using namespace std::chrono_literals;

namespace {

using brenmoor::test::kPacketSize;
using brenmoor::test::numberedPacket;
constexpr std::uint8_t kXon = 0x11;
constexpr std::uint8_t kXoff = 0x13;

LineState hardwareFlow() {
    LineState line;
    line.baudRate = 115200;
    line.outxCtsFlow = true;
    line.rtsControl = RtsControl::Handshake;
    return line;
}

LineState softwareFlow() {
    LineState line;
    line.baudRate = 115200;
    line.outX = true;
    line.inX = true;
    return line;
}

class SimulatedFlow : public ::testing::Test {
protected:
    SerialHandle open(int com, const LineState& line) { return brenmoor::test::openToolPort(card, com, line); }

    // Writes numbered packets until one times out or `most` were written; what was
    // written is appended to `sent`. Returns whether a write timed out.
    bool writeUntilHeld(SerialDevice& device, std::size_t most) {
        for (std::size_t n = 0; n < most; ++n) {
            const std::vector<std::uint8_t> bytes = numberedPacket(sent.size() / kPacketSize);
            std::size_t done = 0;
            const IoStatus status = device.write(bytes.data(), bytes.size(), 10000ms, done);
            if (status == IoStatus::TimedOut) {
                EXPECT_EQ(done, 0u);
                return true;
            }
            EXPECT_EQ(status, IoStatus::Completed);
            sent.insert(sent.end(), bytes.begin(), bytes.end());
        }
        return false;
    }

    static std::vector<std::uint8_t> readAll(SerialDevice& device) {
        std::uint32_t waiting = 0;
        EXPECT_TRUE(device.clearErrors(waiting));
        std::vector<std::uint8_t> bytes(waiting);
        std::size_t done = 0;
        if (waiting > 0) {
            EXPECT_EQ(device.read(bytes.data(), waiting, 0ms, done), IoStatus::Completed);
        }
        return bytes;
    }

    SimulatedCard card{SimulatedCard::Clock::SkipAhead};
    std::vector<std::uint8_t> sent;
};

struct PairCase {
    const char* name;
    LineState line;                         // both ends
    std::vector<std::uint8_t> receiverSent; // on its own line, while held and when released

    friend void PrintTo(const PairCase& c, std::ostream* os) { *os << c.name; }
};

class FlowOnANullModemPair : public SimulatedFlow, public ::testing::WithParamInterface<PairCase> {};

TEST_P(FlowOnANullModemPair, AReceiverThatStopsReadingHoldsItsSenderUntilItReadsAgain) {
    const PairCase& c = GetParam();
    card.connectNullModem(1, 2);
    SerialHandle sender = open(1, c.line);
    SerialHandle receiver = open(2, c.line);

    // Far more than the receiver's 4096-byte queue holds.
    ASSERT_TRUE(writeUntilHeld(*sender, 400)) << "the sender was never held";
    card.advance(1s);
    const std::vector<std::uint8_t> firstPart = readAll(*receiver);
    EXPECT_GT(firstPart.size(), 4096u - 128u - 2 * kPacketSize) << "held before the queue filled";
    EXPECT_LE(firstPart.size(), 4096u);
    EXPECT_EQ(card.lineOutputCount(1), firstPart.size()) << "everything the line carried was taken in";

    // Reading released the sender: what it still held goes out, and it writes on.
    ASSERT_FALSE(writeUntilHeld(*sender, 50));
    card.advance(1s);
    std::vector<std::uint8_t> got = firstPart;
    const std::vector<std::uint8_t> rest = readAll(*receiver);
    got.insert(got.end(), rest.begin(), rest.end());
    EXPECT_EQ(got, sent) << "every written byte arrived once, in order";

    EXPECT_EQ(card.takeLineOutput(2), c.receiverSent);
    EXPECT_TRUE(readAll(*sender).empty()) << "flow characters are not taken as data";
}

INSTANTIATE_TEST_SUITE_P(Kinds, FlowOnANullModemPair,
                         ::testing::Values(PairCase{"RtsCts", hardwareFlow(), {}},
                                           PairCase{"XonXoff", softwareFlow(), {kXoff, kXon}}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(SimulatedFlow, WithoutFlowControlAReceiverThatStopsReadingLosesCharacters) {
    card.connectNullModem(1, 2);
    SerialHandle sender = open(1, LineState{.baudRate = 115200});
    SerialHandle receiver = open(2, LineState{.baudRate = 115200});
    EXPECT_FALSE(writeUntilHeld(*sender, 200));
    card.advance(1s);
    EXPECT_EQ(card.lineOutputCount(1), sent.size());
    EXPECT_EQ(readAll(*receiver).size(), 4096u);
}

struct WiringCase {
    const char* name;
    std::function<void(SimulatedCard&, SerialDevice&)> wire;
    bool flows;

    friend void PrintTo(const WiringCase& c, std::ostream* os) { *os << c.name; }
};

class HardwareFlowWiring : public SimulatedFlow, public ::testing::WithParamInterface<WiringCase> {};

// CTS comes from the far end's RTS, or from the port's own through a loopback plug or the
// UART's internal loopback; with nothing plugged in it stays low.
TEST_P(HardwareFlowWiring, SendsOnlyWhereSomethingRaisesCts) {
    const WiringCase& c = GetParam();
    SerialHandle device = open(1, hardwareFlow());
    c.wire(card, *device);
    const auto from = card.now();
    const bool held = writeUntilHeld(*device, 3);
    const auto took = card.now() - from;
    EXPECT_EQ(held, !c.flows);
    card.advance(1s);
    if (c.flows) {
        EXPECT_EQ(readAll(*device), sent);
    } else {
        // Two packets fit in the buffer; the third gives up after the time-outs' total for
        // it (39 ms + 100 ms), more than twice the line time of 117 characters.
        EXPECT_EQ(sent.size(), 2 * kPacketSize);
        EXPECT_EQ(card.lineOutputCount(1), 0u);
        EXPECT_EQ(took, 139ms);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Wiring, HardwareFlowWiring,
    ::testing::Values(WiringCase{"NothingPluggedIn", [](SimulatedCard&, SerialDevice&) {}, false},
                      WiringCase{"PeerNotOpen", [](SimulatedCard& card, SerialDevice&) { card.connectNullModem(1, 2); },
                                 false},
                      WiringCase{"LoopbackPlug", [](SimulatedCard& card, SerialDevice&) { card.plugLoopback(1); }, true},
                      WiringCase{"InternalLoopback",
                                 [](SimulatedCard&, SerialDevice& device) {
                                     std::uint8_t block[kUartOptionBlockSize] = {};
                                     block[kOptLoopback] = kLoopbackOn;
                                     ASSERT_TRUE(device.deviceControl(IOCTL_SET_LOOPBACK, block, sizeof block));
                                 },
                                 true}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
