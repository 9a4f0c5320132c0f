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
//
// pacedQueueAllowance: how many characters a paced write lets stay queued ahead of it
// before it queues its own: its own length, so the line is never more than about one
// packet behind what was counted as sent, but at least 2 ms of line time, so that on a
// fast line the wake-up of the writing thread does not leave the line idle.

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

std::size_t pacedQueueAllowance(std::size_t count, std::chrono::nanoseconds characterTime);

}  // namespace brenmoor::platform
