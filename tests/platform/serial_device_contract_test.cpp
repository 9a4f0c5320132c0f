// What every serial back end promises its callers: the receive wait, bounded reads and
// writes, hang-up and close. Each case runs on every rig of device_rigs.h; a rig that
// cannot run here is skipped with its reason.

#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <numeric>
#include <thread>

#include "device_rigs.h"
#include "support/thread_state.h"

using namespace brenmoor;
using namespace std::chrono_literals;
using platform::IoStatus;
using platform::kEvRxChar;
using platform::SerialHandle;
using platform::WaitStatus;

namespace {

template <typename Rig>
class SerialDeviceContract : public ::testing::Test {
protected:
    void SetUp() override {
        if (const std::string reason = rig.unavailable(); !reason.empty()) GTEST_SKIP() << reason;
        platform::OpenError error;
        device = rig.open(error);
        ASSERT_NE(device, nullptr) << error.detail;
    }

    // Starts a thread blocked in waitEvent and returns once it is asleep in there.
    std::future<std::pair<WaitStatus, std::uint32_t>> pendingWait() {
        std::promise<pid_t> started;
        auto tid = started.get_future();
        auto result = std::async(std::launch::async, [this, &started] {
            started.set_value(test::currentThreadId());
            std::uint32_t occurred = 0xFFFF;
            const WaitStatus status = device->waitEvent(occurred);
            return std::make_pair(status, occurred);
        });
        EXPECT_TRUE(test::waitUntilAsleep(tid.get()));
        return result;
    }

    // The pending wait's result, waited for a few seconds at most: a wait that does not
    // end is released by closing the device, so the case fails instead of hanging.
    std::pair<WaitStatus, std::uint32_t> finish(std::future<std::pair<WaitStatus, std::uint32_t>>& wait) {
        if (wait.wait_for(5s) != std::future_status::ready) {
            ADD_FAILURE() << "the wait did not end";
            device->close();
        }
        return wait.get();
    }

