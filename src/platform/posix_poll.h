#pragma once
// Waiting on a tty descriptor with poll, woken early by the device's wake-up descriptors.

#include <poll.h>

#include <chrono>
#include <optional>

namespace brenmoor::platform {

enum class PollOutcome { Ready, TimedOut, HungUp, Woken, Failed };

// Waits until `fd` has one of `events`, the device hangs up, one of the wake-up
// descriptors becomes readable (-1: none), or the deadline passes (none: no time limit).
// Signals do not end the wait.
PollOutcome pollDevice(int fd, short events, int wake, int otherWake,
                       std::optional<std::chrono::steady_clock::time_point> deadline);

}  // namespace brenmoor::platform
