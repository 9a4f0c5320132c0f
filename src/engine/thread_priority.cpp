#include "engine/thread_priority.h"

#include <sys/resource.h>
#include <unistd.h>

#include <cerrno>

namespace brenmoor::engine {

void lowerCurrentThreadPriority() {
    constexpr int kStepsBelowNormal = 2;
    // On Linux the nice value belongs to the thread named by its id. Raising it needs no
    // privilege; a failure only leaves the thread at normal priority.
    const auto tid = static_cast<id_t>(gettid());
    errno = 0;
    const int current = getpriority(PRIO_PROCESS, tid);
    if (errno != 0) return;
    setpriority(PRIO_PROCESS, tid, current + kStepsBelowNormal);
}

}  // namespace brenmoor::engine
