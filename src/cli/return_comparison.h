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

// The same comparison made piece by piece as the bytes come, so neither stream has to be
// kept whole over a long run.
class ReturnTally {
public:
    // Fixes where the comparison starts, as compareReturned does, from what there is so far:
    // `sent` from the start of the sent stream, `received` from the first byte that counts.
    void align(std::span<const std::uint8_t> sent, std::span<const std::uint8_t> received, std::size_t mayHaveMissed);
    bool aligned() const { return aligned_; }
    // Compares `sent`, from sentPosition() on, with `received`, from receivedPosition() on,
    // as far as both go. Received bytes owed to sent bytes already given up are passed over
    // first, so those after them meet the sent bytes they answer.
    void compare(std::span<const std::uint8_t> sent, std::span<const std::uint8_t> received);
    // Counts the next `count` sent bytes as missing without waiting for them any longer. When
    // they come back after all, they count as extra: there is nothing left to check them by.
    void giveUp(std::uint64_t count);
    // The next byte to compare in the sent stream, and in the received bytes that count.
    std::uint64_t sentPosition() const { return sentPosition_; }
    std::uint64_t receivedPosition() const { return receivedPosition_; }
    // The comparison with `sentTotal` bytes sent and `receivedTotal` received that count.
    ReturnComparison result(std::uint64_t sentTotal, std::uint64_t receivedTotal) const;

    // Where the received bytes that count begin, in the port's whole received stream; kept
    // here for the tap.
    std::uint64_t receivedOrigin = 0;

private:
    bool aligned_ = false;
    std::uint64_t start_ = 0;
    std::uint64_t sentPosition_ = 0;
    std::uint64_t receivedPosition_ = 0;
    std::optional<std::size_t> firstMismatch_;
    std::size_t mismatches_ = 0;
    std::uint64_t givenUp_ = 0;
    std::uint64_t owedLate_ = 0;  // received bytes still to pass over for sent bytes given up
    std::uint64_t late_ = 0;
};

}  // namespace brenmoor::cli
