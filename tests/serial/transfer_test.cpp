#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <numeric>
#include <string>
#include <vector>

#include "serial/fake_serial.h"
#include "serial/serial_port.h"
#include "support/recording_message_sink.h"

namespace {

using namespace std::chrono_literals;
using brenmoor::platform::IoStatus;
using brenmoor::platform::MessageBoxRequest;
using brenmoor::platform::MessageIcon;
using brenmoor::platform::MessageOwner;
using brenmoor::platform::SerialHandle;
using brenmoor::serial::CSerialPort;
using brenmoor::test::FakeSerialDevice;
using brenmoor::test::RecordingMessageSink;

const MessageBoxRequest kWriteFailed{"Unable to Write to the comm port", "Write Error", MessageIcon::None,
                                     MessageOwner::MainWindow};
const MessageBoxRequest kWriteTimeout{"Write Timeout", "Write Error", MessageIcon::None, MessageOwner::MainWindow};
const MessageBoxRequest kReadFailed{"Unable to Read to the comm port", "Read Error", MessageIcon::None,
                                    MessageOwner::MainWindow};

class Transfer : public testing::Test {
protected:
    Transfer() { port.Attach(device); }

    std::shared_ptr<FakeSerialDevice> device = std::make_shared<FakeSerialDevice>();
    RecordingMessageSink messages;
    CSerialPort port{messages, 25ms};
};

TEST_F(Transfer, WriteHandsThePacketToTheDeviceWithinTheTransferLimit) {
    const std::uint8_t packet[] = {'a', 'b', '\r', '\n'};
    EXPECT_TRUE(port.Write(packet, sizeof packet));
    EXPECT_EQ(device->written, (std::vector<std::uint8_t>{'a', 'b', '\r', '\n'}));
    EXPECT_EQ(device->lastLimit, 25ms);
    EXPECT_TRUE(messages.messages().empty());
}

TEST_F(Transfer, WriteOfNothingCompletesAtOnce) {
    device->writeResult = IoStatus::Failed;
    const std::uint8_t none[1] = {};
    EXPECT_TRUE(port.Write(none, 0));
    EXPECT_TRUE(device->calls.empty());
    EXPECT_TRUE(messages.messages().empty());
}

TEST_F(Transfer, FailedWriteReportsWhatHappened) {
    const std::uint8_t packet[] = {'x'};
    const std::pair<IoStatus, MessageBoxRequest> cases[] = {
        {IoStatus::TimedOut, kWriteTimeout},
        {IoStatus::Failed, kWriteFailed},
    };
    for (const auto& [status, message] : cases) {
        SCOPED_TRACE(message.text);
        device->writeResult = status;
        messages.clear();
        EXPECT_FALSE(port.Write(packet, 1));
        EXPECT_EQ(messages.messages(), std::vector<MessageBoxRequest>{message});
    }
}

TEST_F(Transfer, PortNotOpenFailsWithoutReachingTheDevice) {
    device->input = {1, 2, 3};
    device->close();
    const SerialHandle handles[] = {nullptr, device};
    for (const auto& handle : handles) {
        SCOPED_TRACE(handle ? "closed handle" : "null handle");
        port.Attach(handle);
        messages.clear();
        const std::uint8_t packet[] = {'x'};
        EXPECT_FALSE(port.Write(packet, 1));
        EXPECT_FALSE(port.Write(packet, 0));
        std::uint8_t buffer[450];
        std::uint32_t count = 77;
        EXPECT_FALSE(port.Read(buffer, count));
        EXPECT_EQ(count, 77u);
        EXPECT_EQ(messages.messages(), (std::vector<MessageBoxRequest>{kWriteFailed, kWriteFailed, kReadFailed}));
    }
    EXPECT_TRUE(device->calls.empty());
}

TEST_F(Transfer, ReadTakesAtMost450AndLeavesTheRestQueued) {
    device->input.resize(451);
    std::iota(device->input.begin(), device->input.end(), std::uint8_t{0});
    std::vector<std::uint8_t> buffer(450, 0xEE);
    std::uint32_t count = 0;

    ASSERT_TRUE(port.Read(buffer.data(), count));
    EXPECT_EQ(count, 450u);
    for (std::size_t i = 0; i < 450; ++i) ASSERT_EQ(buffer[i], static_cast<std::uint8_t>(i)) << i;
    EXPECT_EQ(device->input.size(), 1u);

    ASSERT_TRUE(port.Read(buffer.data(), count));
    EXPECT_EQ(count, 1u);
    EXPECT_EQ(buffer[0], static_cast<std::uint8_t>(450));
    EXPECT_EQ(device->lastLimit, 25ms);
    EXPECT_TRUE(messages.messages().empty());
}

TEST_F(Transfer, ReadWithNothingWaitingIsSilentAndLeavesTheCount) {
    std::uint8_t buffer[450];
    std::uint32_t count = 77;
    EXPECT_FALSE(port.Read(buffer, count));
    EXPECT_EQ(count, 77u);
    EXPECT_EQ(device->calls, std::vector<std::string>{"clearErrors"});
    EXPECT_TRUE(messages.messages().empty());
}

TEST_F(Transfer, FailedReadIsReportedAndLeavesTheCount) {
    struct Case {
        std::string name;
        bool clearErrors;
        IoStatus read;
    };
    const Case cases[] = {
        {"read fails", true, IoStatus::Failed},
        {"read times out", true, IoStatus::TimedOut},
        {"queue not readable", false, IoStatus::Completed},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        device->input = {1, 2, 3};
        device->clearErrorsResult = c.clearErrors;
        device->readResult = c.read;
        messages.clear();
        std::uint8_t buffer[450];
        std::uint32_t count = 77;
        EXPECT_FALSE(port.Read(buffer, count));
        EXPECT_EQ(count, 77u);
        EXPECT_EQ(messages.messages(), std::vector<MessageBoxRequest>{kReadFailed});
    }
}

}  // namespace
