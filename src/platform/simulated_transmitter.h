#pragma once
// Timing of one simulated transmitter. Characters of a burst leave back to back from the
// moment the burst starts; the k-th finishes at start + k * character time, computed in
// integers so that long bursts neither drift nor overflow.

#include <chrono>
#include <cstdint>

#include "platform/serial_device.h"

namespace brenmoor::platform {

class SimulatedTransmitter {
public:
    using Nanos = std::chrono::nanoseconds;

    // A burst begins at `now`: the queue was empty, stalled, or the line state changed.
    void start(Nanos now);
    // Characters of the current burst that have finished by `now` and not been consumed.
    std::uint64_t finishedBy(Nanos now, const LineState& line) const;
    // When the n-th character from now on (1-based) will have finished.
    Nanos finishTimeOf(std::uint64_t n, const LineState& line) const;
    // Marks n finished characters as taken off the queue.
    void consume(std::uint64_t n, const LineState& line);

private:
    Nanos burstStart_{0};
    std::uint64_t sent_ = 0;  // characters of this burst already consumed
};

}  // namespace brenmoor::platform
