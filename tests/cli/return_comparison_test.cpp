#include "cli/return_comparison.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace brenmoor::cli {
namespace {

struct ComparisonCase {
    const char* name;
    std::string sent;
    std::string received;
    std::size_t mayHaveMissed;
    std::size_t expected;
    std::optional<std::size_t> firstMismatch;
    std::size_t mismatches;
    std::size_t missing;
    std::size_t extra;

    friend void PrintTo(const ComparisonCase& c, std::ostream* os) { *os << c.name; }
};

std::span<const std::uint8_t> bytes(const std::string& text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

class ReturnComparisonTest : public ::testing::TestWithParam<ComparisonCase> {};

TEST_P(ReturnComparisonTest, CountsWhatCameBackAgainstWhatWasSent) {
    const ComparisonCase& c = GetParam();
    const ReturnComparison result = compareReturned(bytes(c.sent), bytes(c.received), c.mayHaveMissed);
    EXPECT_EQ(result.expected, c.expected);
    EXPECT_EQ(result.received, c.received.size());
    EXPECT_EQ(result.firstMismatch, c.firstMismatch);
    EXPECT_EQ(result.mismatches, c.mismatches);
    EXPECT_EQ(result.missing, c.missing);
    EXPECT_EQ(result.extra, c.extra);
    EXPECT_EQ(result.intact(), !c.firstMismatch && c.missing == 0 && c.extra == 0);
}

TEST_P(ReturnComparisonTest, ATallyFedPieceByPieceComesToTheSame) {
    const ComparisonCase& c = GetParam();
    ReturnTally tally;
    tally.align(bytes(c.sent), bytes(c.received), c.mayHaveMissed);
    // The received bytes trickle in one at a time while the sent ones come two at a time.
    const std::span<const std::uint8_t> sent = bytes(c.sent);
    const std::span<const std::uint8_t> received = bytes(c.received);
    for (std::size_t step = 1; step <= std::max(sent.size(), received.size()); ++step) {
        const std::size_t sentThere = std::min(sent.size(), 2 * step);
        const std::size_t receivedThere = std::min(received.size(), step);
        tally.compare(sent.subspan(std::min<std::size_t>(tally.sentPosition(), sentThere)).first(
                          sentThere - std::min<std::size_t>(tally.sentPosition(), sentThere)),
                      received.subspan(tally.receivedPosition(), receivedThere - tally.receivedPosition()));
    }
    const ReturnComparison whole = compareReturned(sent, received, c.mayHaveMissed);
    const ReturnComparison pieces = tally.result(sent.size(), received.size());
    EXPECT_EQ(pieces.expected, whole.expected);
    EXPECT_EQ(pieces.firstMismatch, whole.firstMismatch);
    EXPECT_EQ(pieces.mismatches, whole.mismatches);
    EXPECT_EQ(pieces.missing, whole.missing);
    EXPECT_EQ(pieces.extra, whole.extra);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ReturnComparisonTest,
    ::testing::Values(
        ComparisonCase{"AllBack", "ABCDEF", "ABCDEF", 0, 6, std::nullopt, 0, 0, 0},
        ComparisonCase{"NothingBack", "ABCDEF", "", 0, 6, std::nullopt, 0, 6, 0},
        ComparisonCase{"TailMissing", "ABCDEF", "ABCD", 0, 6, std::nullopt, 0, 2, 0},
        ComparisonCase{"ExtraAfter", "ABC", "ABCxy", 0, 3, std::nullopt, 0, 0, 2},
        ComparisonCase{"ChangedBytesCountedFromTheFirst", "ABCDEFGH", "ABCdEfGH", 0, 8, 3, 2, 0, 0},
        ComparisonCase{"LostByteShiftsEverythingAfter", "ABCDEF", "ABDEF", 0, 6, 2, 3, 1, 0},
        // The port's purge raced the first packet of its source: the bytes it discarded
        // are not missing, as long as the skip stays within what was sent before the purge.
        ComparisonCase{"PurgedLeadWithinReach", "ABCDEF", "CDEF", 2, 4, std::nullopt, 0, 0, 0},
        ComparisonCase{"PurgedLeadBeyondReach", "ABCDEF", "CDEF", 1, 6, 0, 4, 2, 0},
        ComparisonCase{"SkipsNoMoreThanNeeded", "AAAAB", "AAAB", 4, 4, std::nullopt, 0, 0, 0},
        ComparisonCase{"NothingBackSkipsNothing", "ABCDEF", "", 6, 6, std::nullopt, 0, 6, 0},
        ComparisonCase{"GarbageIsNotExplainedByASkip", "ABCDEF", "xyz", 6, 6, 0, 3, 3, 0}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace brenmoor::cli
