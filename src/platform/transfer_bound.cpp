#include "platform/transfer_bound.h"

#include <algorithm>

namespace brenmoor::platform {
namespace {

using std::chrono::milliseconds;

// Kept well inside what a nanosecond deadline holds, whatever the caller passed.
constexpr milliseconds kLongest = std::chrono::hours(24 * 365 * 100);

}  // namespace

milliseconds transferBound(milliseconds limit, std::uint32_t multiplier, std::uint32_t constant, std::size_t count) {
    milliseconds bound = std::clamp(limit, milliseconds(0), kLongest);
    if (multiplier != 0 || constant != 0) {
        const std::uint64_t total = static_cast<std::uint64_t>(multiplier) * count + constant;
        if (total < static_cast<std::uint64_t>(bound.count())) bound = milliseconds(static_cast<milliseconds::rep>(total));
    }
    return bound;
}

milliseconds pacedWriteBound(milliseconds limit, const Timeouts& timeouts, std::chrono::nanoseconds characterTime,
                             std::size_t queued, std::size_t count) {
    const milliseconds ceiling = std::clamp(limit, milliseconds(0), kLongest);
    const milliseconds fixed = transferBound(ceiling, timeouts.writeTotalMultiplier, timeouts.writeTotalConstant, count);
    // Characters beyond a century of line time cannot matter: the ceiling is far below it.
    const auto characters = static_cast<std::int64_t>(std::min<std::size_t>(queued + count, 1u << 30));
    const auto lineTime = std::chrono::ceil<milliseconds>(2 * characters * std::max(characterTime, std::chrono::nanoseconds(0)));
    const milliseconds paced = lineTime + milliseconds(timeouts.writeTotalConstant);
    return std::min(ceiling, std::max(fixed, paced));
}

std::size_t pacedQueueAllowance(std::size_t count, std::chrono::nanoseconds characterTime) {
    constexpr std::chrono::nanoseconds kWakeUpMargin = std::chrono::milliseconds(2);
    if (characterTime <= std::chrono::nanoseconds(0)) return count;
    const auto margin = static_cast<std::size_t>((kWakeUpMargin + characterTime - std::chrono::nanoseconds(1)) / characterTime);
    return std::max(count, margin);
}

}  // namespace brenmoor::platform
