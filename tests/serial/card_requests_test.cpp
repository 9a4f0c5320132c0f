#include "serial/card_requests.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/driver_requests.h"
#include "serial/fake_serial.h"
#include "support/recording_message_sink.h"

namespace {

using brenmoor::config::PortRegistryEntry;
using brenmoor::platform::MessageBoxRequest;
using brenmoor::platform::MessageIcon;
using brenmoor::platform::MessageOwner;
using brenmoor::serial::buildUartOptionBlock;
using brenmoor::serial::SetLoopback;
using brenmoor::serial::UartOptionBlock;
using brenmoor::test::FakeSerialDevice;
using brenmoor::test::RecordingMessageSink;

// No flow control, transmit level 1, receive level 4, DTR hysteresis 6, RTS hysteresis 8.
PortRegistryEntry blockEntry() {
    PortRegistryEntry e;
    e.nFlowCtrl = 2;
    e.nTxTrig = 0;
    e.nRxTrig = 3;
    e.nDTR = 1;
    e.nRTS = 0;
    e.nDTRHys = 2;
    e.nRTSHys = 3;
    return e;
}

TEST(UartOptionBlock, EachByteFollowsItsField) {
    struct Case {
        std::string name;
        std::function<void(PortRegistryEntry&)> stored;
        UartOptionBlock expected;
    };
    const Case cases[] = {
        {"base record", [](auto&) {}, {0xF3, 0, 4, 6, 0, 0, 0}},
        {"hardware flow", [](auto& e) { e.nFlowCtrl = 0; }, {0xF1, 0, 4, 6, 0, 0, 0}},
        {"software flow", [](auto& e) { e.nFlowCtrl = 1; }, {0xF0, 0, 4, 6, 0, 0, 0}},
        {"flow value 7 is none", [](auto& e) { e.nFlowCtrl = 7; }, {0xF3, 0, 4, 6, 0, 0, 0}},
        {"transmit level sent as stored", [](auto& e) { e.nTxTrig = 63; }, {0xF3, 63, 4, 6, 0, 0, 0}},
        {"receive position 0", [](auto& e) { e.nRxTrig = 0; }, {0xF3, 0, 1, 6, 0, 0, 0}},
        {"receive position 62", [](auto& e) { e.nRxTrig = 62; }, {0xF3, 0, 63, 6, 0, 0, 0}},
        {"receive position 63 capped", [](auto& e) { e.nRxTrig = 63; }, {0xF3, 0, 63, 6, 0, 0, 0}},
        {"RTS chosen",
         [](auto& e) {
             e.nDTR = 0;
             e.nRTS = 1;
         },
         {0xF3, 0, 4, 8, 0, 0, 0}},
        {"any non-zero nDTR chooses DTR",
         [](auto& e) {
             e.nDTR = 2;
             e.nRTS = 1;
         },
         {0xF3, 0, 4, 6, 0, 0, 0}},
        {"RS-485 on", [](auto& e) { e.nRS485 = 1; }, {0xF3, 0, 4, 6, 0, 0x20, 0}},
        {"infrared on", [](auto& e) { e.nIR = 1; }, {0xF3, 0, 4, 6, 0, 0, 0x20}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PortRegistryEntry e = blockEntry();
        c.stored(e);
        EXPECT_EQ(buildUartOptionBlock(e), c.expected);
    }
}

TEST(UartOptionBlock, HysteresisTableByPosition) {
    const std::uint8_t levels[] = {0, 4, 6, 8, 16};
    for (int position = 0; position < 5; ++position) {
        SCOPED_TRACE("position " + std::to_string(position));
        PortRegistryEntry dtr = blockEntry();
        dtr.nDTRHys = position;
        dtr.nRTSHys = 4 - position;
        EXPECT_EQ(buildUartOptionBlock(dtr)[brenmoor::platform::kOptHysteresis], levels[position]);

        PortRegistryEntry rts = dtr;
        rts.nDTR = 0;
        rts.nRTSHys = position;
        rts.nDTRHys = 4 - position;
        EXPECT_EQ(buildUartOptionBlock(rts)[brenmoor::platform::kOptHysteresis], levels[position]);
    }
}

TEST(Loopback, RequestCarriesOnlyTheLoopbackByte) {
    auto device = std::make_shared<FakeSerialDevice>();
    RecordingMessageSink messages;

    EXPECT_TRUE(SetLoopback(device, true, 3, messages));
    EXPECT_TRUE(SetLoopback(device, false, 3, messages));

    ASSERT_EQ(device->requests.size(), 2u);
    EXPECT_EQ(device->requests[0].code, 0x80052024u);
    EXPECT_EQ(device->requests[0].block, (std::vector<std::uint8_t>{0, 0, 0, 0, 0x10, 0, 0}));
    EXPECT_EQ(device->requests[1].code, 0x80052024u);
    EXPECT_EQ(device->requests[1].block, (std::vector<std::uint8_t>(7, 0)));
    EXPECT_TRUE(messages.messages().empty());
}

TEST(Loopback, RefusedRequestNamesThePortIndex) {
    for (int port = 0; port < 8; ++port) {
        SCOPED_TRACE("port " + std::to_string(port));
        auto device = std::make_shared<FakeSerialDevice>();
        device->deviceControlResult = false;
        RecordingMessageSink messages;

        EXPECT_FALSE(SetLoopback(device, port % 2 == 0, port, messages));
        EXPECT_EQ(messages.messages(),
                  (std::vector<MessageBoxRequest>{{"Unable to set/reset Local LoopBack on port " + std::to_string(port),
                                                   "Error", MessageIcon::Warning, MessageOwner::MainWindow}}));
    }
}

TEST(Loopback, PortNotOpenFailsWithItsMessage) {
    auto closed = std::make_shared<FakeSerialDevice>();
    closed->close();
    const brenmoor::platform::SerialHandle handles[] = {nullptr, closed};
    for (const auto& handle : handles) {
        SCOPED_TRACE(handle ? "closed handle" : "null handle");
        RecordingMessageSink messages;
        EXPECT_FALSE(SetLoopback(handle, true, 5, messages));
        EXPECT_EQ(messages.texts(), std::vector<std::string>{"Unable to set/reset Local LoopBack on port 5"});
    }
    EXPECT_TRUE(closed->calls.empty());
}

}  // namespace
