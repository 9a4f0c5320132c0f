#pragma once
// Lets a test wait until another thread is really blocked (asleep in the kernel), so that
// a wake-up from the test hits a pending wait instead of racing its start.

#include <sys/types.h>

#include <chrono>

namespace brenmoor::test {

// The calling thread's kernel id, to hand to waitUntilAsleep from another thread.
pid_t currentThreadId();

// Waits until the thread is asleep, at most `bound`; false when it never was.
bool waitUntilAsleep(pid_t thread, std::chrono::milliseconds bound = std::chrono::seconds(5));

}  // namespace brenmoor::test
