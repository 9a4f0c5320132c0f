// The serial layer through the POSIX back end on a pseudo-terminal: COM4 resolved to the
// pty's slave, the test playing the far end through the master.

#include <gtest/gtest.h>
#include <termios.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/com_port_backend.h"
#include "serial/card_requests.h"
#include "serial/open_test_ports.h"
#include "serial/serial_port.h"
#include "support/arbitrary_line_rate.h"
#include "support/pty_pair.h"
#include "support/recording_message_sink.h"

namespace {

using namespace std::chrono_literals;
using brenmoor::config::kPortCount;
using brenmoor::config::SettingsTables;
using brenmoor::platform::ComPortBackend;
using brenmoor::platform::ComResolver;
using brenmoor::serial::CSerialPort;
using brenmoor::serial::OpenTestPorts;
using brenmoor::serial::SessionPortTable;
using brenmoor::test::PtyPair;
using brenmoor::test::RecordingMessageSink;

ComResolver comToPty(const PtyPair& pty, int comNumber) {
    ComResolver resolver;
    resolver.setOverride({comNumber, pty.slavePath()});
    return resolver;
}

// Bytes sent to the master reach the slave a moment later.
std::uint32_t waitForWaiting(brenmoor::platform::SerialDevice& device, std::uint32_t count) {
    std::uint32_t waiting = 0;
    const auto giveUp = std::chrono::steady_clock::now() + 5s;
    while (device.clearErrors(waiting) && waiting < count && std::chrono::steady_clock::now() < giveUp)
        std::this_thread::sleep_for(1ms);
    return waiting;
}

class OnPty : public testing::Test {
protected:
    OnPty() {
        for (int p = 0; p < kPortCount; ++p) {
            tables->m_PortRegistry[p] = brenmoor::config::portDefaults(p).registry;
            tables->m_PortRegistry[p].nPortOpen = 0;
        }
        tables->m_PortRegistry[0].nPortOpen = 1;  // COM4
    }

