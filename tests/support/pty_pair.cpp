#include "support/pty_pair.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

namespace brenmoor::test {
namespace {

[[noreturn]] void fail(const std::string& what) {
    throw std::runtime_error("pty pair: " + what + ": " + std::strerror(errno));
}

}  // namespace

PtyPair::PtyPair() {
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ < 0) fail("posix_openpt");
    if (::grantpt(master_) != 0 || ::unlockpt(master_) != 0) fail("unlockpt");
    char name[128];
    if (::ptsname_r(master_, name, sizeof name) != 0) fail("ptsname_r");
    slavePath_ = name;
    // The slave starts cooked (echo, CR/LF translation); the master's termios is the
    // slave's, so make the line raw before anyone opens it.
    termios raw{};
    if (::tcgetattr(master_, &raw) != 0) fail("tcgetattr");
    ::cfmakeraw(&raw);
    if (::tcsetattr(master_, TCSANOW, &raw) != 0) fail("tcsetattr");
}

PtyPair::~PtyPair() { closeMaster(); }

void PtyPair::send(const std::vector<std::uint8_t>& bytes) {
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = ::write(master_, bytes.data() + sent, bytes.size() - sent);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) fail("write to master");
        sent += static_cast<std::size_t>(n);
    }
}

std::vector<std::uint8_t> PtyPair::receive(std::size_t count, std::chrono::milliseconds limit) {
    std::vector<std::uint8_t> got;
    const auto giveUp = std::chrono::steady_clock::now() + limit;
    while (got.size() < count) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(giveUp - std::chrono::steady_clock::now());
        if (left.count() <= 0) break;
        pollfd p{master_, POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(left.count())) <= 0) continue;
        std::uint8_t buffer[4096];
        const ssize_t n = ::read(master_, buffer, std::min(sizeof buffer, count - got.size()));
        if (n <= 0) break;
        got.insert(got.end(), buffer, buffer + n);
    }
    return got;
}

void PtyPair::closeMaster() {
    if (master_ >= 0) ::close(master_);
    master_ = -1;
}

}  // namespace brenmoor::test
