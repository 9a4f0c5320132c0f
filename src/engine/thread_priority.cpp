#include "engine/thread_priority.h"

#include <sys/resource.h>
#include <unistd.h>

namespace brenmoor::engine {

void lowerCurrentThreadPriority() {
    // On Linux the nice value belongs to the thread named by its id. Raising it needs no
    // privilege; a failure only leaves the thread at normal priority.
    setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), PRIO_MAX - 1);
}

}  // namespace brenmoor::engine
