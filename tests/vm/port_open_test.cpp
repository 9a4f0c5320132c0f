// What a port open says about a real UART: the rate it keeps and the extras it honours.
// QEMU's cards, like any card with a 1.8432 MHz clock, do not take 230400 bit/s and above:
// the kernel keeps the old rate. The 8250 driver loops back, and answers a request for the
// RS-485 state but refuses to set it. Run in the guest on BRENMOOR_UART, a port with no
// cable, tested on internal loopback; the receive trigger's udev rule (BRENMOOR_TRIGGER_RULE)
// is run for that port and not for BRENMOOR_UART_PEER.

#include <fcntl.h>
#include <grp.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ostream>
#include <regex>

#include "guest_session.h"
#include "platform/com_names.h"
#include "support/as_nobody.h"
#include "support/file_contents.h"

namespace brenmoor::vm {
namespace {

using namespace std::chrono_literals;

// The port index the environment variable names, or -1 with the reason to skip.
int portNamedBy(const char* variable, std::string& reason) {
    const char* uart = std::getenv(variable);
    if (!uart) reason = std::string(variable) + " is set only by the guest bench";
    for (int p = 0; uart && p < config::kPortCount; ++p)
        if (guestDevice(p) == uart) return p;
    if (uart) reason = std::string(uart) + " is none of the guest's UARTs";
    return -1;
}

int portUnderTest(std::string& reason) { return portNamedBy("BRENMOOR_UART", reason); }

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

// Runs the commands of the udev rule's RUN keys for `device`, as udev does when the port
// appears: %p is the device's path under /sys. Returns what went wrong, if anything.
std::string runUdevRule(const std::string& ruleFile, const std::string& device) {
    char* real = ::realpath(("/sys/class/tty/" + device.substr(device.rfind('/') + 1)).c_str(), nullptr);
    if (!real) return "no sysfs entry for " + device;
    const std::string devpath = std::string(real).substr(std::strlen("/sys"));
    std::free(real);
    const std::regex runKey(R"re(RUN\+="([^"]*)")re");
    const std::string rules = test::readFile(ruleFile);
    int commands = 0;
    for (auto match = std::sregex_iterator(rules.begin(), rules.end(), runKey); match != std::sregex_iterator(); ++match) {
        const std::string command = std::regex_replace((*match)[1].str(), std::regex("%p"), devpath);
        if (std::system(command.c_str()) != 0) return "the rule's command failed: " + command;
        ++commands;
    }
    return commands ? std::string() : ruleFile + " holds no RUN key";
}

// A port node as Debian's udev leaves it: the dialout group's, for it alone to open.
class DialoutNode {
public:
    DialoutNode(const std::string& path, gid_t dialout) : path_(path) {
        struct stat node {};
        ok_ = ::stat(path.c_str(), &node) == 0 && ::chown(path.c_str(), 0, dialout) == 0 &&
              ::chmod(path.c_str(), 0660) == 0;
        mode_ = node.st_mode & 07777;
        group_ = node.st_gid;
    }
    ~DialoutNode() {
        if (::chown(path_.c_str(), 0, group_) != 0 || ::chmod(path_.c_str(), mode_) != 0)
            ADD_FAILURE() << path_ << " was not given back its owner and mode";
    }
    bool ok() const { return ok_; }

private:
    std::string path_;
    mode_t mode_ = 0;
    gid_t group_ = 0;
    bool ok_ = false;
};

// Only root may write a port's receive trigger level; the package's udev rule gives it to
// the dialout group. A member who is not root then has the trigger listed among the port's
// extras (the level written back) on the port the rule ran for, and not on another.
TEST(GuestPortExtras, TheUdevRuleGivesTheReceiveTriggerToTheDialoutGroup) {
    std::string reason;
    const int ruled = portUnderTest(reason);
    const int unruled = portNamedBy("BRENMOOR_UART_PEER", reason);
    const char* ruleFile = std::getenv("BRENMOOR_TRIGGER_RULE");
    if (ruled < 0 || unruled < 0 || !ruleFile) GTEST_SKIP() << (ruleFile ? reason : "BRENMOOR_TRIGGER_RULE is not set");
    if (::geteuid() != 0) GTEST_SKIP() << "needs root, to run the rule and hand the ports to another user";
    const group* dialout = ::getgrnam("dialout");
    ASSERT_NE(dialout, nullptr) << "the guest has no dialout group";
    const gid_t dialoutGid = dialout->gr_gid;
    DialoutNode ruledNode(guestDevice(ruled), dialoutGid);
    DialoutNode unruledNode(guestDevice(unruled), dialoutGid);
    ASSERT_TRUE(ruledNode.ok() && unruledNode.ok()) << std::strerror(errno);

    ASSERT_EQ(runUdevRule(ruleFile, guestDevice(ruled)), "");
    const std::string listed = test::runAsNobody([&] {
        std::string text;
        platform::ComPortBackend devices{guestResolver()};
        for (const int port : {ruled, unruled}) {
            const int com = GuestSession::com(port);
            platform::OpenError error;
            const platform::SerialHandle device = devices.open(platform::comDeviceName(com), error);
            if (!device) return guestDevice(port) + " did not open: " + error.detail;
            const std::optional<platform::DeviceExtras> extras = devices.extras(com);
            text += guestDevice(port) + (extras && extras->receiveTrigger ? ": trigger " : ": no trigger ");
            device->close();
        }
        return text;
    }, {dialoutGid});
    EXPECT_EQ(listed, guestDevice(ruled) + ": trigger " + guestDevice(unruled) + ": no trigger ");
}

}  // namespace
}  // namespace brenmoor::vm
