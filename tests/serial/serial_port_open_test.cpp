#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "serial/fake_serial.h"
#include "serial/serial_port.h"
#include "support/recording_message_sink.h"

namespace {

using brenmoor::config::kPortCount;
using brenmoor::config::PortRegistryEntry;
using brenmoor::platform::LineState;
using brenmoor::platform::MessageBoxRequest;
using brenmoor::platform::MessageIcon;
using brenmoor::platform::MessageOwner;
using brenmoor::platform::Timeouts;
using brenmoor::serial::CSerialPort;
using brenmoor::test::FakeSerialBackend;
using brenmoor::test::FakeSerialDevice;
using brenmoor::test::RecordingMessageSink;

const std::vector<std::string> kAllSteps = {"setupQueues",  "getLineState", "purge",        "setTimeouts",
                                            "setLineState", "getLineState", "deviceControl"};

class SerialPortOpen : public testing::Test {
protected:
    SerialPortOpen() {
        for (int p = 0; p < kPortCount; ++p) registry[p] = brenmoor::config::portDefaults(p).registry;
        // Port 2 (COM6 by default) with settings unlike the defaults.
        PortRegistryEntry& e = registry[2];
        e.nBaud = 10;
        e.nDataBits = 2;
        e.nParity = 0;
        e.nStopBits = 1;
        e.nFlowCtrl = 0;
        e.nTxTrig = 7;
        e.nRxTrig = 62;
        e.nDTR = 0;
        e.nRTSHys = 4;
        e.nRS485 = 1;
        device = backend.add("COM6");
        device->reportedState.xonChar = 'Q';
        device->reportedState.txContinueOnXoff = true;
    }

    brenmoor::platform::SerialHandle openPort2() { return port.Open(6, 2, registry, backend); }

