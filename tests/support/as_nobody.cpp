#include "support/as_nobody.h"

#include <fcntl.h>
#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <stdexcept>

#include "platform/unique_fd.h"

namespace brenmoor::test {
namespace {

constexpr int kCouldNotDrop = 2;

void writeAll(int fd, const std::string& text) {
    std::size_t sent = 0;
    while (sent < text.size()) {
        const ssize_t n = ::write(fd, text.data() + sent, text.size() - sent);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return;
        sent += static_cast<std::size_t>(n);
    }
}

}  // namespace

std::string runAsNobody(const std::function<std::string()>& action, const std::vector<gid_t>& groups) {
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0) throw std::runtime_error(std::string("pipe: ") + std::strerror(errno));
    platform::UniqueFd readEnd(ends[0]);
    platform::UniqueFd writeEnd(ends[1]);
    // Output still buffered would otherwise be written again by the child.
    std::fflush(nullptr);
    const pid_t child = ::fork();
    if (child < 0) throw std::runtime_error(std::string("fork: ") + std::strerror(errno));
    if (child == 0) {
        readEnd.reset();
        if (::setgroups(groups.size(), groups.data()) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0) ::_exit(kCouldNotDrop);
        writeAll(writeEnd.get(), action());
        ::_exit(0);
    }
    writeEnd.reset();
    std::string text;
    char buffer[512];
    for (;;) {
        const ssize_t n = ::read(readEnd.get(), buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        text.append(buffer, static_cast<std::size_t>(n));
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        throw std::runtime_error(WIFEXITED(status) && WEXITSTATUS(status) == kCouldNotDrop
                                     ? "the child could not drop to uid 65534"
                                     : "the child did not finish");
    return text;
}

}  // namespace brenmoor::test
