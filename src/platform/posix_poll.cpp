#include "platform/posix_poll.h"

#include <cerrno>
#include <ctime>

namespace brenmoor::platform {

PollOutcome pollDevice(int fd, short events, int wake, int otherWake,
                       std::optional<std::chrono::steady_clock::time_point> deadline) {
    for (;;) {
        timespec left{};
        timespec* timeout = nullptr;
        if (deadline) {
            const auto remaining = *deadline - std::chrono::steady_clock::now();
            if (remaining <= std::chrono::steady_clock::duration::zero()) return PollOutcome::TimedOut;
            const auto nanos = std::chrono::duration_cast<std::chrono::nanoseconds>(remaining).count();
            left.tv_sec = static_cast<time_t>(nanos / 1'000'000'000);
            left.tv_nsec = static_cast<long>(nanos % 1'000'000'000);
            timeout = &left;
        }
        pollfd fds[3] = {{fd, events, 0}, {wake, POLLIN, 0}, {otherWake, POLLIN, 0}};
        const int ready = ::ppoll(fds, 3, timeout, nullptr);
        if (ready < 0 && errno == EINTR) continue;
        if (ready < 0) return PollOutcome::Failed;
        if (ready == 0) return PollOutcome::TimedOut;
        if (fds[0].revents & (POLLHUP | POLLERR | POLLNVAL)) return PollOutcome::HungUp;
        if ((fds[1].revents | fds[2].revents) & POLLIN) return PollOutcome::Woken;
        if (fds[0].revents & events) return PollOutcome::Ready;
    }
}

}  // namespace brenmoor::platform
