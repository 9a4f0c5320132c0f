// A panel's Run, Stop, loopback and stop-choice controls during and between sessions.

#include <gtest/gtest.h>

#include <optional>

#include "session_fixture.h"

namespace brenmoor::test {
namespace {

using engine::PanelControl;

class PanelTest : public SessionTest {
protected:
    engine::PanelActions actions{engine()};
};

TEST_F(PanelTest, RunOnAPortTheSessionDidNotOpenChangesNothing) {
    markPort(0);
    session.Start();
    const engine::PanelState before = panel(3);

    actions.RunClicked(3);

    EXPECT_EQ(panel(3), before);
    EXPECT_EQ(engine().runningPortCount.load(), 0);
    EXPECT_FALSE(running(3));
    EXPECT_TRUE(backend.log.writes().empty());
    EXPECT_TRUE(messages.messages().empty());
    ASSERT_TRUE(stopAndFinish());
}

TEST_F(PanelTest, RunEmptiesTheBoxesAndShowsZeroBeforeTheFirstPacketAndOneAfterIt) {
    markPort(6);
    markPort(2);
    setPattern(6, 1, 0, 0, 0);
    tables.m_strWriteDelay.setText("600000");  // the transmit thread sends nothing more
    session.Start();
    panels().appendSentText(6, "old sent");
    panels().appendReceivedText(6, "old received");
    std::vector<std::pair<int, unsigned>> purges;
    std::optional<engine::PanelState> atPurge;
    backend.onPurge = [&](int comNumber, unsigned purgeFlags) {
        purges.emplace_back(comNumber, purgeFlags);
        atPurge = panel(6);
    };

    actions.RunClicked(6);

    EXPECT_EQ(purges, (std::vector<std::pair<int, unsigned>>{{com(6), platform::kPurgeRxClear}}));
    ASSERT_TRUE(atPurge);
    EXPECT_EQ(atPurge->packetCount, "0");
    EXPECT_EQ(atPurge->sentText, "");
    EXPECT_EQ(atPurge->receivedText, "");
    EXPECT_EQ(panel(6).packetCount, "1");
    EXPECT_EQ(panel(6).sentText, engine::kAlphabetLine);

    // Stop leaves the last count shown; the next Run starts from "0" again.
    actions.StopClicked(6);
    EXPECT_EQ(panel(6).packetCount, "1");
    EXPECT_EQ(packetsSent(6), 0);
    atPurge.reset();
    actions.RunClicked(6);
    ASSERT_TRUE(atPurge);
    EXPECT_EQ(atPurge->packetCount, "0");
    EXPECT_EQ(panel(6).packetCount, "1");
    EXPECT_EQ(backend.log.writesOf(com(6)).size(), 2u);
    backend.onPurge = nullptr;
    ASSERT_TRUE(stopAndFinish());
}

TEST_F(PanelTest, ControlAvailabilityFollowsTheRunState) {
    markPort(1);
    tables.m_strWriteDelay.setText("600000");
    constexpr std::array<PanelControl, 7> kColumns{PanelControl::Run,         PanelControl::Stop,
                                                   PanelControl::Transfer,    PanelControl::InternalLoopTest,
                                                   PanelControl::TestForever, PanelControl::Time,
                                                   PanelControl::Enable};
    const auto availability = [&](int port) {
        std::array<bool, 7> row{};
        for (std::size_t i = 0; i < kColumns.size(); ++i) row[i] = panel(port).isEnabled(kColumns[i]);
        return row;
    };
    using Row = std::array<bool, 7>;
    const Row ready{true, false, true, true, true, false, true};
    const Row running{false, true, false, false, false, false, false};
    const Row noSession{false, false, false, true, true, false, true};

    session.Start();
    EXPECT_EQ(availability(1), ready);
    EXPECT_EQ(availability(4), ready);  // a port that did not open looks the same
    actions.RunClicked(1);
    EXPECT_EQ(availability(1), running);
    actions.StopClicked(1);
    EXPECT_EQ(availability(1), ready);
    actions.RunClicked(1);
    ASSERT_TRUE(stopAndFinish());
    EXPECT_EQ(availability(1), noSession);
    EXPECT_EQ(availability(4), noSession);
}

TEST_F(PanelTest, AStopChoiceClickChecksItAloneAndOnlyTimeOffersTheTimeBoxes) {
    markPort(0);
    tables.m_PortTest[0].nTestForever = 1;
    tables.m_PortTest[0].nStopError = 1;
    session.Start();

    actions.StopChoiceClicked(0, engine::StopChoice::Time);
    engine::PanelState state = panel(0);
    EXPECT_TRUE(state.timeChecked);
    EXPECT_FALSE(state.testForeverChecked || state.errorChecked);
    EXPECT_TRUE(state.isEnabled(PanelControl::Hours) && state.isEnabled(PanelControl::Minutes));

    actions.StopChoiceClicked(0, engine::StopChoice::Error);
    state = panel(0);
    EXPECT_TRUE(state.errorChecked);
    EXPECT_FALSE(state.testForeverChecked || state.timeChecked);
    EXPECT_FALSE(state.isEnabled(PanelControl::Hours) || state.isEnabled(PanelControl::Minutes));
    ASSERT_TRUE(stopAndFinish());
}

TEST_F(PanelTest, TheLoopbackClickSwitchesAnOpenPortAndFailsWithItsMessageOnceTheSessionHasEnded) {
    markPort(2);
    session.Start();
    panels().setLoopTestChecked(2, true);
    actions.LoopTestClicked(2);
    EXPECT_TRUE(card.internalLoopback(com(2)));
    EXPECT_EQ(tables.m_PortTest[2].nLoopTest, 1);
    EXPECT_TRUE(messages.messages().empty());
    ASSERT_TRUE(stopAndFinish());

    panels().setLoopTestChecked(2, false);
    actions.LoopTestClicked(2);

    EXPECT_EQ(tables.m_PortTest[2].nLoopTest, 0);
    const platform::MessageBoxRequest refused{"Unable to set/reset Local LoopBack on port 2", "Error",
                                              platform::MessageIcon::Warning, platform::MessageOwner::MainWindow};
    EXPECT_EQ(messages.messages(), std::vector<platform::MessageBoxRequest>{refused});
}

}  // namespace
}  // namespace brenmoor::test
