// The serial layer over the simulated card: what the operator's port objects do on a card
// that times its lines and honours the driver requests.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/driver_requests.h"
#include "platform/simulated_card.h"
#include "serial/card_requests.h"
#include "serial/open_test_ports.h"
#include "serial/serial_port.h"
#include "support/recording_message_sink.h"

namespace {

using namespace std::chrono_literals;
using brenmoor::config::kPortCount;
using brenmoor::config::SettingsTables;
using brenmoor::platform::MessageBoxRequest;
using brenmoor::platform::MessageIcon;
using brenmoor::platform::MessageOwner;
using brenmoor::platform::SimulatedCard;
using brenmoor::serial::CSerialPort;
using brenmoor::serial::OpenTestPorts;
using brenmoor::serial::SessionPortTable;
using brenmoor::serial::SetLoopback;
using brenmoor::test::RecordingMessageSink;

class OnSimulatedCard : public testing::Test {
protected:
    explicit OnSimulatedCard(SimulatedCard::Clock clock = SimulatedCard::Clock::Virtual) : card(clock) {
        // COM4 to COM11, as the defaults give them.
        for (int p = 0; p < kPortCount; ++p) tables->m_PortRegistry[p] = brenmoor::config::portDefaults(p).registry;
    }

    void openPorts(std::initializer_list<int> marked) {
        for (auto& entry : tables->m_PortRegistry) entry.nPortOpen = 0;
        for (int p : marked) tables->m_PortRegistry[p].nPortOpen = 1;
        OpenTestPorts(table, opener, *tables, card, messages);
    }

