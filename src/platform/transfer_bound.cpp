#include "platform/transfer_bound.h"

#include <algorithm>

namespace brenmoor::platform {

std::chrono::milliseconds transferBound(std::chrono::milliseconds limit, std::uint32_t multiplier,
                                        std::uint32_t constant, std::size_t count) {
    using std::chrono::milliseconds;
    // Kept well inside what a nanosecond deadline holds, whatever the caller passed.
    constexpr milliseconds kLongest = std::chrono::hours(24 * 365 * 100);
    milliseconds bound = std::clamp(limit, milliseconds(0), kLongest);
    if (multiplier != 0 || constant != 0) {
        const std::uint64_t total = static_cast<std::uint64_t>(multiplier) * count + constant;
        if (total < static_cast<std::uint64_t>(bound.count())) bound = milliseconds(static_cast<milliseconds::rep>(total));
    }
    return bound;
}

}  // namespace brenmoor::platform