    Rig rig;
    SerialHandle device;
};

TYPED_TEST_SUITE(SerialDeviceContract, test::DeviceRigs, test::RigNames);

TYPED_TEST(SerialDeviceContract, WaitIsRefusedWithoutMaskAndLevelTriggeredWithOne) {
    auto& device = *this->device;
    std::uint32_t occurred = 0xFFFF;
    EXPECT_EQ(device.waitEvent(occurred), WaitStatus::Refused);

    this->rig.send({1, 2, 3});
    ASSERT_EQ(test::waitForBytesWaiting(device, 3), 3u);
    ASSERT_TRUE(device.setEventMask(kEvRxChar));
    // Characters that arrived before the mask was set complete the wait, and keep
    // completing it for as long as they are waiting.
    for (int pass = 0; pass < 2; ++pass) {
        occurred = 0;
        EXPECT_EQ(device.waitEvent(occurred), WaitStatus::Completed);
        EXPECT_EQ(occurred, kEvRxChar);
    }
}

TYPED_TEST(SerialDeviceContract, ArrivingCharactersCompleteAPendingWait) {
    ASSERT_TRUE(this->device->setEventMask(kEvRxChar));
    auto wait = this->pendingWait();
    this->rig.send({0x41});
    const auto [status, occurred] = this->finish(wait);
    EXPECT_EQ(status, WaitStatus::Completed);
    EXPECT_EQ(occurred, kEvRxChar);
}

TYPED_TEST(SerialDeviceContract, ClearingTheMaskFromAnotherThreadEndsAPendingWait) {
    auto& device = *this->device;
    ASSERT_TRUE(device.setEventMask(kEvRxChar));
    auto wait = this->pendingWait();
    ASSERT_TRUE(device.setEventMask(0));
    const auto [status, occurred] = this->finish(wait);
    EXPECT_EQ(status, WaitStatus::Completed);
    EXPECT_EQ(occurred, 0u);
    std::uint32_t again = 0xFFFF;
    EXPECT_EQ(device.waitEvent(again), WaitStatus::Refused);
}

TYPED_TEST(SerialDeviceContract, ClosingFromAnotherThreadEndsAPendingWait) {
    ASSERT_TRUE(this->device->setEventMask(kEvRxChar));
    auto wait = this->pendingWait();
    this->device->close();
    const auto [status, occurred] = this->finish(wait);
    EXPECT_NE(status, WaitStatus::DeviceGone);
    EXPECT_EQ(occurred, 0u);
}

TYPED_TEST(SerialDeviceContract, ReadTakesWhatIsAskedAndLeavesTheRestWaiting) {
    auto& device = *this->device;
    std::vector<std::uint8_t> sent(451);
    std::iota(sent.begin(), sent.end(), std::uint8_t{0});
    this->rig.send(sent);
    ASSERT_EQ(test::waitForBytesWaiting(device, 451), 451u);

    std::vector<std::uint8_t> buffer(451);
    std::size_t done = 0;
    ASSERT_EQ(device.read(buffer.data(), 450, 100ms, done), IoStatus::Completed);
    ASSERT_EQ(done, 450u);
    EXPECT_TRUE(std::equal(buffer.begin(), buffer.begin() + 450, sent.begin()));

    std::uint32_t waiting = 0;
    ASSERT_TRUE(device.clearErrors(waiting));
    EXPECT_EQ(waiting, 1u);
    ASSERT_EQ(device.read(buffer.data(), 1, 100ms, done), IoStatus::Completed);
    EXPECT_EQ(done, 1u);
    EXPECT_EQ(buffer[0], sent[450]);
}

TYPED_TEST(SerialDeviceContract, WritesReachTheFarEndAndAnEmptyWriteCompletesAtOnce) {
    auto& device = *this->device;
    std::size_t done = 99;
    EXPECT_EQ(device.write(nullptr, 0, 0ms, done), IoStatus::Completed);
    EXPECT_EQ(done, 0u);

    const std::vector<std::uint8_t> hello{'h', 'e', 'l', 'l', 'o'};
    ASSERT_EQ(device.write(hello.data(), hello.size(), 1000ms, done), IoStatus::Completed);
    EXPECT_EQ(done, hello.size());
    EXPECT_EQ(this->rig.receive(hello.size()), hello);
}

TYPED_TEST(SerialDeviceContract, HangUpEndsAPendingWaitAndEveryLaterTransferFails) {
    if constexpr (!TypeParam::kCanHangUp) {
        GTEST_SKIP() << "this device cannot be hung up";
    } else {
        auto& device = *this->device;
        ASSERT_TRUE(device.setEventMask(kEvRxChar));
        auto wait = this->pendingWait();
        this->rig.unplug();
        EXPECT_EQ(this->finish(wait).first, WaitStatus::DeviceGone);
        EXPECT_TRUE(device.isGone());

        // Later waits report it again at once rather than blocking or retrying.
        for (int pass = 0; pass < 3; ++pass) {
            std::uint32_t occurred = 0;
            EXPECT_EQ(device.waitEvent(occurred), WaitStatus::DeviceGone);
        }
        std::uint8_t byte = 'x';
        std::size_t done = 0;
        EXPECT_EQ(device.write(&byte, 1, 100ms, done), IoStatus::Failed);
        EXPECT_EQ(device.read(&byte, 1, 100ms, done), IoStatus::Failed);
    }
}

TYPED_TEST(SerialDeviceContract, ASecondOpenIsBusyUntilTheFirstIsClosed) {
    platform::OpenError error;
    EXPECT_EQ(this->rig.open(error), nullptr);
    EXPECT_EQ(error.kind, platform::OpenFailure::Busy);

    this->device->close();
    EXPECT_TRUE(this->device->isClosed());
    SerialHandle again = this->rig.open(error);
    EXPECT_NE(again, nullptr) << error.detail;
}

TYPED_TEST(SerialDeviceContract, AClosedHandleFailsEveryCallAtOnce) {
    auto& device = *this->device;
    device.close();
    std::uint8_t byte = 'x';
    std::size_t done = 0;
    std::uint32_t value = 0;
    platform::LineState line;
    EXPECT_FALSE(device.setupQueues(4096, 4096));
    EXPECT_FALSE(device.getLineState(line));
    EXPECT_FALSE(device.setLineState(line));
    EXPECT_FALSE(device.setTimeouts({}));
    EXPECT_FALSE(device.purge(0x0F));
    EXPECT_FALSE(device.setEventMask(kEvRxChar));
    EXPECT_EQ(device.waitEvent(value), WaitStatus::Refused);
    EXPECT_FALSE(device.clearErrors(value));
    EXPECT_EQ(device.write(&byte, 1, 100ms, done), IoStatus::Failed);
    EXPECT_EQ(device.read(&byte, 1, 100ms, done), IoStatus::Failed);
    const std::uint8_t block[7] = {};
    EXPECT_FALSE(device.deviceControl(platform::IOCTL_SET_LOOPBACK, block, sizeof block));
}

}  // namespace
