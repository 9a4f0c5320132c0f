#pragma once
// One device under test with its far end, for the behaviour every back end shares: the
// simulated card (on its virtual clock), a pseudo-terminal through the POSIX back end, and
// a UART of the guest bench (scripts/vm-test.sh) whose far end is another port.
//
// A rig that cannot run here says why in unavailable(); kCanHangUp is false where the
// device never hangs up (a UART has no carrier to lose).

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <thread>
#include <type_traits>
#include <vector>

#include "platform/posix_serial_backend.h"
#include "platform/serial_device.h"
#include "platform/simulated_card.h"
#include "support/pty_pair.h"

namespace brenmoor::test {

class SimulatedRig {
public:
    static constexpr int kCom = 5;
    static constexpr bool kCanHangUp = true;
    std::string unavailable() const { return {}; }

    platform::SerialHandle open(platform::OpenError& error) { return card.open("COM5", error); }
    void send(const std::vector<std::uint8_t>& bytes) { ASSERT_EQ(card.inject(kCom, bytes), bytes.size()); }
    std::vector<std::uint8_t> receive(std::size_t) {
        card.advance(std::chrono::seconds(1));
        return card.takeLineOutput(kCom);
    }
    void unplug() { card.hangUp(kCom); }

    platform::SimulatedCard card{platform::SimulatedCard::Clock::Virtual};
};

class PtyRig {
public:
    static constexpr bool kCanHangUp = true;
    std::string unavailable() const { return {}; }
    platform::SerialHandle open(platform::OpenError& error) { return backend.open(pty.slavePath(), error); }
    void send(const std::vector<std::uint8_t>& bytes) { pty.send(bytes); }
    std::vector<std::uint8_t> receive(std::size_t count) { return pty.receive(count, std::chrono::seconds(5)); }
    void unplug() { pty.closeMaster(); }

    PtyPair pty;
    platform::PosixSerialBackend backend;
};

// A UART in the guest bench: BRENMOOR_UART names the port under test and
// BRENMOOR_UART_PEER the port at the other end of its cable (a null-modem pair), which the
// rig drives directly. Both unset everywhere but in the guest, where the bench sets them.
class GuestUartRig {
public:
    static constexpr bool kCanHangUp = false;

    GuestUartRig() {
        const char* uart = std::getenv("BRENMOOR_UART");
        const char* peer = std::getenv("BRENMOOR_UART_PEER");
        if (!uart || !peer) return;
        path_ = uart;
        peer_ = ::open(peer, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (peer_ < 0) {
            error_ = std::string("cannot open the peer ") + peer + ": " + std::strerror(errno);
            return;
        }
        // A raw line at the bench's rate, not looped back (the loop bit outlives a close),
        // with nothing left over from an earlier case.
        termios raw{};
        ::tcgetattr(peer_, &raw);
        ::cfmakeraw(&raw);
        ::cfsetspeed(&raw, B9600);
        raw.c_cflag |= CLOCAL | CREAD;
        ::tcsetattr(peer_, TCSANOW, &raw);
        int loop = 0x8000;  // TIOCM_LOOP, left out of glibc's headers
        ::ioctl(peer_, TIOCMBIC, &loop);
        ::tcflush(peer_, TCIOFLUSH);
    }
    ~GuestUartRig() {
        if (peer_ >= 0) ::close(peer_);
    }
    GuestUartRig(const GuestUartRig&) = delete;
    GuestUartRig& operator=(const GuestUartRig&) = delete;

    std::string unavailable() const {
        if (path_.empty()) return "no guest UART: BRENMOOR_UART and BRENMOOR_UART_PEER are set only by the guest bench";
        return error_;
    }
    platform::SerialHandle open(platform::OpenError& error) { return backend.open(path_, error); }
    void send(const std::vector<std::uint8_t>& bytes) {
        std::size_t sent = 0;
        const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (sent < bytes.size() && std::chrono::steady_clock::now() < giveUp) {
            pollfd p{peer_, POLLOUT, 0};
            if (::poll(&p, 1, 100) <= 0) continue;
            const ssize_t n = ::write(peer_, bytes.data() + sent, bytes.size() - sent);
            if (n > 0) sent += static_cast<std::size_t>(n);
        }
        ASSERT_EQ(sent, bytes.size()) << "the peer could not send within 10 s";
    }
    std::vector<std::uint8_t> receive(std::size_t count) {
        std::vector<std::uint8_t> got;
        const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (got.size() < count && std::chrono::steady_clock::now() < giveUp) {
            pollfd p{peer_, POLLIN, 0};
            if (::poll(&p, 1, 100) <= 0) continue;
            std::uint8_t buffer[4096];
            const ssize_t n = ::read(peer_, buffer, std::min(sizeof buffer, count - got.size()));
            if (n > 0) got.insert(got.end(), buffer, buffer + n);
        }
        return got;
    }

    platform::PosixSerialBackend backend;

private:
    std::string path_;
    std::string error_;
    int peer_ = -1;
};

using DeviceRigs = ::testing::Types<SimulatedRig, PtyRig, GuestUartRig>;

// Case names by rig ("SerialDeviceContract/GuestUart.…"), so a run can pick one rig by
// filter.
struct RigNames {
    template <typename Rig>
    static std::string GetName(int) {
        if constexpr (std::is_same_v<Rig, SimulatedRig>) return "Simulated";
        if constexpr (std::is_same_v<Rig, PtyRig>) return "Pty";
        if constexpr (std::is_same_v<Rig, GuestUartRig>) return "GuestUart";
    }
};

// Waits (bounded) until the device reports at least `count` bytes waiting; characters
// from a pty master reach the slave a moment after the write.
inline std::uint32_t waitForBytesWaiting(platform::SerialDevice& device, std::uint32_t count) {
    std::uint32_t waiting = 0;
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (device.clearErrors(waiting) && waiting < count && std::chrono::steady_clock::now() < giveUp)
        std::this_thread::yield();
    return waiting;
}

}  // namespace brenmoor::test
