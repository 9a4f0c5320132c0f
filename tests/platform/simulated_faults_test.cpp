// The simulated card's injected faults, its queues and the driver requests it honours.

#include <gtest/gtest.h>

#include "platform/driver_requests.h"
#include "platform/simulated_card.h"

using namespace brenmoor::platform;
using namespace std::chrono_literals;

namespace {

class SimulatedFaults : public ::testing::Test {
protected:
    SerialHandle open(const std::string& name) {
        OpenError error;
        SerialHandle device = card.open(name, error);
        EXPECT_NE(device, nullptr) << error.detail;
        return device;
    }

    OpenFailure openFailure(const std::string& name) {
        OpenError error;
        SerialHandle device = card.open(name, error);
        EXPECT_EQ(device, nullptr);
        return error.kind;
    }

    SimulatedCard card;
};

TEST_F(SimulatedFaults, EveryComNameFormOpensItsOwnPortAndOthersAreAbsent) {
    SerialHandle com9 = open("COM9");
    SerialHandle com10 = open("\\\\.\\COM10");
    ASSERT_NE(com9, nullptr);
    ASSERT_NE(com10, nullptr);
    EXPECT_TRUE(card.isOpen(9));
    EXPECT_TRUE(card.isOpen(10));
    EXPECT_EQ(openFailure("LPT1"), OpenFailure::Absent);
    EXPECT_EQ(openFailure("COM0"), OpenFailure::Absent);
}

TEST_F(SimulatedFaults, AbsentAndBusyPortsRefuseToOpenUntilTheFaultIsCleared) {
    card.setAbsent(2, true);
    card.setBusy(3, true);
    EXPECT_EQ(openFailure("COM2"), OpenFailure::Absent);
    EXPECT_EQ(openFailure("COM3"), OpenFailure::Busy);
    card.setAbsent(2, false);
    card.setBusy(3, false);
    EXPECT_NE(open("COM2"), nullptr);
    EXPECT_NE(open("COM3"), nullptr);
}

TEST_F(SimulatedFaults, AHungUpPortStaysAbsentUntilPluggedBackIn) {
    SerialHandle first = open("COM4");
    card.hangUp(4);
    EXPECT_TRUE(first->isGone());
    EXPECT_EQ(openFailure("COM4"), OpenFailure::Absent);
    card.setAbsent(4, false);
    SerialHandle second = open("COM4");
    ASSERT_NE(second, nullptr);
    EXPECT_FALSE(second->isGone());
    EXPECT_TRUE(first->isGone()) << "the old handle never reaches the new open";
}

TEST_F(SimulatedFaults, RefusedRequestsFailPerCodeOrAll) {
    SerialHandle device = open("COM1");
    const std::uint8_t block[kUartOptionBlockSize] = {kFlowCodeNone, 0, 1, 0, 0, 0, 0};
    card.setRequestRefused(1, IOCTL_SET_UART_OPTIONS, true);
    EXPECT_FALSE(device->deviceControl(IOCTL_SET_UART_OPTIONS, block, sizeof block));
    EXPECT_TRUE(device->deviceControl(IOCTL_SET_LOOPBACK, block, sizeof block));
    EXPECT_FALSE(card.uartOptions(1).has_value()) << "a refused block is not taken";

    card.setRequestRefused(1, IOCTL_SET_UART_OPTIONS, false);
    card.setAllRequestsRefused(1, true);
    EXPECT_FALSE(device->deviceControl(IOCTL_SET_UART_OPTIONS, block, sizeof block));
    EXPECT_FALSE(device->deviceControl(IOCTL_SET_LOOPBACK, block, sizeof block));
    card.setAllRequestsRefused(1, false);
    EXPECT_TRUE(device->deviceControl(IOCTL_SET_UART_OPTIONS, block, sizeof block));
}

TEST_F(SimulatedFaults, TheOptionBlockIsStoredAsSentAndItsLoopbackByteApplies) {
    SerialHandle device = open("COM1");
    const UartOptionBytes block = {kFlowCodeHardware, 63, 63, 16, kLoopbackOn, kFeatureOn, kFeatureOn};
    ASSERT_TRUE(device->deviceControl(IOCTL_SET_UART_OPTIONS, block.data(), block.size()));
    EXPECT_EQ(card.uartOptions(1), block);
    EXPECT_TRUE(card.internalLoopback(1));

    EXPECT_FALSE(device->deviceControl(IOCTL_SET_UART_OPTIONS, block.data(), block.size() - 1)) << "short block";
    EXPECT_FALSE(device->deviceControl(0x80052028, block.data(), block.size())) << "unknown code";
    EXPECT_EQ(card.uartOptions(1), block);
}

TEST_F(SimulatedFaults, AReadErrorFailsReadsButKeepsTheCharacters) {
    SerialHandle device = open("COM1");
    ASSERT_EQ(card.inject(1, {'a', 'b'}), 2u);
    card.setReadError(1, true);
    std::uint8_t buffer[2] = {};
    std::size_t done = 0;
    EXPECT_EQ(device->read(buffer, 2, 100ms, done), IoStatus::Failed);
    std::uint32_t waiting = 0;
    ASSERT_TRUE(device->clearErrors(waiting));
    EXPECT_EQ(waiting, 2u);

    card.setReadError(1, false);
    ASSERT_EQ(device->read(buffer, 2, 100ms, done), IoStatus::Completed);
    EXPECT_EQ(buffer[0], 'a');
    EXPECT_EQ(buffer[1], 'b');
}

TEST_F(SimulatedFaults, QueueSizesAreHeldUpToTheModelsLimit) {
    SerialHandle device = open("COM1");
    EXPECT_TRUE(device->setupQueues(kSimulatedMaxQueue, kSimulatedMaxQueue));
    EXPECT_FALSE(device->setupQueues(kSimulatedMaxQueue + 1, 4096));
    EXPECT_FALSE(device->setupQueues(4096, 0));
    ASSERT_TRUE(device->setupQueues(4, 4096));
    EXPECT_EQ(card.inject(1, {1, 2, 3, 4, 5, 6}), 4u) << "a full input queue overruns";
}

}  // namespace
