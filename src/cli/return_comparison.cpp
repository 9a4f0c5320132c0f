#include "cli/return_comparison.h"

#include <algorithm>

namespace brenmoor::cli {
namespace {

std::size_t agreeingPrefix(std::span<const std::uint8_t> a, std::span<const std::uint8_t> b) {
    const std::size_t length = std::min(a.size(), b.size());
    return static_cast<std::size_t>(std::mismatch(a.begin(), a.begin() + static_cast<std::ptrdiff_t>(length),
                                                  b.begin())
                                        .first -
                                    a.begin());
}

}  // namespace

ReturnComparison compareReturned(std::span<const std::uint8_t> sent, std::span<const std::uint8_t> received,
                                 std::size_t mayHaveMissed) {
    ReturnTally tally;
    tally.align(sent, received, mayHaveMissed);
    tally.compare(sent.subspan(tally.sentPosition()), received);
    return tally.result(sent.size(), received.size());
}

void ReturnTally::align(std::span<const std::uint8_t> sent, std::span<const std::uint8_t> received,
                        std::size_t mayHaveMissed) {
    std::size_t start = 0;
    std::size_t best = agreeingPrefix(sent, received);
    for (std::size_t skip = 1; skip <= std::min(mayHaveMissed, sent.size()) && best < received.size(); ++skip) {
        const std::size_t agree = agreeingPrefix(sent.subspan(skip), received);
        if (agree > best) {
            best = agree;
            start = skip;
        }
    }
    aligned_ = true;
    start_ = start;
    sentPosition_ = start;
}

void ReturnTally::compare(std::span<const std::uint8_t> sent, std::span<const std::uint8_t> received) {
    const auto late = static_cast<std::size_t>(std::min<std::uint64_t>(owedLate_, received.size()));
    owedLate_ -= late;
    late_ += late;
    receivedPosition_ += late;
    received = received.subspan(late);
    const std::size_t common = std::min(sent.size(), received.size());
    for (std::size_t i = 0; i < common; ++i) {
        if (sent[i] == received[i]) continue;
        if (!firstMismatch_) firstMismatch_ = static_cast<std::size_t>(sentPosition_ - start_ + i);
        ++mismatches_;
    }
    sentPosition_ += common;
    receivedPosition_ += common;
}

void ReturnTally::giveUp(std::uint64_t count) {
    sentPosition_ += count;
    givenUp_ += count;
    owedLate_ += count;
}

ReturnComparison ReturnTally::result(std::uint64_t sentTotal, std::uint64_t receivedTotal) const {
    ReturnComparison result;
    result.expected = static_cast<std::size_t>(sentTotal - start_);
    result.received = static_cast<std::size_t>(receivedTotal);
    result.firstMismatch = firstMismatch_;
    result.mismatches = mismatches_;
    result.missing = static_cast<std::size_t>(sentTotal - sentPosition_ + givenUp_);
    result.extra = static_cast<std::size_t>(receivedTotal - receivedPosition_ + late_);
    return result;
}

}  // namespace brenmoor::cli
