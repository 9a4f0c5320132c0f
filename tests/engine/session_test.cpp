// Session start, stop and finish: messages, menu state, console, threads and ports.

#include <gtest/gtest.h>

#include "session_fixture.h"

namespace brenmoor::test {
namespace {

using platform::MessageBoxRequest;
using platform::MessageIcon;
using platform::MessageOwner;

MessageBoxRequest warning(std::string text, std::string caption) {
    return {std::move(text), std::move(caption), MessageIcon::Warning, MessageOwner::MainWindow};
}

const std::array<int, 4> kPlacement{100, 100, 860, 580};

TEST_F(SessionTest, StartWithNoPortMarkedShowsOnlyThatItOpenedNoneAndStaysIdle) {
    session.Start();

    EXPECT_EQ(messages.messages(),
              std::vector<MessageBoxRequest>{warning("Unable to open any communication port", "ERROR")});
    EXPECT_TRUE(flags.isIdle());
    EXPECT_FALSE(session.inProgress());
    EXPECT_EQ(console.createCount, 0);
    EXPECT_EQ(notices.pendingThreadDone(), 0);
}

TEST_F(SessionTest, AnAbsentPortIsReportedAndTheSessionFinishesAtTheThirdNotice) {
    markPort(0);
    markPort(2);
    markPort(5);
    card.setAbsent(com(2), true);

    session.Start();

    MessageBoxRequest notOpened = warning("Unable to open the communication port COM6", "ERROR");
    notOpened.detail = "COM6: the port is absent";  // the simulated card's reason
    EXPECT_EQ(messages.messages(), std::vector<MessageBoxRequest>{notOpened});
    EXPECT_EQ(flags.m_bEnableStop, 1);
    EXPECT_EQ(flags.m_bEnableStart, 0);
    EXPECT_EQ(session.threadCount(), 3);
    EXPECT_EQ(console.createCount, 1);
    EXPECT_EQ(console.placements, (std::vector<std::array<int, 4>>{kPlacement}));
    EXPECT_TRUE(card.isOpen(com(0)));
    EXPECT_TRUE(card.isOpen(com(5)));
    session.Start();  // not offered while running: changes nothing
    EXPECT_EQ(messages.messages().size(), 1u);
    EXPECT_EQ(session.threadCount(), 3);

    // No port runs: the stop alone must end all three threads; a second stop does no harm.
    session.Stop();
    ASSERT_TRUE(stopAndFinish());

    EXPECT_EQ(notices.pendingThreadDone(), 0);
    EXPECT_TRUE(flags.isIdle());
    EXPECT_FALSE(card.isOpen(com(0)));
    EXPECT_FALSE(card.isOpen(com(5)));
    for (int port = 0; port < config::kPortCount; ++port) {
        EXPECT_EQ(engine().ports.handles[port], nullptr);
        EXPECT_EQ(engine().ports.portOpen[port], 0);
        EXPECT_FALSE(panel(port).isEnabled(engine::PanelControl::Run));
    }
    EXPECT_EQ(messages.messages().size(), 1u);
}

TEST_F(SessionTest, ASecondSessionReusesTheConsoleAsItWasLeftAndStartsFreshThreads) {
    markPort(0);
    setPattern(0, 1, 0, 0, 0);
    engine::PanelActions actions(engine());

    session.Start();
    actions.RunClicked(0);
    ASSERT_TRUE(eventually([&] { return packetsSent(0) >= 3; }));
    ASSERT_TRUE(stopAndFinish());
    const engine::PanelState leftBehind = panel(0);
    const std::size_t writesBefore = backend.log.writesOf(com(0)).size();

    session.Start();

    EXPECT_EQ(console.createCount, 1);
    EXPECT_EQ(console.focusCount, 1);
    EXPECT_EQ(console.placements, (std::vector<std::array<int, 4>>{kPlacement, kPlacement}));
    engine::PanelState reused = panel(0);
    EXPECT_EQ(reused.sentText, leftBehind.sentText);
    EXPECT_EQ(reused.packetCount, leftBehind.packetCount);
    EXPECT_TRUE(reused.isEnabled(engine::PanelControl::Run));

    actions.RunClicked(0);
    EXPECT_TRUE(eventually([&] { return backend.log.writesOf(com(0)).size() >= writesBefore + 3; }));
    ASSERT_TRUE(stopAndFinish());
    EXPECT_TRUE(messages.messages().empty());
}

TEST_F(SessionTest, AConsoleThatCannotBeMadeEndsTheStartWithThePortsClosedAndTheMenusIdle) {
    markPort(0);
    markPort(1);
    console.failToCreate = true;

    session.Start();

    EXPECT_EQ(messages.messages(),
              std::vector<MessageBoxRequest>{warning("Unable to create the Serial Communication Test Dialog", "Error")});
    EXPECT_TRUE(flags.isIdle());
    EXPECT_FALSE(session.inProgress());
    EXPECT_EQ(engine().g_pTestDlg.load(), nullptr);
    EXPECT_FALSE(card.isOpen(com(0)));
    EXPECT_FALSE(card.isOpen(com(1)));
    EXPECT_EQ(engine().ports.handles[0], nullptr);
    EXPECT_EQ(notices.pendingThreadDone(), 0);

    // The next start makes the console anew.
    console.failToCreate = false;
    session.Start();
    EXPECT_EQ(console.createCount, 2);
    EXPECT_TRUE(session.inProgress());
    ASSERT_TRUE(stopAndFinish());
}

TEST_F(SessionTest, StopThenReportsOnlyOnceTheSessionHasFinished) {
    int finished = 0;
    session.StopThen([&] { ++finished; });
    EXPECT_EQ(finished, 1);

    markPort(3);
    session.Start();
    session.StopThen([&] { ++finished; });
    EXPECT_EQ(finished, 1);
    EXPECT_EQ(flags.m_bEnableStop, 1);
    ASSERT_TRUE(finishWhenThreadsEnd());
    EXPECT_EQ(finished, 2);
    EXPECT_TRUE(flags.isIdle());
}

TEST_F(SessionTest, RunBetweenStopAndTheFinishDoesNothingAndNoPortRunsIntoTheNextSession) {
    markPort(0);
    markPort(1);
    setPattern(0, 1, 0, 0, 0);
    setPattern(1, 0, 1, 0, 0);
    engine::PanelActions actions(engine());
    session.Start();
    session.Stop();

    actions.RunClicked(0);

    EXPECT_FALSE(running(0));
    EXPECT_EQ(engine().runningPortCount.load(), 0);
    EXPECT_FALSE(panel(0).isEnabled(engine::PanelControl::Stop));
    EXPECT_TRUE(backend.log.writesOf(com(0)).empty());
    ASSERT_TRUE(finishWhenThreadsEnd());
    for (int port = 0; port < config::kPortCount; ++port) EXPECT_FALSE(running(port)) << "port " << port;

    // In the next session only the port that is started transmits.
    session.Start();
    actions.RunClicked(1);
    ASSERT_TRUE(eventually([&] { return packetsSent(1) >= 20; }));
    EXPECT_TRUE(backend.log.writesOf(com(0)).empty());
    ASSERT_TRUE(stopAndFinish());
    EXPECT_TRUE(messages.messages().empty());
}

TEST(SessionLifetimeTest, ASessionStillRunningAtTheEndStopsAndJoinsItsThreads) {
    config::SettingsTables tables;
    tables.m_strWriteDelay.setText("0");
    config::PortRegistryEntry& entry = tables.m_PortRegistry[0];
    entry = {.nBaud = 13, .nDataBits = 3, .nParity = 4, .nComBase = 3, .nFlowCtrl = 2, .nPortOpen = 1};
    config::CommandFlags flags;
    platform::SimulatedCard card;
    RecordingMessageSink messages;
    NoticeQueue notices;
    TestConsole console;
    {
        engine::TestSession session(tables, flags, card, messages, notices, console);
        session.Start();
        engine::PanelActions(session.engine()).RunClicked(0);
        ASSERT_TRUE(card.isOpen(4));
    }
    EXPECT_FALSE(card.isOpen(4));
    EXPECT_TRUE(flags.isIdle());
    EXPECT_EQ(notices.pendingThreadDone(), 2);
}

}  // namespace
}  // namespace brenmoor::test
