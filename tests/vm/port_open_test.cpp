// What a session's port open says about the rate a real UART keeps. QEMU's cards, like any
// card with a 1.8432 MHz clock, do not take 230400 bit/s and above: the kernel keeps the
// old rate. Run in the guest on BRENMOOR_UART, a port with no cable, tested on internal
// loopback.

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ostream>

#include "guest_session.h"

namespace brenmoor::vm {
namespace {

using namespace std::chrono_literals;

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
    const char* uart = std::getenv("BRENMOOR_UART");
    if (!uart) GTEST_SKIP() << "BRENMOOR_UART is set only by the guest bench";
    int port = -1;
    for (int p = 0; p < config::kPortCount; ++p)
        if (guestDevice(p) == uart) port = p;
    ASSERT_GE(port, 0) << uart << " is none of the guest's UARTs";
    const OpenCase& c = GetParam();
    leavePortAt(uart, c.leftAt);

    GuestSession guest({port});
    guest.tables.m_PortRegistry[port].nBaud = c.baudPosition;
    ASSERT_TRUE(guest.start({port})) << "the session did not start";
    std::this_thread::sleep_for(2s);
    const int com = GuestSession::com(port);
    std::vector<std::size_t> expected(config::kPortCount);
    expected[port] = guest.tally.written(com).size();
    guest.stopAndDrain(expected, 10s);
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
    EXPECT_GT(expected[port], 0u);
    EXPECT_EQ(guest.tally.read(com), guest.tally.written(com));
}

INSTANTIATE_TEST_SUITE_P(
    Rates, GuestPortOpen,
    ::testing::Values(
        OpenCase{"RefusedRate", B9600, 11, true, {"COM4", "230400", "9600"}},
        OpenCase{"LeftOutsideTheList", B50, 6, false, {}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace brenmoor::vm
