// The POSIX back end on a pseudo-terminal: a real kernel tty whose settings the test can
// read back independently through the master (termios calls on a master act on its
// slave).

#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <future>
#include <ostream>

#include "platform/device_extras.h"
#include "platform/driver_requests.h"
#include "platform/line_timing.h"
#include "platform/posix_serial_backend.h"
#include "platform/transfer_bound.h"
#include "serial/serial_port.h"
#include "support/arbitrary_line_rate.h"
#include "support/as_nobody.h"
#include "support/pty_pair.h"
#include "support/temp_dir.h"
#include "support/thread_state.h"

using namespace brenmoor;
using namespace brenmoor::platform;
using namespace std::chrono_literals;

namespace {

class PosixDevice : public ::testing::Test {
protected:
    std::shared_ptr<PosixSerialDevice> open() {
        OpenError error;
        auto device = backend.openDevice(pty.slavePath(), error);
        EXPECT_NE(device, nullptr) << error.detail;
        return device;
    }

    termios kernelSettings() const {
        termios settings{};
        EXPECT_EQ(::tcgetattr(pty.masterFd(), &settings), 0);
        return settings;
    }

    test::PtyPair pty;
    PosixSerialBackend backend;
};

struct OpenFailureCase {
    const char* name;
    std::string (*path)(const test::TempDir&);
    OpenFailure kind;
    const char* reason;  // followed by the path