    std::array<PortRegistryEntry, kPortCount> registry{};
    FakeSerialBackend backend;
    std::shared_ptr<FakeSerialDevice> device;
    RecordingMessageSink messages;
    CSerialPort port{messages};
};

TEST_F(SerialPortOpen, DeviceNameByComNumber) {
    const std::pair<int, std::string> names[] = {
        {1, "COM1"}, {9, "COM9"}, {10, R"(\\.\COM10)"}, {99, R"(\\.\COM99)"}, {255, R"(\\.\COM255)"}};
    for (const auto& [number, name] : names) {
        port.Open(static_cast<std::uint8_t>(number), 0, registry, backend);
        EXPECT_EQ(backend.opened.back(), name);
    }
}

TEST_F(SerialPortOpen, ConfiguresThePortStepByStepFromItsOwnRecord) {
    const auto handle = openPort2();

    ASSERT_EQ(handle, device);
    EXPECT_EQ(port.handle(), device);
    EXPECT_EQ(backend.opened, std::vector<std::string>{"COM6"});
    // Purged before the time-outs and the line state; the driver request last.
    EXPECT_EQ(device->calls, kAllSteps);
    EXPECT_EQ(device->purgeFlags, 0x0Fu);
    EXPECT_EQ(device->appliedTimeouts, (Timeouts{0, 1, 100, 1, 100}));

    LineState expected;
    expected.baudRate = 115200;
    expected.byteSize = 7;
    expected.parity = brenmoor::platform::Parity::Odd;
    expected.stopBits = brenmoor::platform::StopBits::Two;
    expected.outxCtsFlow = true;
    expected.outxDsrFlow = true;
    expected.rtsControl = brenmoor::platform::RtsControl::Handshake;
    expected.txContinueOnXoff = true;  // as reported
    expected.xonChar = 'Q';            // as reported
    EXPECT_EQ(device->appliedState, expected);

    ASSERT_EQ(device->requests.size(), 1u);
    EXPECT_EQ(device->requests[0].code, 0x8005201Cu);
    EXPECT_EQ(device->requests[0].block, (std::vector<std::uint8_t>{0xF1, 7, 63, 16, 0, 0x20, 0}));
    EXPECT_TRUE(messages.messages().empty());
}

TEST_F(SerialPortOpen, FailingStepIsReportedAndTheOpenGoesOn) {
    const MessageBoxRequest buffers{"Error while setting up the Rx and Tx buffer sizes", "ERROR", MessageIcon::Warning,
                                    MessageOwner::MainWindow};
    const MessageBoxRequest lineState{"Error while getting the current DCB settings", "ERROR", MessageIcon::Warning,
                                      MessageOwner::MainWindow};
    const MessageBoxRequest driver{"Unable to pass data into driver", "", MessageIcon::None, MessageOwner::None};
    struct Case {
        std::string name;
        std::function<void(FakeSerialDevice&)> fault;
        std::vector<MessageBoxRequest> expected;
    };
    const Case cases[] = {
        {"queue sizes refused", [](auto& d) { d.setupQueuesResult = false; }, {buffers}},
        {"line state unreadable", [](auto& d) { d.getLineStateResult = false; }, {lineState}},
        {"driver request refused", [](auto& d) { d.deviceControlResult = false; }, {driver}},
        {"time-outs refused, not examined", [](auto& d) { d.setTimeoutsResult = false; }, {}},
        {"line state refused: the old one is read back",
         [](auto& d) { d.setLineStateResult = false; },
         {{"COM6 did not take 115200 bit/s; the port runs at 9600 bit/s\n"
           "COM6 did not take 7 data bits; the port runs with 8 data bits\n"
           "COM6 did not take odd parity; the port runs with no parity\n"
           "COM6 did not take 2 stop bits; the port runs with 1 stop bit",
           "ERROR", MessageIcon::Warning, MessageOwner::MainWindow}}},
        {"everything refused",
         [](auto& d) {
             d.setupQueuesResult = d.getLineStateResult = d.deviceControlResult = false;
             d.setTimeoutsResult = d.setLineStateResult = false;
         },
         {buffers, lineState, driver}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        device = backend.add("COM6");
        c.fault(*device);
        messages.clear();

        EXPECT_EQ(openPort2(), device);
        EXPECT_EQ(port.handle(), device);
        EXPECT_EQ(device->calls, kAllSteps);
        EXPECT_EQ(messages.messages(), c.expected);
    }
}

TEST_F(SerialPortOpen, RateOrFramingThePortDidNotTakeIsReportedAndTheOpenGoesOn) {
    using brenmoor::platform::Parity;
    using brenmoor::platform::StopBits;
    struct Case {
        std::string name;
        std::function<void(PortRegistryEntry&)> stored;
        std::function<void(LineState&)> keeps;
        std::string message;  // empty: none
    };
    const Case cases[] = {
        {"rate above the UART's clock",
         [](auto& e) { e.nBaud = 11; },
         [](auto& s) { s.baudRate = 115200; },
         "COM6 did not take 230400 bit/s; the port runs at 115200 bit/s"},
        {"data bits", [](auto&) {}, [](auto& s) { s.byteSize = 8; },
         "COM6 did not take 7 data bits; the port runs with 8 data bits"},
        {"parity", [](auto& e) { e.nParity = 1; }, [](auto& s) { s.parity = Parity::Space; },
         "COM6 did not take even parity; the port runs with space parity"},
        {"stop bits", [](auto&) {}, [](auto& s) { s.stopBits = StopBits::One; },
         "COM6 did not take 2 stop bits; the port runs with 1 stop bit"},
        {"rate and parity",
         [](auto& e) { e.nBaud = 13; },
         [](auto& s) {
             s.baudRate = 38400;
             s.parity = Parity::None;
         },
         "COM6 did not take 921600 bit/s; the port runs at 38400 bit/s\n"
         "COM6 did not take odd parity; the port runs with no parity"},
        // With five data bits a UART's extra stop bit is one and a half either way.
        {"the same stop bits on the wire",
         [](auto& e) { e.nDataBits = 0; },
         [](auto& s) { s.stopBits = StopBits::Two; },
         ""},
        {"everything kept", [](auto&) {}, [](auto&) {}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const PortRegistryEntry stored = registry[2];
        c.stored(registry[2]);
        device = backend.add("COM6");
        device->keeps = c.keeps;
        messages.clear();

        EXPECT_EQ(openPort2(), device);
        EXPECT_EQ(device->calls, kAllSteps);
        std::vector<MessageBoxRequest> expected;
        if (!c.message.empty()) expected.push_back({c.message, "ERROR", MessageIcon::Warning, MessageOwner::MainWindow});
        EXPECT_EQ(messages.messages(), expected);
        registry[2] = stored;
    }
}

TEST_F(SerialPortOpen, UnreadableLineStateIsNotTakenFromTheFailedCall) {
    device->getLineStateResult = false;  // the fake scribbles over the state it was given
    openPort2();
    EXPECT_EQ(device->appliedState.baudRate, 115200u);
    EXPECT_EQ(device->appliedState.xonChar, LineState{}.xonChar);
    EXPECT_FALSE(device->appliedState.txContinueOnXoff);
}

TEST_F(SerialPortOpen, DeviceThatDoesNotOpenGivesNullSilently) {
    port.Attach(device);
    EXPECT_EQ(port.Open(7, 3, registry, backend), nullptr);  // COM7 is absent
    EXPECT_EQ(port.handle(), nullptr);
    EXPECT_EQ(backend.opened, std::vector<std::string>{"COM7"});
    EXPECT_TRUE(messages.messages().empty());

    backend.markBusy("COM6");
    EXPECT_EQ(openPort2(), nullptr);
    EXPECT_TRUE(messages.messages().empty());
    EXPECT_TRUE(device->calls.empty());
}

TEST_F(SerialPortOpen, RecordIsThePortIndexNotTheComDistance) {
    // Port 2 on COM4 breaks the consecutive numbering; COM4 - 1 - port 0's base would
    // name port 0's record.
    backend.add("COM4");
    const auto handle = port.Open(4, 2, registry, backend);
    ASSERT_NE(handle, nullptr);
    auto* opened = static_cast<FakeSerialDevice*>(handle.get());
    EXPECT_EQ(opened->appliedState.baudRate, 115200u);
}

TEST_F(SerialPortOpen, NoPortIndexOutsideTheTable) {
    for (int index : {-1, kPortCount}) {
        EXPECT_EQ(port.Open(6, index, registry, backend), nullptr);
    }
    EXPECT_TRUE(backend.opened.empty());
}

TEST_F(SerialPortOpen, StoredPositionOutsideItsListRefusesThePortBeforeOpening) {
    struct Case {
        std::function<void(PortRegistryEntry&)> stored;
        std::string message;
    };
    const Case cases[] = {
        {[](auto& e) { e.nBaud = 14; }, "Port3: the stored Baud Rate setting 14 is outside its list"},
        {[](auto& e) { e.nBaud = -1; }, "Port3: the stored Baud Rate setting -1 is outside its list"},
        {[](auto& e) { e.nDataBits = 4; }, "Port3: the stored Data Length setting 4 is outside its list"},
        {[](auto& e) { e.nParity = 5; }, "Port3: the stored Parity setting 5 is outside its list"},
        {[](auto& e) { e.nStopBits = 3; }, "Port3: the stored Stop Bits setting 3 is outside its list"},
        {[](auto& e) { e.nRTSHys = 5; }, "Port3: the stored RTS Hysteresis setting 5 is outside its list"},
        {[](auto& e) {
             e.nDTR = 1;
             e.nDTRHys = -2;
         },
         "Port3: the stored DTR Hysteresis setting -2 is outside its list"},
        {[](auto& e) { e.nRxTrig = 64; }, "Port3: the stored Rx FIFO Trigger Level setting 64 is outside its list"},
        {[](auto& e) { e.nTxTrig = 64; }, "Port3: the stored Tx FIFO Trigger Level setting 64 is outside its list"},
        {[](auto& e) { e.nTxTrig = -1; }, "Port3: the stored Tx FIFO Trigger Level setting -1 is outside its list"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        const PortRegistryEntry good = registry[2];
        c.stored(registry[2]);
        messages.clear();
        port.Attach(device);

        EXPECT_EQ(openPort2(), nullptr);
        EXPECT_EQ(port.handle(), nullptr);
        EXPECT_EQ(messages.messages(), (std::vector<MessageBoxRequest>{
                                           {c.message, "ERROR", MessageIcon::Warning, MessageOwner::MainWindow}}));
        registry[2] = good;
    }
    EXPECT_TRUE(backend.opened.empty());
}

TEST_F(SerialPortOpen, LastPositionOfEveryListAndUnusedValuesAreAccepted) {
    PortRegistryEntry& e = registry[2];
    e.nBaud = 13;
    e.nDataBits = 3;
    e.nParity = 4;
    e.nStopBits = 2;
    e.nRTSHys = 4;
    e.nRxTrig = 63;
    e.nTxTrig = 63;
    e.nDTRHys = 99;    // RTS is chosen: the DTR level is not sent
    e.nFlowCtrl = 42;  // none
    e.nTxFIFO = e.nRxFIFO = 7;

    ASSERT_EQ(openPort2(), device);
    EXPECT_TRUE(messages.messages().empty());
    EXPECT_EQ(device->appliedState.baudRate, 921600u);
    EXPECT_EQ(device->requests.at(0).block, (std::vector<std::uint8_t>{0xF3, 63, 63, 16, 0, 0x20, 0}));
}

}  // namespace
