#include "platform/posix_card_requests.h"

#include <fcntl.h>
#include <linux/serial.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>

#include "platform/driver_requests.h"
#include "platform/posix_poll.h"
#include "platform/unique_fd.h"

namespace brenmoor::platform {
namespace {

// The modem-control bit that puts an 8250-family UART into internal loopback (MCR LOOP);
// glibc does not define it.
constexpr int kTiocmLoop = 0x8000;

// How long a looped-back byte may take to return: a few character times for the UART's
// shift registers and FIFO, and a margin for the driver's interrupt and the scheduler.
constexpr int kLoopbackCharacters = 4;
constexpr std::chrono::milliseconds kLoopbackMargin{50};

bool setRs485(int fd, bool on) {
    serial_rs485 settings{};
    if (on) settings.flags = SER_RS485_ENABLED;
    if (::ioctl(fd, TIOCSRS485, &settings) == 0) return true;
    // A port without RS-485 support has nothing to switch off.
    return !on && errno == ENOTTY;
}

// The chip rounds the level down to one it offers; a port without the attribute, or
// without the right to write it, keeps its trigger.
void setReceiveTrigger(const std::string& path, std::uint8_t level) {
    if (path.empty() || level == 0) return;
    UniqueFd attribute(::open(path.c_str(), O_WRONLY | O_CLOEXEC));
    if (!attribute.valid()) return;
    const std::string text = std::to_string(level);
    [[maybe_unused]] const ssize_t written = ::write(attribute.get(), text.data(), text.size());
}

// Some drivers accept the loop bit and do nothing with it: the loopback is there only if
// a byte written with the bit set comes back. The port is flushed before and after, so the
// probe leaves nothing behind in either direction.
bool loopbackReturnsAByte(int fd, std::chrono::nanoseconds characterTime) {
    if (!setInternalLoopback(fd, true)) return false;
    ::tcflush(fd, TCIOFLUSH);
    constexpr std::uint8_t kProbe = 0x5A;
    bool returned = false;
    if (::write(fd, &kProbe, 1) == 1) {
        const auto giveUp = std::chrono::steady_clock::now() + kLoopbackCharacters * characterTime + kLoopbackMargin;
        while (!returned && pollDevice(fd, POLLIN, -1, -1, giveUp) == PollOutcome::Ready) {
            std::uint8_t got[64];
            const ssize_t n = ::read(fd, got, sizeof got);
            if (n > 0) returned = std::find(got, got + n, kProbe) != got + n;
            else if (n == 0 || (errno != EAGAIN && errno != EINTR)) break;
        }
    }
    setInternalLoopback(fd, false);
    ::tcflush(fd, TCIOFLUSH);
    return returned;
}

// Honoured when the current level can be written back (root, or a udev rule).
bool receiveTriggerWritable(const std::string& path) {
    if (path.empty()) return false;
    char level[16] = {};
    {
        UniqueFd attribute(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
        if (!attribute.valid()) return false;
        const ssize_t n = ::read(attribute.get(), level, sizeof level - 1);
        if (n <= 0) return false;
    }
    UniqueFd attribute(::open(path.c_str(), O_WRONLY | O_CLOEXEC));
    const std::size_t length = std::strlen(level);
    return attribute.valid() && ::write(attribute.get(), level, length) == static_cast<ssize_t>(length);
}

}  // namespace

std::string receiveTriggerPath(int fd) {
    struct stat node {};
    if (::fstat(fd, &node) != 0 || !S_ISCHR(node.st_mode)) return {};
    const std::string path = "/sys/dev/char/" + std::to_string(major(node.st_rdev)) + ":" +
                             std::to_string(minor(node.st_rdev)) + "/rx_trig_bytes";
    return ::access(path.c_str(), F_OK) == 0 ? path : std::string();
}

DeviceExtras probeExtras(int fd, const std::string& receiveTrigger, std::chrono::nanoseconds characterTime) {
    DeviceExtras extras;
    extras.internalLoopback = loopbackReturnsAByte(fd, characterTime);
    // The same settings written back: a driver that reads them may still refuse a set.
    serial_rs485 rs485{};
    extras.rs485 = ::ioctl(fd, TIOCGRS485, &rs485) == 0 && ::ioctl(fd, TIOCSRS485, &rs485) == 0;
    extras.receiveTrigger = receiveTriggerWritable(receiveTrigger);
    return extras;
}

bool applyUartOptions(int fd, const std::string& receiveTrigger, const std::uint8_t* block) {
    bool applied = true;
    const bool loopback = block[kOptLoopback] == kLoopbackOn;
    if (!setInternalLoopback(fd, loopback) && (loopback || errno != ENOTTY)) applied = false;
    if (!setRs485(fd, block[kOptRS485] == kFeatureOn)) applied = false;
    // No tty request exists for infrared.
    if (block[kOptInfrared] == kFeatureOn) applied = false;
    setReceiveTrigger(receiveTrigger, block[kOptRxTrigger]);
    return applied;
}

bool setInternalLoopback(int fd, bool on) {
    // Only the LOOP bit is touched: setting all lines at once would also clear OUT2, which
    // PC serial ports need for their interrupt.
    const int bits = kTiocmLoop;
    return ::ioctl(fd, on ? TIOCMBIS : TIOCMBIC, &bits) == 0;
}

}  // namespace brenmoor::platform
