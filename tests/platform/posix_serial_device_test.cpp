// The POSIX back end on a pseudo-terminal: a real kernel tty whose settings the test can
// read back independently through the master (termios calls on a master act on its
// slave).

#include <gtest/gtest.h>
#include <sys/ioctl.h>
#include <termios.h>

#include <fstream>
#include <ostream>

#include "platform/device_extras.h"
#include "platform/driver_requests.h"
#include "platform/posix_serial_backend.h"
#include "support/pty_pair.h"
#include "support/temp_dir.h"

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

    friend void PrintTo(const OpenFailureCase& c, std::ostream* os) { *os << c.name; }
};

class PosixOpenFailure : public ::testing::TestWithParam<OpenFailureCase> {};

TEST_P(PosixOpenFailure, IsClassifiedAndNamesTheDevice) {
    test::TempDir dir;
    std::ofstream(dir.file("plain")) << "not a tty";
    const std::string path = GetParam().path(dir);
    OpenError error;
    EXPECT_EQ(PosixSerialBackend().open(path, error), nullptr);
    EXPECT_EQ(error.kind, GetParam().kind);
    EXPECT_NE(error.detail.find(path), std::string::npos) << error.detail;
}

INSTANTIATE_TEST_SUITE_P(
    Devices, PosixOpenFailure,
    ::testing::Values(
        OpenFailureCase{"Missing", [](const test::TempDir& d) { return d.file("ttyGone").string(); }, OpenFailure::Absent},
        OpenFailureCase{"DevNull", [](const test::TempDir&) { return std::string("/dev/null"); }, OpenFailure::NotATty},
        OpenFailureCase{"RegularFile", [](const test::TempDir& d) { return d.file("plain").string(); },
                        OpenFailure::NotATty},
        OpenFailureCase{"Directory", [](const test::TempDir& d) { return d.path().string(); }, OpenFailure::NotATty}),
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

    // A pty keeps 8 data bits and no parity whatever it is asked; the rest reads back.
    LineState expected = wanted;
    expected.byteSize = 8;
    expected.parity = Parity::None;
    if (expected.stopBits == StopBits::OnePointFive) expected.stopBits = StopBits::Two;
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

struct WriteBoundCase {
    const char* name;
    Timeouts timeouts;
    std::chrono::milliseconds limit;

    friend void PrintTo(const WriteBoundCase& c, std::ostream* os) { *os << c.name; }
};

class PosixWriteBound : public PosixDevice, public ::testing::WithParamInterface<WriteBoundCase> {};

// Nobody reads the master, so the pty's buffers fill and the rest of the write cannot go.
TEST_P(PosixWriteBound, AWriteThatCannotDrainGivesUpAtTheShorterBound) {
    auto device = open();
    ASSERT_TRUE(device->setTimeouts(GetParam().timeouts));
    const std::vector<std::uint8_t> flood(1 << 20, 'F');
    std::size_t done = 0;
    EXPECT_EQ(device->write(flood.data(), flood.size(), GetParam().limit, done), IoStatus::TimedOut);
    EXPECT_GT(done, 0u);
    EXPECT_LT(done, flood.size());
    EXPECT_FALSE(device->isGone());
}

INSTANTIATE_TEST_SUITE_P(Bounds, PosixWriteBound,
                         ::testing::Values(WriteBoundCase{"WriteTimeout", Timeouts{0, 0, 0, 0, 20}, 10000ms},
                                           WriteBoundCase{"CallerLimit", Timeouts{}, 20ms}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
