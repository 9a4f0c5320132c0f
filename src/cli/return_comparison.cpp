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
    std::size_t start = 0;
    std::size_t best = agreeingPrefix(sent, received);
    for (std::size_t skip = 1; skip <= std::min(mayHaveMissed, sent.size()) && best < received.size(); ++skip) {
        const std::size_t agree = agreeingPrefix(sent.subspan(skip), received);
        if (agree > best) {
            best = agree;
            start = skip;
        }
    }
    const std::span<const std::uint8_t> expected = sent.subspan(start);
    ReturnComparison result;
    result.expected = expected.size();
    result.received = received.size();
    const std::size_t common = std::min(expected.size(), received.size());
    for (std::size_t i = 0; i < common; ++i) {
        if (expected[i] == received[i]) continue;
        if (!result.firstMismatch) result.firstMismatch = i;
        ++result.mismatches;
    }
    result.missing = expected.size() - common;
    result.extra = received.size() - common;
    return result;
}

}  // namespace brenmoor::cli
