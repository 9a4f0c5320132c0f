#include "platform/posix_serial_backend.h"

#include <fcntl.h>
#include <linux/major.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <string_view>

#include "platform/line_timing.h"
#include "platform/posix_card_requests.h"
#include "platform/posix_line_rate.h"
#include "platform/posix_line_state.h"
#include "platform/posix_open_reason.h"

namespace brenmoor::platform {
namespace {

std::nullptr_t fail(OpenError& error, const std::string& path, const char* step, int code) {
    error = {openFailureKind(code), openFailureReason(path, step, code)};
    return nullptr;
}

bool isPseudoTerminal(int fd) {
    struct stat node {};
    if (::fstat(fd, &node) != 0) return false;
    const unsigned number = major(node.st_rdev);
    return number >= UNIX98_PTY_SLAVE_MAJOR && number < UNIX98_PTY_SLAVE_MAJOR + UNIX98_PTY_MAJOR_COUNT;
}

// A serial driver's node whose port has no UART behind it (ttyS12 when the machine has
// fewer ports) opens, then answers no terminal request: it is a missing device, not a
// file that is no serial port.
bool isTtyNode(int fd) {
    struct stat node {};
    if (::fstat(fd, &node) != 0 || !S_ISCHR(node.st_mode)) return false;
    const std::string link = "/sys/dev/char/" + std::to_string(major(node.st_rdev)) + ":" +
                             std::to_string(minor(node.st_rdev)) + "/subsystem";
    char target[256];
    const ssize_t n = ::readlink(link.c_str(), target, sizeof target - 1);
    if (n <= 0) return false;
    const std::string_view subsystem(target, static_cast<std::size_t>(n));
    return subsystem.ends_with("/tty");
}

}  // namespace

SerialHandle PosixSerialBackend::open(const std::string& device, OpenError& error) {
    return openDevice(device, error);
}

std::shared_ptr<PosixSerialDevice> PosixSerialBackend::openDevice(const std::string& path, OpenError& error) {
    // O_NONBLOCK keeps open from waiting for carrier.
    PosixPort port;
    port.tty = UniqueFd(::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
    if (!port.tty.valid()) return fail(error, path, "open", errno);
    const int fd = port.tty.get();
    if (!::isatty(fd)) return fail(error, path, "not a terminal", isTtyNode(fd) ? ENODEV : ENOTTY);
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) return fail(error, path, "in use", errno);
    if (::ioctl(fd, TIOCEXCL) != 0) return fail(error, path, "exclusive use", errno);
    // From here a failure must not leave the tty locked against everyone else.
    const auto failLocked = [&](const char* step, int code) {
        ::ioctl(fd, TIOCNXCL);
        return fail(error, path, step, code);
    };

    termios settings{};
    if (::tcgetattr(fd, &settings) != 0) return failLocked("read settings", errno);
    makeRaw(settings);
    if (::tcsetattr(fd, TCSANOW, &settings) != 0) return failLocked("raw mode", errno);
    int lines = TIOCM_DTR | TIOCM_RTS;
    if (::ioctl(fd, TIOCMBIS, &lines) != 0 && errno != ENOTTY && errno != EINVAL)
        return failLocked("raise DTR and RTS", errno);
    port.pseudoTerminal = isPseudoTerminal(fd);
    std::uint32_t rate = 0;
    if (!readLineRate(fd, rate)) return failLocked("read the line rate", errno);
    port.line = lineStateOf(settings, rate, LineState{}, port.pseudoTerminal);

    port.maskWake = UniqueFd(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
    port.closeWake = UniqueFd(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
    if (!port.maskWake.valid() || !port.closeWake.valid()) return failLocked("eventfd", errno);

    // A UART keeps its loop bit across close and reopen: a port left looped back by
    // another program starts without it. The operator's choice sets it again later.
    setInternalLoopback(fd, false);
    port.receiveTrigger = receiveTriggerPath(fd);
    port.extras = probeExtras(fd, port.receiveTrigger, rate != 0 ? characterTime(port.line) : std::chrono::nanoseconds(0));
    error = {};
    return std::make_shared<PosixSerialDevice>(std::move(port));
}

}  // namespace brenmoor::platform
