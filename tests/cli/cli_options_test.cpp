#include "cli/cli_options.h"

#include <gtest/gtest.h>

#include "platform/port_list_text.h"

namespace brenmoor::cli {
namespace {

ParsedCommandLine parse(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), "brenmoor-cli");
    return parseCliOptions(arguments);
}

TEST(CliOptionsTest, EveryOptionReachesTheRun) {
    const ParsedCommandLine parsed =
        parse({"--profile", "p.ini", "--simulated-card", "--device", "COM4=/dev/ttyS9", "--device=COM5=/dev/x",
               "--ports", "1,3,5-8", "--packets", "40", "--pattern", "user:a:b", "--delay=0", "--baud", "921600",
               "--plug", "3", "--pair", "5:6", "--pair", "7:8", "--json", "r.json", "--junit", "r.xml", "--quiet",
               "--sim-plug", "3", "--sim-pair", "5:6", "--sim-fault", "7:hang-up@1.5", "--sim-fault", "8:stall"});
    ASSERT_EQ(parsed.error, "");
    const CliOptions& o = parsed.options;
    EXPECT_EQ(o.profile, "p.ini");
    EXPECT_TRUE(o.simulatedCard);
    EXPECT_EQ(o.devices, (std::vector<std::string>{"COM4=/dev/ttyS9", "COM5=/dev/x"}));
    EXPECT_EQ(o.ports, (std::vector<int>{1, 3, 5, 6, 7, 8}));
    EXPECT_EQ(o.packets, 40);
    EXPECT_FALSE(o.seconds);
    ASSERT_TRUE(o.pattern);
    EXPECT_EQ(o.pattern->kind, PatternKind::User);
    EXPECT_EQ(o.pattern->text, "a:b");
    EXPECT_EQ(o.delayMs, 0);
    EXPECT_EQ(o.baud, 921600u);
    EXPECT_EQ(o.plugs, std::vector<int>{3});
    EXPECT_EQ(o.pairs, (std::vector<std::pair<int, int>>{{5, 6}, {7, 8}}));
    EXPECT_EQ(o.json, "r.json");
    EXPECT_EQ(o.junit, "r.xml");
    EXPECT_TRUE(o.quiet);
    EXPECT_EQ(o.simulated.plugs, std::vector<int>{3});
    EXPECT_EQ(o.simulated.pairs, (std::vector<std::pair<int, int>>{{5, 6}}));
    ASSERT_EQ(o.simulated.faults.size(), 2u);
    EXPECT_EQ(o.simulated.faults[0].port, 7);
    EXPECT_EQ(o.simulated.faults[0].kind, platform::SimulatedFaultKind::HangUp);
    EXPECT_EQ(o.simulated.faults[0].after, std::chrono::milliseconds(1500));
    EXPECT_EQ(o.simulated.faults[1].kind, platform::SimulatedFaultKind::Stall);
    EXPECT_EQ(o.simulated.faults[1].after, std::chrono::milliseconds(0));
}

struct BadLine {
    const char* name;
    std::vector<std::string> arguments;
    std::string errorStart;  // names the option at fault

    friend void PrintTo(const BadLine& c, std::ostream* os) { *os << c.name; }
};

class CliBadLineTest : public ::testing::TestWithParam<BadLine> {};

TEST_P(CliBadLineTest, IsRefusedNamingTheOption) {
    const ParsedCommandLine parsed = parse(GetParam().arguments);
    EXPECT_TRUE(parsed.error.starts_with(GetParam().errorStart)) << parsed.error;
}

INSTANTIATE_TEST_SUITE_P(
    Lines, CliBadLineTest,
    ::testing::Values(BadLine{"UnknownOption", {"--fast"}, "unknown option --fast"},
                      BadLine{"Positional", {"file.txt"}, "unexpected argument"},
                      BadLine{"MissingValue", {"--ports"}, "--ports needs a value"},
                      BadLine{"FlagWithValue", {"--quiet=yes"}, "--quiet takes no value"},
                      BadLine{"PortZero", {"--ports", "0-3"}, "--ports:"},
                      BadLine{"PortNine", {"--ports", "9"}, "--ports:"},
                      BadLine{"BackwardRange", {"--ports", "5-2"}, "--ports:"},
                      BadLine{"EmptyListItem", {"--ports", "1,,2"}, "--ports:"},
                      BadLine{"RateNotInList", {"--baud", "1234"}, "--baud:"},
                      BadLine{"DelayTooLong", {"--delay", "10000"}, "--delay:"},
                      BadLine{"NegativeDelay", {"--delay", "-1"}, "--delay:"},
                      BadLine{"ZeroSeconds", {"--seconds", "0"}, "--seconds:"},
                      BadLine{"SecondsAndPackets", {"--seconds", "5", "--packets", "5"}, "--seconds and --packets"},
                      BadLine{"UnknownPattern", {"--pattern", "zigzag"}, "--pattern:"},
                      BadLine{"FileWithoutPath", {"--pattern", "file:"}, "--pattern:"},
                      BadLine{"ExternalLoopback", {"--loopback", "external"}, "--loopback:"},
                      BadLine{"PairWithItself", {"--pair", "2:2"}, "--pair:"},
                      BadLine{"PairWithoutColon", {"--pair", "2"}, "--pair:"},
                      BadLine{"PortOnTwoPaths", {"--plug", "2", "--pair", "1:2"}, "--pair: port 2"},
                      BadLine{"UnknownFault", {"--sim-fault", "1:melt"}, "--sim-fault:"},
                      BadLine{"FaultTimeNotANumber", {"--sim-fault", "1:stall@soon"}, "--sim-fault:"},
                      BadLine{"FaultWithoutKind", {"--sim-fault", "1"}, "--sim-fault:"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CliOptionsTest, HelpAndVersionAreNotErrors) {
    EXPECT_TRUE(parse({"--help"}).help);
    EXPECT_TRUE(parse({"--version"}).version);
    EXPECT_EQ(parse({"--help"}).error, "");
}

TEST(PortListTest, RangesAndRepeatsGiveEachPortOnceInOrder) {
    std::string error;
    EXPECT_EQ(platform::parsePortList("8,1-3,2", error), (std::vector<int>{1, 2, 3, 8}));
    EXPECT_EQ(platform::parsePortList("4-4", error), std::vector<int>{4});
    EXPECT_FALSE(platform::parsePortList("", error));
    EXPECT_FALSE(platform::parsePortList("1-", error));
    EXPECT_FALSE(platform::parsePortList("+2", error));
}

}  // namespace
}  // namespace brenmoor::cli