    friend void PrintTo(const OpenFailureCase& c, std::ostream* os) { *os << c.name; }
};

class PosixOpenFailure : public ::testing::TestWithParam<OpenFailureCase> {};

TEST_P(PosixOpenFailure, IsClassifiedAndSaysWhyForTheOperator) {
    test::TempDir dir;
    std::ofstream(dir.file("plain")) << "not a tty";
    const std::string path = GetParam().path(dir);
    OpenError error;
    EXPECT_EQ(PosixSerialBackend().open(path, error), nullptr);
    EXPECT_EQ(error.kind, GetParam().kind);
    EXPECT_EQ(error.detail, GetParam().reason + path);
}

INSTANTIATE_TEST_SUITE_P(
    Devices, PosixOpenFailure,
    ::testing::Values(
        OpenFailureCase{"Missing", [](const test::TempDir& d) { return d.file("ttyGone").string(); }, OpenFailure::Absent,
                        "No such device: "},
        OpenFailureCase{"DevNull", [](const test::TempDir&) { return std::string("/dev/null"); }, OpenFailure::NotATty,
                        "Not a serial port: "},
        OpenFailureCase{"RegularFile", [](const test::TempDir& d) { return d.file("plain").string(); },
                        OpenFailure::NotATty, "Not a serial port: "},
        OpenFailureCase{"Directory", [](const test::TempDir& d) { return d.path().string(); }, OpenFailure::NotATty,
                        "Not a serial port: "}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(PosixDevice, OpensRawWhateverStateTheTtyWasLeftIn) {
    termios cooked = kernelSettings();
    cooked.c_lflag |= ICANON | ECHO | ISIG;
    cooked.c_iflag |= ICRNL | IXON;
    cooked.c_oflag |= OPOST | ONLCR;
    cooked.c_cflag |= HUPCL;
    ASSERT_EQ(::tcsetattr(pty.masterFd(), TCSANOW, &cooked), 0);

    auto device = open();
    const termios raw = kernelSettings();
    EXPECT_EQ(raw.c_lflag & (ICANON | ECHO | ISIG), 0u);
    EXPECT_EQ(raw.c_cflag & (CLOCAL | CREAD), static_cast<tcflag_t>(CLOCAL | CREAD));
    EXPECT_EQ(raw.c_cflag & HUPCL, 0u) << "DTR and RTS must stay up after close";
    EXPECT_EQ(raw.c_cc[VMIN], 1);
    EXPECT_EQ(raw.c_cc[VTIME], 0);

    // Control characters pass both ways unchanged and nothing is echoed.
    const std::vector<std::uint8_t> controls{'a', '\r', '\n', 0x03, 0x11, 0x13, 0x00, 0xFF};
    pty.send(controls);
    std::vector<std::uint8_t> got(controls.size());
    std::size_t done = 0;
    ASSERT_EQ(device->read(got.data(), got.size(), 5000ms, done), IoStatus::Completed);
    EXPECT_EQ(got, controls);
    ASSERT_EQ(device->write(controls.data(), controls.size(), 1000ms, done), IoStatus::Completed);
    // An echo or a CR added before LF would come first or in between.
    EXPECT_EQ(pty.receive(controls.size(), 5000ms), controls);
    int more = -1;
    ASSERT_EQ(::ioctl(pty.masterFd(), FIONREAD, &more), 0);
    EXPECT_EQ(more, 0);
}

TEST_F(PosixDevice, EveryBaudRateOfTheListIsAppliedAndOthersAreRefused) {
    auto device = open();
    const std::pair<std::uint32_t, speed_t> rates[] = {
        {110, B110},       {300, B300},       {600, B600},       {1200, B1200},   {2400, B2400},
        {4800, B4800},     {9600, B9600},     {19200, B19200},   {38400, B38400}, {57600, B57600},
        {115200, B115200}, {230400, B230400}, {460800, B460800}, {921600, B921600}};
    LineState line;
    for (const auto& [baud, speed] : rates) {
        line.baudRate = baud;
        EXPECT_TRUE(device->setLineState(line)) << baud;
        const termios kernel = kernelSettings();
        EXPECT_EQ(::cfgetospeed(&kernel), speed) << baud;
        EXPECT_EQ(::cfgetispeed(&kernel), speed) << baud;
        LineState back;
        ASSERT_TRUE(device->getLineState(back));
        EXPECT_EQ(back.baudRate, baud);
    }
    line.baudRate = 12345;
    EXPECT_FALSE(device->setLineState(line));
    const termios kept = kernelSettings();
    EXPECT_EQ(::cfgetospeed(&kept), B921600) << "the old rate is kept";
}

struct FieldCase {
    const char* name;
    void (*change)(LineState&);
    tcflag_t controlFlags;  // of CSTOPB, CRTSCTS, PARODD, CMSPAR
    tcflag_t inputFlags;    // of IXON, IXOFF

    friend void PrintTo(const FieldCase& c, std::ostream* os) { *os << c.name; }
};

class PosixLineField : public PosixDevice, public ::testing::WithParamInterface<FieldCase> {};

TEST_P(PosixLineField, ReachesTheKernelAndReadsBackAsAPtyKeepsIt) {
    auto device = open();
    LineState wanted;
    GetParam().change(wanted);
    ASSERT_TRUE(device->setLineState(wanted));

    const termios kernel = kernelSettings();
    EXPECT_EQ(kernel.c_cflag & (CSTOPB | CRTSCTS | PARODD | CMSPAR), GetParam().controlFlags);
    EXPECT_EQ(kernel.c_iflag & (IXON | IXOFF), GetParam().inputFlags);
    EXPECT_EQ(kernel.c_cc[VSTART], static_cast<cc_t>(wanted.xonChar));
    EXPECT_EQ(kernel.c_cc[VSTOP], static_cast<cc_t>(wanted.xoffChar));

    // A pty forces 8 data bits and no parity whatever it is asked, yet carries whole
    // bytes either way: the state reads back as asked, so the port open does not report
    // a framing the line never had.
    EXPECT_EQ(kernel.c_cflag & (CSIZE | PARENB), static_cast<tcflag_t>(CS8));
    LineState expected = wanted;
    if (expected.stopBits == StopBits::OnePointFive && expected.byteSize != 5) expected.stopBits = StopBits::Two;
    LineState back;
    ASSERT_TRUE(device->getLineState(back));
    EXPECT_EQ(back, expected);
}

INSTANTIATE_TEST_SUITE_P(
    Fields, PosixLineField,
    ::testing::Values(
        FieldCase{"Defaults", [](LineState&) {}, 0, 0},
        FieldCase{"FiveDataBits", [](LineState& s) { s.byteSize = 5; }, 0, 0},
        FieldCase{"SixDataBits", [](LineState& s) { s.byteSize = 6; }, 0, 0},
        FieldCase{"SevenDataBits", [](LineState& s) { s.byteSize = 7; }, 0, 0},
        FieldCase{"OddParity", [](LineState& s) { s.parity = Parity::Odd; }, PARODD, 0},
        FieldCase{"EvenParity", [](LineState& s) { s.parity = Parity::Even; }, 0, 0},
        FieldCase{"MarkParity", [](LineState& s) { s.parity = Parity::Mark; }, PARODD | CMSPAR, 0},
        FieldCase{"SpaceParity", [](LineState& s) { s.parity = Parity::Space; }, CMSPAR, 0},
        FieldCase{"OnePointFiveStopBits", [](LineState& s) { s.stopBits = StopBits::OnePointFive; }, CSTOPB, 0},
        FieldCase{"FiveDataBitsOnePointFiveStopBits",
                  [](LineState& s) {
                      s.byteSize = 5;
                      s.stopBits = StopBits::OnePointFive;
                  },
                  CSTOPB, 0},
        FieldCase{"TwoStopBits", [](LineState& s) { s.stopBits = StopBits::Two; }, CSTOPB, 0},
        FieldCase{"HardwareHandshake",
                  [](LineState& s) {
                      s.outxCtsFlow = true;
                      s.rtsControl = RtsControl::Handshake;
                  },
                  CRTSCTS, 0},
        FieldCase{"XonXoff",
                  [](LineState& s) {
                      s.outX = true;
                      s.inX = true;
                      s.xonChar = 0x01;
                      s.xoffChar = 0x02;
                  },
                  0, IXON | IXOFF}),
    [](const auto& info) { return std::string(info.param.name); });

struct RequestCase {
    const char* name;
    std::uint32_t code;
    std::vector<std::uint8_t> block;
    bool succeeds;

    friend void PrintTo(const RequestCase& c, std::ostream* os) { *os << c.name; }
};

class PosixCardRequest : public PosixDevice, public ::testing::WithParamInterface<RequestCase> {};

// A pty has none of the card's extras: what is switched on fails, what is off passes.
TEST_P(PosixCardRequest, OnAPtyOnlyRequestsThatSwitchNothingOnSucceed) {
    auto device = open();
    const RequestCase& c = GetParam();
    EXPECT_EQ(device->deviceControl(c.code, c.block.data(), c.block.size()), c.succeeds);
}

INSTANTIATE_TEST_SUITE_P(
    Requests, PosixCardRequest,
    ::testing::Values(
        RequestCase{"OptionsAllOff", IOCTL_SET_UART_OPTIONS, {kFlowCodeNone, 0, 1, 0, 0, 0, 0}, true},
        RequestCase{"OptionsTriggersAndHysteresis", IOCTL_SET_UART_OPTIONS, {kFlowCodeHardware, 63, 63, 16, 0, 0, 0}, true},
        RequestCase{"OptionsLoopbackOn", IOCTL_SET_UART_OPTIONS, {kFlowCodeNone, 0, 1, 0, kLoopbackOn, 0, 0}, false},
        RequestCase{"OptionsRs485On", IOCTL_SET_UART_OPTIONS, {kFlowCodeNone, 0, 1, 0, 0, kFeatureOn, 0}, false},
        RequestCase{"OptionsInfraredOn", IOCTL_SET_UART_OPTIONS, {kFlowCodeNone, 0, 1, 0, 0, 0, kFeatureOn}, false},
        RequestCase{"LoopbackOn", IOCTL_SET_LOOPBACK, {0, 0, 0, 0, kLoopbackOn, 0, 0}, false},
        RequestCase{"LoopbackOff", IOCTL_SET_LOOPBACK, {0, 0, 0, 0, 0, 0, 0}, false},
        RequestCase{"ShortBlock", IOCTL_SET_UART_OPTIONS, {kFlowCodeNone, 0, 1, 0, 0, 0}, false},
        RequestCase{"UnknownCode", 0x80052028, {kFlowCodeNone, 0, 1, 0, 0, 0, 0}, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(PosixDevice, APtyReportsNoneOfTheCardsExtras) {
    auto device = open();
    EXPECT_EQ(device->extras(), DeviceExtras{});
    EXPECT_EQ(describeExtras(device->extras()), "none of the card's extras");
}

// Nobody reads the master, so the pty's buffers fill and the rest of the flood cannot go.
TEST_F(PosixDevice, AFloodTheFarEndDoesNotTakeGivesUpAtTheCallersLimit) {
    auto device = open();
    const std::vector<std::uint8_t> flood(1 << 20, 'F');
    std::size_t done = 0;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(device->write(flood.data(), flood.size(), 20ms, done), IoStatus::TimedOut);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 1s);
    EXPECT_GT(done, 0u);
    EXPECT_LT(done, flood.size());
    EXPECT_FALSE(device->isGone());
}

// Single bytes until the pty takes no more, as a far end that stopped reading leaves it
// (a one-byte write is never part-written); returns how many it took. The kernel moves
// bytes on to the master a moment after they are written, so the line counts as full only
// once no room has come for a while.
std::size_t fillUntilHeld(SerialDevice& device) {
    const std::uint8_t byte = 'F';
    std::size_t taken = 0;
    std::size_t done = 0;
    while (taken < (1u << 22) && device.write(&byte, 1, 200ms, done) == IoStatus::Completed) ++taken;
    return taken;
}

TEST_F(PosixDevice, AStoppedFarEndHoldsTheWriterAndItsTimeOutKeepsWhatWasQueuedBefore) {
    auto device = open();
    const std::size_t queued = fillUntilHeld(*device);
    ASSERT_GT(queued, 0u);

    // The tool's own time-outs at 9600 bit/s: the bound is a fraction of a second, far
    // below the caller's limit.
    const Timeouts timeouts = brenmoor::serial::kPortTimeouts;
    ASSERT_TRUE(device->setTimeouts(timeouts));
    ASSERT_TRUE(device->setLineState(LineState{}));
    const std::string packet = "0123456789abcdefghijklmnopqrstuvwxyz.\r\n";
    const auto bound = pacedWriteBound(10s, timeouts, characterTime(LineState{}), 0, packet.size());
    std::size_t done = 99;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(device->write(reinterpret_cast<const std::uint8_t*>(packet.data()), packet.size(), 10s, done),
              IoStatus::TimedOut);
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_GE(waited, bound);
    EXPECT_LT(waited, bound + 1s);
    EXPECT_EQ(done, 0u) << "the line never had room for the packet";

    // Every byte counted as written before still reaches the far end, and nothing of the
    // packet that timed out.
    const std::vector<std::uint8_t> arrived = pty.receive(queued + packet.size(), 500ms);
    EXPECT_EQ(arrived, std::vector<std::uint8_t>(queued, 'F'));

    ASSERT_EQ(device->write(reinterpret_cast<const std::uint8_t*>(packet.data()), packet.size(), 10s, done),
              IoStatus::Completed);
    const std::vector<std::uint8_t> next = pty.receive(packet.size(), 5s);
    EXPECT_EQ(std::string(next.begin(), next.end()), packet);
}

TEST_F(PosixDevice, ClosingEndsAHeldWriteAtOnce) {
    auto device = open();
    ASSERT_GT(fillUntilHeld(*device), 0u);
    std::promise<pid_t> started;
    auto tid = started.get_future();
    auto write = std::async(std::launch::async, [&] {
        started.set_value(test::currentThreadId());
        const std::uint8_t byte = 'x';
        std::size_t done = 0;
        return device->write(&byte, 1, 10s, done);
    });
    ASSERT_TRUE(test::waitUntilAsleep(tid.get()));
    device->close();
    ASSERT_EQ(write.wait_for(2s), std::future_status::ready);
    EXPECT_EQ(write.get(), IoStatus::Failed);
}

struct FoundRateCase {
    const char* name;
    void (*leave)(int masterFd);
    std::uint32_t baudRate;

    friend void PrintTo(const FoundRateCase& c, std::ostream* os) { *os << c.name; }
};

class PosixFoundRate : public PosixDevice, public ::testing::WithParamInterface<FoundRateCase> {};

// Another program may leave the tty at a rate the tool's list does not have: it reads
// back as what it is.
TEST_P(PosixFoundRate, ARateOutsideTheListReadsBack) {
    GetParam().leave(pty.masterFd());
    auto device = open();
    LineState found;
    ASSERT_TRUE(device->getLineState(found));
    EXPECT_EQ(found.baudRate, GetParam().baudRate);
}

INSTANTIATE_TEST_SUITE_P(
    Rates, PosixFoundRate,
    ::testing::Values(FoundRateCase{"Arbitrary", [](int fd) { test::setArbitraryLineRate(fd, 500000); }, 500000},
                      FoundRateCase{"ConstantOutsideTheList",
                                    [](int fd) {
                                        termios settings{};
                                        ASSERT_EQ(::tcgetattr(fd, &settings), 0);
                                        ASSERT_EQ(::cfsetspeed(&settings, B1000000), 0);
                                        ASSERT_EQ(::tcsetattr(fd, TCSANOW, &settings), 0);
                                    },
                                    1000000}),
    [](const auto& info) { return std::string(info.param.name); });

// Root bypasses the exclusive lock and every permission, so these ask a child that has
// dropped to another user. Run as that user, the device contract's busy case shows the
// lock directly.
class PosixAsAnotherUser : public PosixDevice {
protected:
    void SetUp() override {
        if (::geteuid() != 0) GTEST_SKIP() << "only root can drop to another user";
    }

    std::string plainOpenAsNobody() const {
        return test::runAsNobody([path = pty.slavePath()] {
            const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
            if (fd < 0) return std::string(std::strerror(errno));
            ::close(fd);
            return std::string("opened");
        });
    }

    std::string backendOpenAsNobody() const {
        return test::runAsNobody([path = pty.slavePath()] {
            OpenError error;
            return PosixSerialBackend().open(path, error) ? std::string("opened") : error.detail;
        });
    }
};

TEST_F(PosixAsAnotherUser, TheHeldPortIsBusyAndIsLeftFreeOnceClosed) {
    ASSERT_EQ(::chmod(pty.slavePath().c_str(), 0666), 0);
    auto device = open();
    EXPECT_EQ(plainOpenAsNobody(), std::strerror(EBUSY));
    EXPECT_EQ(backendOpenAsNobody(), "In use by another program: " + pty.slavePath());
    device->close();
    EXPECT_EQ(plainOpenAsNobody(), "opened");
}

TEST_F(PosixAsAnotherUser, APermissionRefusalSaysWhoMayOpenTheNode) {
    struct stat node {};
    ASSERT_EQ(::stat(pty.slavePath().c_str(), &node), 0);
    const group* owner = ::getgrgid(node.st_gid);
    ASSERT_NE(owner, nullptr);
    const std::string denied = "Permission denied: " + pty.slavePath();
    const std::pair<mode_t, std::string> cases[] = {
        {0660, denied + " belongs to group " + owner->gr_name + ", and you are not in it"},
        {0600, denied},  // joining the group would not help
    };
    for (const auto& [mode, reason] : cases) {
        ASSERT_EQ(::chmod(pty.slavePath().c_str(), mode), 0);
        EXPECT_EQ(backendOpenAsNobody(), reason) << std::oct << mode;
    }
}

}  // namespace
