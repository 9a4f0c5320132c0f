#include "cli/progress_display.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

namespace brenmoor::cli {
namespace {

std::vector<ProgressRow> twoPorts(std::uint64_t bytes) {
    platform::LineState line;
    line.baudRate = 9600;  // 8N1: 960 characters a second
    return {{1, 10, bytes, bytes, line, true, ""}, {2, 10, bytes, 0, line, false, "first mismatch at byte 7"}};
}

TEST(ProgressDisplayTest, WithoutATerminalAPlainLinePerPortEveryTenSeconds) {
    std::ostringstream out;
    ProgressDisplay progress(&out, false);
    progress.show(0.5, twoPorts(480));
    progress.show(9.9, twoPorts(480));
    EXPECT_EQ(out.str(), "");
    progress.show(10.0, twoPorts(9600));
    EXPECT_EQ(out.str(), "10 s: Port1 packets 10 sent 9600 received 9600 use 1.00 running\n"
                         "10 s: Port2 packets 10 sent 9600 received 0 use 1.00 stopped, first mismatch at byte 7\n");
    const auto lines = [&] { return std::ranges::count(out.str(), '\n'); };
    progress.show(19.0, twoPorts(9600));
    EXPECT_EQ(lines(), 2);
    progress.show(20.5, twoPorts(9600));
    EXPECT_EQ(lines(), 4);
}

TEST(ProgressDisplayTest, OnATerminalTheTableIsRedrawnInPlaceEachSecond) {
    std::ostringstream out;
    ProgressDisplay progress(&out, true);
    progress.show(0.9, twoPorts(480));
    EXPECT_EQ(out.str(), "");
    progress.show(1.0, twoPorts(480));
    const std::string first = out.str();
    EXPECT_EQ(std::ranges::count(first, '\n'), 3);  // heading and two ports
    EXPECT_NE(first.find("0.50  running\x1b[K\n"), std::string::npos);
    EXPECT_NE(first.find("0.50  stopped, first mismatch at byte 7\x1b[K\n"), std::string::npos);
    EXPECT_EQ(first.find("\x1b[3F"), std::string::npos);
    progress.show(1.5, twoPorts(480));
    EXPECT_EQ(out.str(), first);
    progress.show(2.0, twoPorts(960));
    // The second table starts by moving back over the first one's three lines.
    EXPECT_EQ(out.str().substr(first.size(), 4), "\x1b[3F");
}

}  // namespace
}  // namespace brenmoor::cli
