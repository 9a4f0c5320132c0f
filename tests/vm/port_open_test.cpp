// What a port open says about a real UART: the rate it keeps and the extras it honours.
// QEMU's cards, like any card with a 1.8432 MHz clock, do not take 230400 bit/s and above:
// the kernel keeps the old rate. The 8250 driver loops back, and answers a request for the
// RS-485 state but refuses to set it. Run in the guest on BRENMOOR_UART, a port with no
// cable, tested on internal loopback.

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ostream>

#include "guest_session.h"
#include "platform/com_names.h"

namespace brenmoor::vm {
namespace {

using namespace std::chrono_literals;

// The port index BRENMOOR_UART names, or -1 with the reason to skip.
int portUnderTest(std::string& reason) {
    const char* uart = std::getenv("BRENMOOR_UART");
    if (!uart) reason = "BRENMOOR_UART is set only by the guest bench";
    for (int p = 0; uart && p < config::kPortCount; ++p)
        if (guestDevice(p) == uart) return p;
    if (uart) reason = std::string(uart) + " is none of the guest's UARTs";
    return -1;
}

// Leaves the port's tty at `speed`, as an earlier program would; the kernel keeps a
// serial port's settings between opens.
void leavePortAt(const std::string& path, speed_t speed) {
    const int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(fd, 0) << path << ": " << std::strerror(errno);
    termios line{};
    ASSERT_EQ(tcgetattr(fd, &line), 0);
    cfsetspeed(&line, speed);
    ASSERT_EQ(tcsetattr(fd, TCSANOW, &line), 0) << std::strerror(errno);
    close(fd);
}

struct OpenCase {
    const char* name;
    speed_t leftAt;      // the tty's rate before the session
    int baudPosition;    // the rate asked for, as its position in the list
    bool reported;       // whether the open shows a box for it
    const char* words[3];  // what the box must name
};

void PrintTo(const OpenCase& c, std::ostream* os) { *os << c.name; }

class GuestPortOpen : public ::testing::TestWithParam<OpenCase> {};

TEST_P(GuestPortOpen, TheOpenSaysWhatTheRateIsAndGoesOn) {
    std::string reason;
    const int port = portUnderTest(reason);
    if (port < 0) GTEST_SKIP() << reason;
    const OpenCase& c = GetParam();
    leavePortAt(guestDevice(port), c.leftAt);

    GuestSession guest({port});
    guest.tables.m_PortRegistry[port].nBaud = c.baudPosition;
    ASSERT_TRUE(guest.start({port})) << "the session did not start";
    std::this_thread::sleep_for(2s);
    const int com = GuestSession::com(port);
    guest.stopAndDrain(10s);
    ASSERT_TRUE(guest.finish(30s)) << "a worker thread did not end";

    const std::vector<platform::MessageBoxRequest> boxes = guest.messages.messages();
    if (!c.reported) {
        EXPECT_EQ(guest.messages.texts(), std::vector<std::string>{});
    } else {
        ASSERT_EQ(boxes.size(), 1u) << ::testing::PrintToString(guest.messages.texts());
        EXPECT_EQ(boxes[0].caption, "ERROR");
        for (const char* word : c.words)
            EXPECT_NE(boxes[0].text.find(word), std::string::npos) << "no \"" << word << "\" in: " << boxes[0].text;
    }
    // The open went on: the port ran and its bytes came back.
    EXPECT_GT(guest.tally.traffic(com).written.size(), 0u);
    EXPECT_EQ(guest.tally.traffic(com).read, guest.tally.traffic(com).written);
}

INSTANTIATE_TEST_SUITE_P(
    Rates, GuestPortOpen,
    ::testing::Values(
        OpenCase{"RefusedRate", B9600, 11, true, {"COM4", "230400", "9600"}},
        OpenCase{"LeftOutsideTheList", B50, 6, false, {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(GuestPortExtras, OnlyTheExtrasTheUartHonoursAreListed) {
    std::string reason;
    const int port = portUnderTest(reason);
    if (port < 0) GTEST_SKIP() << reason;
    platform::ComPortBackend devices{guestResolver()};
    const int com = GuestSession::com(port);
    platform::OpenError error;
    const platform::SerialHandle device = devices.open(platform::comDeviceName(com), error);
    ASSERT_NE(device, nullptr) << error.detail;
    const std::optional<platform::DeviceExtras> extras = devices.extras(com);
    ASSERT_TRUE(extras.has_value());
    EXPECT_TRUE(extras->internalLoopback) << platform::describeExtras(*extras);
    EXPECT_FALSE(extras->rs485) << platform::describeExtras(*extras);
    EXPECT_FALSE(extras->infrared) << platform::describeExtras(*extras);
    device->close();
}

}  // namespace
}  // namespace brenmoor::vm
