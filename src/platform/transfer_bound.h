#pragma once
// How long a transfer may take: the caller's limit, or the time-outs' total
// (multiplier * count + constant) when that is set and shorter.

#include <chrono>
#include <cstddef>
#include <cstdint>

namespace brenmoor::platform {

std::chrono::milliseconds transferBound(std::chrono::milliseconds limit, std::uint32_t multiplier,
                                        std::uint32_t constant, std::size_t count);

}  // namespace brenmoor::platform
