#pragma once
// Thread priorities an unprivileged process can set.

namespace brenmoor::engine {

// Gives the calling thread the lowest scheduling priority an unprivileged thread can take
// (the highest nice value), leaving the process's other threads as they are.
void lowerCurrentThreadPriority();

}  // namespace brenmoor::engine
