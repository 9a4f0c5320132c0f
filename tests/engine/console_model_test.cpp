#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "engine/console_model.h"

namespace brenmoor::engine {
namespace {

struct AppendCase {
    std::size_t before;
    std::string text;
    std::size_t after;  // box length after the append; 0 is an emptied box

    std::string name() const { return "From" + std::to_string(before) + "Add" + std::to_string(text.size()); }
    friend void PrintTo(const AppendCase& c, std::ostream* os) { *os << c.name(); }
};

class TextBoxLimit : public ::testing::TestWithParam<AppendCase> {};

TEST_P(TextBoxLimit, AppendKeepsTheBoxWithinTenThousandOrEmptiesIt) {
    const AppendCase& c = GetParam();
    ConsoleModel model;
    model.appendSentText(2, std::string(c.before, 'x'));
    model.appendSentText(2, c.text);
    const PanelState panel = model.panel(2);
    EXPECT_EQ(panel.sentText.size(), c.after);
    if (c.after > c.before) {
        EXPECT_EQ(panel.sentText.substr(c.before), c.text.substr(0, c.text.find('\0')));
    }
    EXPECT_EQ(panel.receivedText, "");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TextBoxLimit,
    ::testing::Values(AppendCase{9990, std::string(42, 'q'), 0},     // over the limit: neither text stays
                      AppendCase{9958, std::string(42, 'q'), 10000},  // exactly at the limit
                      AppendCase{9999, "ab", 0},
                      AppendCase{10000, "", 10000},
                      AppendCase{0, std::string("ab\0cd", 5), 2},     // up to the zero byte
                      AppendCase{9998, std::string("ab\0cd", 5), 10000}),
    [](const auto& info) { return info.param.name(); });

TEST(ConsoleModelTest, BoxesReachTheirLimitsIndependentlyAndTheNextAppendStartsAFreshBox) {
    ConsoleModel model;
    model.appendSentText(0, std::string(9990, 's'));
    model.appendReceivedText(0, std::string(9990, 'r'));
    model.appendSentText(0, std::string(42, 'q'));
    PanelState panel = model.panel(0);
    EXPECT_EQ(panel.sentText, "");
    EXPECT_EQ(panel.receivedText.size(), 9990u);

    model.appendSentText(0, "next");
    EXPECT_EQ(model.panel(0).sentText, "next");
    EXPECT_EQ(model.panel(1).sentText, "");
}

TEST(ConsoleModelTest, InitialiseSetsEachPanelFromItsOptionsAndOpenFlag) {
    std::array<config::PortTestOptions, config::kPortCount> options{};
    options[0].nTestForever = 1;
    options[0].nStopError = 1;
    options[3].nStopTime = 1;
    options[3].strHrTime = "0";
    options[3].strMinTime = "1";
    std::array<std::uint8_t, config::kPortCount> open{};
    open[3] = 1;

    ConsoleModel model;
    model.setLoopTestChecked(3, true);
    model.initialise(options, open);

    const PanelState first = model.panel(0);
    EXPECT_TRUE(first.testForeverChecked);
    EXPECT_TRUE(first.errorChecked);
    EXPECT_FALSE(first.timeChecked);
    EXPECT_FALSE(first.enableChecked);
    EXPECT_FALSE(first.isEnabled(PanelControl::Hours));

    const PanelState fourth = model.panel(3);
    EXPECT_TRUE(fourth.timeChecked);
    EXPECT_FALSE(fourth.testForeverChecked);
    EXPECT_TRUE(fourth.enableChecked);
    EXPECT_FALSE(fourth.loopTestChecked);
    EXPECT_EQ(fourth.hoursText, "0");
    EXPECT_EQ(fourth.minutesText, "1");
    EXPECT_TRUE(fourth.isEnabled(PanelControl::Hours));
    EXPECT_TRUE(fourth.isEnabled(PanelControl::Minutes));

    for (int port = 0; port < config::kPortCount; ++port) {
        const PanelState panel = model.panel(port);
        EXPECT_EQ(panel.packetCount, "0");
        EXPECT_FALSE(panel.isEnabled(PanelControl::Stop));
        EXPECT_TRUE(panel.isEnabled(PanelControl::Run));
        EXPECT_FALSE(panel.isEnabled(PanelControl::Error));
        EXPECT_FALSE(panel.isEnabled(PanelControl::Time));
    }
}

TEST(ConsoleModelTest, ChangesAreCoalescedUntilTheWindowTakesThem) {
    ConsoleModel model;
    int notices = 0;
    model.setChangeListener([&] { ++notices; });

    model.appendSentText(1, "a");
    model.setPacketCount(1, "1");
    model.appendReceivedText(6, "b");
    EXPECT_EQ(notices, 1);
    EXPECT_EQ(model.takeChangedPorts(), (1u << 1) | (1u << 6));
    EXPECT_EQ(model.takeChangedPorts(), 0u);

    model.setEnableChecked(7, true);
    EXPECT_EQ(notices, 2);
    EXPECT_EQ(model.takeChangedPorts(), 1u << 7);
}

TEST(ConsoleModelTest, APortIndexOutsideTheCardChangesNothing) {
    ConsoleModel model;
    model.appendSentText(8, "x");
    model.setEnabled(-1, {PanelControl::Run}, false);
    EXPECT_EQ(model.takeChangedPorts(), 0u);
    EXPECT_FALSE(model.isEnableChecked(8));
}

}  // namespace
}  // namespace brenmoor::engine
