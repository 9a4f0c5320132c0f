// Opening COM names through the routing back end: to a tty device, or to the simulated
// card, with the extras each port honours.

#include <gtest/gtest.h>

#include "platform/com_port_backend.h"
#include "support/pty_pair.h"

using namespace brenmoor;
using namespace brenmoor::platform;
using namespace std::chrono_literals;

namespace {

TEST(ComPortBackend, AnOverriddenPortOpensItsDeviceAndShowsItsExtrasOnceOpened) {
    test::PtyPair pty;
    ComResolver resolver;
    resolver.setOverride({4, pty.slavePath()});
    ComPortBackend backend(resolver);
    EXPECT_EQ(backend.extras(4), std::nullopt) << "unknown before the port was opened";

    OpenError error;
    SerialHandle device = backend.open("COM4", error);
    ASSERT_NE(device, nullptr) << error.detail;
    const std::vector<std::uint8_t> bytes{'C', 'O', 'M', '4'};
    std::size_t done = 0;
    ASSERT_EQ(device->write(bytes.data(), bytes.size(), 1000ms, done), IoStatus::Completed);
    EXPECT_EQ(pty.receive(bytes.size(), 5000ms), bytes);
    EXPECT_EQ(backend.extras(4), DeviceExtras{});
    EXPECT_FALSE(backend.simulatedCard().isOpen(4));
}

TEST(ComPortBackend, APortWithoutOverrideGoesToItsTtySNode) {
    ComPortBackend backend{ComResolver{}};
    OpenError error;
    EXPECT_EQ(backend.open("\\\\.\\COM200", error), nullptr);
    EXPECT_EQ(error.kind, OpenFailure::Absent);
    EXPECT_NE(error.detail.find("/dev/ttyS199"), std::string::npos) << error.detail;
}

TEST(ComPortBackend, TheSimulatedCardAnswersEveryComNumber) {
    ComResolver resolver;
    resolver.setOverride({10, "/dev/ttyUSB0"});
    resolver.useSimulatedCard(true);
    ComPortBackend backend(resolver);
    OpenError error;
    SerialHandle device = backend.open("\\\\.\\COM10", error);
    ASSERT_NE(device, nullptr) << error.detail;
    EXPECT_TRUE(backend.simulatedCard().isOpen(10));
    EXPECT_EQ(backend.extras(10), kEveryExtra);
}

TEST(ComPortBackend, ANameThatIsNoComPortIsAbsent) {
    ComPortBackend backend{ComResolver{}};
    OpenError error;
    EXPECT_EQ(backend.open("/dev/ttyS0", error), nullptr);
    EXPECT_EQ(error.kind, OpenFailure::Absent);
}

TEST(DeviceExtras, AreListedByNameOrSaidToBeNone) {
    EXPECT_EQ(describeExtras({}), "none of the card's extras");
    DeviceExtras some;
    some.internalLoopback = true;
    some.receiveTrigger = true;
    EXPECT_EQ(describeExtras(some), "internal loopback, receive trigger");
    EXPECT_EQ(describeExtras(kEveryExtra),
              "internal loopback, RS-485, infrared, receive trigger, transmit trigger, DTR/RTS hysteresis");
}

}  // namespace