    PtyPair pty;
    ComPortBackend backend{comToPty(pty, 4)};
    std::unique_ptr<SettingsTables> tables = std::make_unique<SettingsTables>();
    SessionPortTable table;
    RecordingMessageSink messages;
    CSerialPort opener{messages};
};

TEST_F(OnPty, WriteAndReadCrossThePair) {
    OpenTestPorts(table, opener, *tables, backend, messages);
    ASSERT_NE(table.handles[0], nullptr) << testing::PrintToString(messages.texts());
    EXPECT_EQ(table.openCount, 1);
    EXPECT_TRUE(messages.messages().empty()) << "no extra is switched on, so the tty takes the options";

    CSerialPort port{messages, 1000ms};
    port.Attach(table.handles[0]);
    const std::string packet = "0123456789abcdefghijklmnopqrstuvwxyz.\r\n";
    ASSERT_TRUE(port.Write(reinterpret_cast<const std::uint8_t*>(packet.data()),
                           static_cast<std::uint32_t>(packet.size())));
    const std::vector<std::uint8_t> sent = pty.receive(packet.size(), 5s);
    EXPECT_EQ(std::string(sent.begin(), sent.end()), packet);

    std::vector<std::uint8_t> reply(451);
    for (std::size_t i = 0; i < reply.size(); ++i) reply[i] = static_cast<std::uint8_t>('A' + i % 26);
    pty.send(reply);
    ASSERT_EQ(waitForWaiting(*table.handles[0], 451), 451u);
    std::vector<std::uint8_t> buffer(brenmoor::serial::kReadLimit);
    std::uint32_t count = 0;
    ASSERT_TRUE(port.Read(buffer.data(), count));
    ASSERT_EQ(count, 450u);
    EXPECT_TRUE(std::equal(buffer.begin(), buffer.end(), reply.begin()));
    ASSERT_TRUE(port.Read(buffer.data(), count));
    ASSERT_EQ(count, 1u);
    EXPECT_EQ(buffer[0], reply[450]);
}

TEST_F(OnPty, SecondSessionOnAHeldPortIsReportedAsNotOpened) {
    OpenTestPorts(table, opener, *tables, backend, messages);
    ASSERT_NE(table.handles[0], nullptr);
    messages.clear();

    SessionPortTable second;
    OpenTestPorts(second, opener, *tables, backend, messages);
    EXPECT_EQ(second.handles[0], nullptr);
    EXPECT_EQ(second.anyPortOpen, 0);
    EXPECT_EQ(messages.messages(), (std::vector<brenmoor::platform::MessageBoxRequest>{
                                       {"Unable to open the communication port COM4", "ERROR",
                                        brenmoor::platform::MessageIcon::Warning,
                                        brenmoor::platform::MessageOwner::MainWindow,
                                        "In use by another program: " + pty.slavePath()}}));
}

// Neither a rate the list does not have, left by another program, nor the framing a pty
// cannot carry is a fault of the open.
TEST_F(OnPty, OpensWithoutAMessageWhereOnlyTheTtyDiffersFromTheList) {
    struct Case {
        const char* name;
        std::function<void(PtyPair&, brenmoor::config::PortRegistryEntry&)> arrange;
    };
    const Case cases[] = {
        {"left at 500000 bit/s", [](PtyPair& p, auto&) { brenmoor::test::setArbitraryLineRate(p.masterFd(), 500000); }},
        {"seven data bits, even parity",
         [](PtyPair&, auto& e) {
             e.nDataBits = 2;
             e.nParity = 1;
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PtyPair line;
        ComPortBackend toLine{comToPty(line, 4)};
        const brenmoor::config::PortRegistryEntry stored = tables->m_PortRegistry[0];
        c.arrange(line, tables->m_PortRegistry[0]);
        SessionPortTable opened;
        messages.clear();

        OpenTestPorts(opened, opener, *tables, toLine, messages);
        tables->m_PortRegistry[0] = stored;
        ASSERT_NE(opened.handles[0], nullptr);
        EXPECT_TRUE(messages.messages().empty()) << testing::PrintToString(messages.texts());
        termios kernel{};
        ASSERT_EQ(::tcgetattr(line.masterFd(), &kernel), 0);
        EXPECT_EQ(::cfgetospeed(&kernel), B9600);
        opened.handles[0]->close();
    }
}

TEST_F(OnPty, ExtraTheTtyCannotApplyIsReportedAndThePortStillOpens) {
    tables->m_PortRegistry[0].nRS485 = 1;
    OpenTestPorts(table, opener, *tables, backend, messages);
    EXPECT_NE(table.handles[0], nullptr);
    EXPECT_EQ(table.openCount, 1);
    EXPECT_EQ(messages.messages(), (std::vector<brenmoor::platform::MessageBoxRequest>{
                                       {"Unable to pass data into driver", "", brenmoor::platform::MessageIcon::None,
                                        brenmoor::platform::MessageOwner::None}}));
}

TEST_F(OnPty, LoopbackRequestRefusedByAPtyIsReported) {
    OpenTestPorts(table, opener, *tables, backend, messages);
    ASSERT_NE(table.handles[0], nullptr);
    messages.clear();
    EXPECT_FALSE(brenmoor::serial::SetLoopback(table.handles[0], true, 0, messages));
    EXPECT_EQ(messages.texts(), std::vector<std::string>{"Unable to set/reset Local LoopBack on port 0"});
}

TEST_F(OnPty, UnpluggedPortFailsItsTransfers) {
    OpenTestPorts(table, opener, *tables, backend, messages);
    ASSERT_NE(table.handles[0], nullptr);
    messages.clear();
    pty.closeMaster();

    CSerialPort port{messages, 1000ms};
    port.Attach(table.handles[0]);
    const std::uint8_t packet[] = {'x'};
    EXPECT_FALSE(port.Write(packet, 1));
    EXPECT_EQ(messages.texts(), std::vector<std::string>{"Unable to Write to the comm port"});
}

}  // namespace
