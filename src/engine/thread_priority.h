#pragma once
// Thread priorities an unprivileged process can set.

namespace brenmoor::engine {

// Puts the calling thread two steps below normal priority (nice +2 on top of the
// process's), leaving the process's other threads as they are: the transmit thread yields
// to the window and receive threads under load without being starved of the line.
void lowerCurrentThreadPriority();

}  // namespace brenmoor::engine