    SimulatedCard card;
    std::unique_ptr<SettingsTables> tables = std::make_unique<SettingsTables>();
    SessionPortTable table;
    RecordingMessageSink messages;
    CSerialPort opener{messages};
};

TEST_F(OnSimulatedCard, OpenConfiguresTheCardPort) {
    tables->m_PortRegistry[1].nBaud = 13;
    tables->m_PortRegistry[1].nParity = 1;
    tables->m_PortRegistry[1].nRS485 = 1;
    openPorts({1});
    ASSERT_NE(table.handles[1], nullptr);

    brenmoor::platform::LineState line;
    ASSERT_TRUE(table.handles[1]->getLineState(line));
    EXPECT_EQ(line.baudRate, 921600u);
    EXPECT_EQ(line.parity, brenmoor::platform::Parity::Even);
    EXPECT_EQ(card.uartOptions(5), (brenmoor::platform::UartOptionBytes{0xF3, 17, 20, 4, 0, 0x20, 0}));
    EXPECT_TRUE(messages.messages().empty());
}

TEST_F(OnSimulatedCard, InternalLoopbackReturnsExactlyWhatWasWritten) {
    openPorts({0});
    ASSERT_NE(table.handles[0], nullptr);
    CSerialPort port{messages};
    port.Attach(table.handles[0]);
    ASSERT_TRUE(SetLoopback(table.handles[0], true, 0, messages));

    const std::string packet = "Quick Brown Fox Jumps Over The Lazy Dog.\r\n";
    ASSERT_TRUE(port.Write(reinterpret_cast<const std::uint8_t*>(packet.data()),
                           static_cast<std::uint32_t>(packet.size())));
    card.advance(1s);

    std::vector<std::uint8_t> buffer(brenmoor::serial::kReadLimit);
    std::uint32_t count = 0;
    ASSERT_TRUE(port.Read(buffer.data(), count));
    EXPECT_EQ(std::string(buffer.begin(), buffer.begin() + count), packet);
    EXPECT_TRUE(card.takeLineOutput(4).empty()) << "internal loopback keeps the bytes off the line";

    ASSERT_TRUE(SetLoopback(table.handles[0], false, 0, messages));
    ASSERT_TRUE(port.Write(reinterpret_cast<const std::uint8_t*>(packet.data()), 4));
    card.advance(1s);
    EXPECT_FALSE(port.Read(buffer.data(), count));
    EXPECT_EQ(card.takeLineOutput(4), (std::vector<std::uint8_t>{'Q', 'u', 'i', 'c'}));
    EXPECT_TRUE(messages.messages().empty());
}

TEST_F(OnSimulatedCard, ReadTakes450OfWhatArrivedAndThenTheRest) {
    openPorts({0});
    ASSERT_NE(table.handles[0], nullptr);
    std::vector<std::uint8_t> arriving(451);
    for (std::size_t i = 0; i < arriving.size(); ++i) arriving[i] = static_cast<std::uint8_t>(i * 7);
    ASSERT_EQ(card.inject(4, arriving), arriving.size());

    CSerialPort port{messages};
    port.Attach(table.handles[0]);
    std::vector<std::uint8_t> received(brenmoor::serial::kReadLimit);
    std::uint32_t count = 0;
    ASSERT_TRUE(port.Read(received.data(), count));
    ASSERT_EQ(count, 450u);
    EXPECT_TRUE(std::equal(received.begin(), received.end(), arriving.begin()));
    ASSERT_TRUE(port.Read(received.data(), count));
    ASSERT_EQ(count, 1u);
    EXPECT_EQ(received[0], arriving[450]);
}

TEST_F(OnSimulatedCard, PortFaultsGiveTheirMessagesAndTheOtherPortsOpen) {
    card.setAbsent(5, true);                                              // port 1
    card.setBusy(6, true);                                                // port 2
    card.setRequestRefused(7, brenmoor::platform::IOCTL_SET_UART_OPTIONS, true);  // port 3
    card.setRequestRefused(8, brenmoor::platform::IOCTL_SET_LOOPBACK, true);      // port 4

    openPorts({0, 1, 2, 3, 4});

    EXPECT_NE(table.handles[0], nullptr);
    EXPECT_EQ(table.handles[1], nullptr);
    EXPECT_EQ(table.handles[2], nullptr);
    EXPECT_NE(table.handles[3], nullptr);
    EXPECT_NE(table.handles[4], nullptr);
    EXPECT_EQ(table.openCount, 3);
    EXPECT_FALSE(SetLoopback(table.handles[4], true, 4, messages));
    EXPECT_TRUE(SetLoopback(table.handles[3], true, 3, messages));
    EXPECT_EQ(messages.texts(), (std::vector<std::string>{
                                    "Unable to open the communication port COM5",
                                    "Unable to open the communication port COM6",
                                    "Unable to pass data into driver",
                                    "Unable to set/reset Local LoopBack on port 4",
                                }));
}

// Real clock: the write's bound is the transfer limit, kept short here.
class OnSimulatedCardRealTime : public OnSimulatedCard {
protected:
    OnSimulatedCardRealTime() : OnSimulatedCard(SimulatedCard::Clock::Real) {}
};

TEST_F(OnSimulatedCardRealTime, StalledWriteTimesOutAndAFailingReadIsReported) {
    openPorts({0});
    ASSERT_NE(table.handles[0], nullptr);
    CSerialPort port{messages, 20ms};
    port.Attach(table.handles[0]);
    card.setWriteStalled(4, true);

    // More than the 4096-byte transmit queue, so the write must wait for room.
    const std::vector<std::uint8_t> packet(5000, 'S');
    EXPECT_FALSE(port.Write(packet.data(), static_cast<std::uint32_t>(packet.size())));

    card.setReadError(4, true);
    ASSERT_EQ(card.inject(4, {'x'}), 1u);
    std::vector<std::uint8_t> buffer(brenmoor::serial::kReadLimit);
    std::uint32_t count = 77;
    EXPECT_FALSE(port.Read(buffer.data(), count));
    EXPECT_EQ(count, 77u);

    EXPECT_EQ(messages.messages(),
              (std::vector<MessageBoxRequest>{
                  {"Write Timeout", "Write Error", MessageIcon::None, MessageOwner::MainWindow},
                  {"Unable to Read to the comm port", "Read Error", MessageIcon::None, MessageOwner::MainWindow},
              }));
}

}  // namespace
