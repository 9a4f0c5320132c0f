#pragma once
// What came back on a port's return path against what its source sent, byte for byte and
// in order.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace brenmoor::cli {

struct ReturnComparison {
    std::size_t expected = 0;  // bytes of the sent stream that should have come back
    std::size_t received = 0;
    std::optional<std::size_t> firstMismatch;  // offset into the expected stream
    std::size_t mismatches = 0;                // bytes that came back changed
    std::size_t missing = 0;
    std::size_t extra = 0;

    bool intact() const { return !firstMismatch && missing == 0 && extra == 0; }
};

// `sent` is all the source wrote; `received` what the port kept. Up to `mayHaveMissed`
// leading bytes of `sent` may have arrived before the port's purge and been discarded:
// the comparison starts at the offset within that reach where the received bytes agree
// longest (the earliest such offset), so a purge that raced the source's first packet
// counts no fault.
ReturnComparison compareReturned(std::span<const std::uint8_t> sent, std::span<const std::uint8_t> received,
                                 std::size_t mayHaveMissed);

}  // namespace brenmoor::cli
