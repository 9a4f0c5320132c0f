// What the tool leaves behind on a real UART, and what another user sees of a port it
// holds. Run as root in the guest on BRENMOOR_UART; the cases that depend on the exclusive
// lock run in a child that has dropped to an unprivileged user, since root ignores it.

#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/driver_requests.h"
#include "platform/posix_serial_backend.h"
#include "support/as_nobody.h"

namespace brenmoor::vm {
namespace {

// The modem control loop bit (TIOCM_LOOP in the kernel's headers; glibc's leave it out).
constexpr int kLoopBit = 0x8000;

std::string describe(const platform::OpenError& error) {
    return "kind " + std::to_string(static_cast<int>(error.kind)) + ": " + error.detail;
}

class GuestPortState : public ::testing::Test {
protected:
    void SetUp() override {
        const char* uart = std::getenv("BRENMOOR_UART");
        if (!uart) GTEST_SKIP() << "BRENMOOR_UART is set only by the guest bench";
        if (geteuid() != 0) GTEST_SKIP() << "needs root, to hand the port to another user";
        path = uart;
        // Anyone may open the node, so only the exclusive lock keeps another user out.
        ASSERT_EQ(chmod(path.c_str(), 0666), 0) << std::strerror(errno);
    }

    // A plain descriptor on the port, as another program would hold it.
    int openPlain() {
        const int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        EXPECT_GE(fd, 0) << std::strerror(errno);
        return fd;
    }

    static bool loopBit(int fd) {
        int bits = 0;
        EXPECT_EQ(ioctl(fd, TIOCMGET, &bits), 0) << std::strerror(errno);
        return (bits & kLoopBit) != 0;
    }

    std::string path;
};

// While another program holds the port open, the tool's lock would outlive its close.
class ExclusiveUse : public GuestPortState, public ::testing::WithParamInterface<bool> {};

TEST_P(ExclusiveUse, AnotherUserIsBusyWhileTheToolHoldsThePortAndMayOpenItAfterTheClose) {
    const bool heldElsewhere = GetParam();
    const int other = heldElsewhere ? openPlain() : -1;
    const std::string path = this->path;
    const std::string outcome = test::runAsNobody([&path] {
        platform::PosixSerialBackend backend;
        platform::OpenError error;
        platform::SerialHandle first = backend.open(path, error);
        if (!first) return "first open failed: " + describe(error);
        if (backend.open(path, error)) return std::string("a second open succeeded while the first held the port");
        if (error.kind != platform::OpenFailure::Busy) return "a second open failed, but not as busy: " + describe(error);
        first->close();
        if (!backend.open(path, error)) return "the open after the close failed: " + describe(error);
        // A plain open by another program, too, once the tool has let go.
        const int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (fd < 0) return std::string("a plain open after the close failed: ") + std::strerror(errno);
        close(fd);
        return std::string();
    });
    if (other >= 0) close(other);
    EXPECT_EQ(outcome, "");
}

INSTANTIATE_TEST_SUITE_P(OtherHolder, ExclusiveUse, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "HeldByAnotherProgram" : "HeldByNoOther"; });

TEST_F(GuestPortState, TheLoopBitIsClearedAtOpenAndAgainAtClose) {
    // A plain descriptor held throughout watches the UART's modem control register.
    const int watch = openPlain();
    ASSERT_GE(watch, 0);
    int loop = kLoopBit;
    ASSERT_EQ(ioctl(watch, TIOCMBIS, &loop), 0) << std::strerror(errno);
    ASSERT_TRUE(loopBit(watch));

    platform::PosixSerialBackend backend;
    platform::OpenError error;
    platform::SerialHandle device = backend.open(path, error);
    ASSERT_NE(device, nullptr) << describe(error);
    EXPECT_FALSE(loopBit(watch)) << "a loop bit left by an earlier program survived the open";

    std::array<std::uint8_t, platform::kUartOptionBlockSize> block{};
    block[platform::kOptLoopback] = platform::kLoopbackOn;
    ASSERT_TRUE(device->deviceControl(platform::IOCTL_SET_LOOPBACK, block.data(), block.size()));
    EXPECT_TRUE(loopBit(watch));
    device->close();
    EXPECT_FALSE(loopBit(watch)) << "the loop bit the tool set survived its close";
    ioctl(watch, TIOCMBIC, &loop);
    close(watch);
}

}  // namespace
}  // namespace brenmoor::vm
