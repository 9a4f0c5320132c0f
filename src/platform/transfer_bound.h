#pragma once
// How long a transfer may take.
//
// transferBound: the caller's limit, or the time-outs' total (multiplier * count +
// constant) when that is set and shorter.
//
// pacedWriteBound: a write on a line that moves at its own rate waits first for the
// characters queued ahead of it to leave, so a bound that ignores the rate would time out
// on a healthy slow line. It allows twice the line time of what is queued plus the write
// itself, plus the time-outs' constant, never less than the time-outs' total and never more
// than the caller's limit.

#include <chrono>
#include <cstddef>
#include <cstdint>

#include "platform/serial_device.h"

namespace brenmoor::platform {

std::chrono::milliseconds transferBound(std::chrono::milliseconds limit, std::uint32_t multiplier,
                                        std::uint32_t constant, std::size_t count);

std::chrono::milliseconds pacedWriteBound(std::chrono::milliseconds limit, const Timeouts& timeouts,
                                          std::chrono::nanoseconds characterTime, std::size_t queued,
                                          std::size_t count);

}  // namespace brenmoor::platform
