#include "platform/posix_card_requests.h"

#include <fcntl.h>
#include <linux/serial.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "platform/driver_requests.h"
#include "platform/unique_fd.h"

namespace brenmoor::platform {
namespace {

// The modem-control bit that puts an 8250-family UART into internal loopback (MCR LOOP);
// glibc does not define it.
constexpr int kTiocmLoop = 0x8000;

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

}  // namespace

std::string receiveTriggerPath(int fd) {
    struct stat node {};
    if (::fstat(fd, &node) != 0 || !S_ISCHR(node.st_mode)) return {};
    const std::string path = "/sys/dev/char/" + std::to_string(major(node.st_rdev)) + ":" +
                             std::to_string(minor(node.st_rdev)) + "/rx_trig_bytes";
    return ::access(path.c_str(), F_OK) == 0 ? path : std::string();
}

DeviceExtras probeExtras(int fd, const std::string& receiveTrigger) {
    DeviceExtras extras;
    int lines = 0;
    extras.internalLoopback = ::ioctl(fd, TIOCMGET, &lines) == 0;
    serial_rs485 rs485{};
    extras.rs485 = ::ioctl(fd, TIOCGRS485, &rs485) == 0;
    extras.receiveTrigger = !receiveTrigger.empty() && ::access(receiveTrigger.c_str(), W_OK) == 0;
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
