#include "serial/open_test_ports.h"

#include <gtest/gtest.h>

#include <climits>
#include <memory>
#include <string>
#include <vector>

#include "serial/fake_serial.h"
#include "support/recording_message_sink.h"

namespace {

using brenmoor::config::kPortCount;
using brenmoor::config::SettingsTables;
using brenmoor::platform::MessageBoxRequest;
using brenmoor::platform::MessageIcon;
using brenmoor::platform::MessageOwner;
using brenmoor::serial::CSerialPort;
using brenmoor::serial::OpenTestPorts;
using brenmoor::serial::SessionPortTable;
using brenmoor::test::FakeSerialBackend;
using brenmoor::test::FakeSerialDevice;
using brenmoor::test::RecordingMessageSink;

MessageBoxRequest notOpened(const std::string& com, const std::string& reason) {
    return {"Unable to open the communication port " + com, "ERROR", MessageIcon::Warning, MessageOwner::MainWindow,
            reason};
}

class OpenTestPortsTest : public testing::Test {
protected:
    OpenTestPortsTest() {
        // COM4 to COM11, none marked.
        for (int p = 0; p < kPortCount; ++p) {
            tables->m_PortRegistry[p] = brenmoor::config::portDefaults(p).registry;
            tables->m_PortRegistry[p].nPortOpen = 0;
        }
    }

    void run() { OpenTestPorts(table, opener, *tables, backend, messages); }

    std::unique_ptr<SettingsTables> tables = std::make_unique<SettingsTables>();
    SessionPortTable table;
    FakeSerialBackend backend;
    RecordingMessageSink messages;
    CSerialPort opener{messages};
};

TEST_F(OpenTestPortsTest, FailingPortsAreReportedAndTheOthersOpen) {
    for (int p : {0, 2, 3, 4, 5, 7}) tables->m_PortRegistry[p].nPortOpen = 1;
    const auto com4 = backend.add("COM4");
    // COM6 (port 2) is absent.
    backend.markBusy("COM7");  // port 3
    backend.add("COM8");       // port 4, refused for its stored baud position
    tables->m_PortRegistry[4].nBaud = 20;
    const auto com9 = backend.add("COM9");
    const auto com11 = backend.add(R"(\\.\COM11)");
    // Left over from an earlier session: an unmarked port's handle and a stale flag.
    table.handles[1] = std::make_shared<FakeSerialDevice>();
    table.portOpen[2] = 1;

    run();

    EXPECT_EQ(table.handles[0], com4);
    EXPECT_EQ(table.handles[5], com9);
    EXPECT_EQ(table.handles[7], com11);
    for (int p : {1, 2, 3, 4, 6}) EXPECT_EQ(table.handles[p], nullptr) << "port " << p;
    EXPECT_EQ(table.portOpen, (std::array<std::uint8_t, kPortCount>{1, 0, 0, 0, 0, 1, 0, 1}));
    EXPECT_EQ(table.openCount, 3);
    EXPECT_EQ(table.anyPortOpen, 1);
    EXPECT_EQ(backend.opened, (std::vector<std::string>{"COM4", "COM6", "COM7", "COM9", R"(\\.\COM11)"}));
    EXPECT_EQ(messages.messages(),
              (std::vector<MessageBoxRequest>{
                  notOpened("COM6", "No such device: COM6"),
                  notOpened("COM7", "In use by another program"),
                  {"Port5: the stored Baud Rate setting 20 is outside its list", "ERROR", MessageIcon::Warning,
                   MessageOwner::MainWindow},
                  notOpened("COM8", ""),  // the refusal above said why
              }));
    EXPECT_EQ(opener.handle(), com11);
}

TEST_F(OpenTestPortsTest, NoPortMarkedOpensNothingSilently) {
    backend.add("COM4");
    table.anyPortOpen = 1;
    table.handles[0] = std::make_shared<FakeSerialDevice>();

    run();

    for (const auto& h : table.handles) EXPECT_EQ(h, nullptr);
    EXPECT_EQ(table.anyPortOpen, 0);
    EXPECT_EQ(table.openCount, 0);
    EXPECT_TRUE(backend.opened.empty());
    EXPECT_TRUE(messages.messages().empty());
}

TEST_F(OpenTestPortsTest, ComNumberOutsideOneTo255IsRefusedNotWrapped) {
    struct Case {
        std::int32_t comBase;
        std::string com;
        bool opens;
    };
    const Case cases[] = {
        {254, "COM255", true},
        {255, "COM256", false},  // as 8 bits: COM0
        {259, "COM260", false},  // as 8 bits: COM4, another port's
        {-1, "COM0", false},
        {INT_MAX, "COM2147483648", false},
    };
    tables->m_PortRegistry[0].nPortOpen = 1;
    backend.add(R"(\\.\COM255)");
    backend.add("COM4");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.com);
        tables->m_PortRegistry[0].nComBase = c.comBase;
        backend.opened.clear();
        messages.clear();
        table = {};

        run();

        EXPECT_EQ(table.handles[0] != nullptr, c.opens);
        EXPECT_EQ(table.openCount, c.opens ? 1 : 0);
        if (c.opens) {
            EXPECT_EQ(backend.opened, std::vector<std::string>{R"(\\.\COM255)"});
            EXPECT_TRUE(messages.messages().empty());
        } else {
            EXPECT_TRUE(backend.opened.empty());
            EXPECT_EQ(messages.messages(),
                      std::vector<MessageBoxRequest>{notOpened(c.com, "COM numbers run from 1 to 255")});
        }
    }
}

}  // namespace
