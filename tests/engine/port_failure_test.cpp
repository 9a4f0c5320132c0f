// A port that fails for good during a session: one message, the other ports go on, and
// the session still stops and finishes.

#include <gtest/gtest.h>

#include <functional>
#include <set>

#include "session_fixture.h"

namespace brenmoor::test {
namespace {

struct FaultCase {
    const char* name;
    std::function<void(platform::SimulatedCard&, int comNumber)> inflict;
    std::set<std::string> possibleMessages;  // either thread may meet the fault first
};

class PortFailure : public SessionTest, public ::testing::WithParamInterface<FaultCase> {};

TEST_P(PortFailure, IsReportedOnceWhileTheOtherPortsKeepCounting) {
    const FaultCase& c = GetParam();
    for (int port : {0, 1, 2}) {
        markPort(port);
        setPattern(port, 0, 1, 0, 0);
    }
    engine::PanelActions actions(engine());
    session.Start();
    for (int port : {0, 1, 2}) {
        panels().setLoopTestChecked(port, true);
        actions.RunClicked(port);
    }
    ASSERT_TRUE(eventually([&] { return packetsSent(0) >= 3 && packetsSent(1) >= 3 && packetsSent(2) >= 3; }));

    c.inflict(card, com(1));

    ASSERT_TRUE(eventually([&] { return !engine().health[1].inUse(); }));
    const std::int32_t sent0 = packetsSent(0);
    const std::int32_t sent2 = packetsSent(2);
    EXPECT_TRUE(eventually([&] { return packetsSent(0) >= sent0 + 50 && packetsSent(2) >= sent2 + 50; }));
    const std::vector<std::string> texts = messages.texts();
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_TRUE(c.possibleMessages.contains(texts[0])) << texts[0];

    ASSERT_TRUE(stopAndFinish());
    EXPECT_TRUE(flags.isIdle());
    EXPECT_EQ(messages.texts().size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(
    Faults, PortFailure,
    ::testing::Values(
        FaultCase{"HangUp", [](platform::SimulatedCard& card, int comNumber) { card.hangUp(comNumber); },
                  {"Unable to Read to the comm port", "Unable to Write to the comm port"}},
        FaultCase{"ReadErrorThatRepeats",
                  [](platform::SimulatedCard& card, int comNumber) { card.setReadError(comNumber, true); },
                  {"Unable to Read to the comm port"}},
        FaultCase{"WriteThatStalls",
                  [](platform::SimulatedCard& card, int comNumber) { card.setWriteStalled(comNumber, true); },
                  {"Write Timeout"}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace brenmoor::test
