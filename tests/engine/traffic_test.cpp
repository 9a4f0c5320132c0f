// Traffic through the session's threads on the simulated card.

#include <gtest/gtest.h>

#include "session_fixture.h"

namespace brenmoor::test {
namespace {

class TrafficTest : public SessionTest {
protected:
    engine::PanelActions actions{engine()};
};

class PortAlternation : public TrafficTest, public ::testing::WithParamInterface<std::array<int, 2>> {};

TEST_P(PortAlternation, TwoRunningPortsAlternateInIndexOrderWhateverOrderTheyStarted) {
    const auto [firstStarted, secondStarted] = GetParam();
    markPort(0);
    markPort(1);
    setPattern(0, 1, 0, 0, 0);
    setPattern(1, 0, 1, 0, 0);
    session.Start();

    actions.RunClicked(firstStarted);
    ASSERT_TRUE(eventually([&] { return packetsSent(firstStarted) >= 5; }));
    actions.RunClicked(secondStarted);
    ASSERT_TRUE(eventually([&] { return packetsSent(secondStarted) >= 60; }));
    const std::vector<WriteRecord> writes = backend.log.writes();
    ASSERT_TRUE(stopAndFinish());

    // From the transmit thread's first packet on the later port, ports take turns.
    std::size_t start = 0;
    int seen = 0;
    while (start < writes.size() && !(writes[start].comNumber == com(secondStarted) && ++seen == 2)) ++start;
    ASSERT_LT(start + 50, writes.size());
    for (std::size_t i = start + 1; i < writes.size(); ++i)
        ASSERT_NE(writes[i].comNumber, writes[i - 1].comNumber) << "write " << i;
    for (std::size_t i = start; i < writes.size(); ++i)
        EXPECT_EQ(writes[i].bytes.size(), writes[i].comNumber == com(0) ? 39u : 42u);
}

INSTANTIATE_TEST_SUITE_P(StartOrders, PortAlternation,
                         ::testing::Values(std::array<int, 2>{0, 1}, std::array<int, 2>{1, 0}));

TEST_F(TrafficTest, InternalLoopbackShowsExactlyWhatWasSent) {
    markPort(3);
    setPattern(3, 0, 1, 0, 0);
    tables.m_strWriteDelay.setText("50");
    session.Start();
    ASSERT_TRUE(stopAndFinish());
    // Ticked while no session holds the port: the request fails, the choice stays, and Run
    // applies it again.
    panels().setLoopTestChecked(3, true);
    actions.LoopTestClicked(3);
    ASSERT_EQ(messages.texts(), std::vector<std::string>{"Unable to set/reset Local LoopBack on port 3"});
    EXPECT_FALSE(card.internalLoopback(com(3)));

    session.Start();
    actions.RunClicked(3);
    EXPECT_TRUE(card.internalLoopback(com(3)));
    ASSERT_TRUE(eventually([&] { return packetsSent(3) >= 4; }));
    actions.StopClicked(3);
    const std::string sent = panel(3).sentText;
    ASSERT_GE(sent.size(), 4u * 42u);
    EXPECT_TRUE(eventually([&] { return panel(3).receivedText.size() >= sent.size(); }));
    EXPECT_EQ(panel(3).receivedText, sent);
    ASSERT_TRUE(stopAndFinish());
    EXPECT_EQ(messages.messages().size(), 1u);
}

TEST_F(TrafficTest, MoreThanAReadsWorthArrivesInSeparatePassesAndIsShownWhileThePortIsNotRunning) {
    markPort(0);
    session.Start();
    std::vector<std::uint8_t> block(700);
    for (std::size_t i = 0; i < block.size(); ++i) block[i] = static_cast<std::uint8_t>('a' + i % 26);

    ASSERT_EQ(card.inject(com(0), block), block.size());

    ASSERT_TRUE(eventually([&] { return panel(0).receivedText.size() >= block.size(); }));
    EXPECT_EQ(panel(0).receivedText, std::string(block.begin(), block.end()));
    EXPECT_EQ(backend.log.receiveSteps(com(0)), (std::vector<std::string>{"wait", "read 450", "wait", "read 250"}));
    ASSERT_TRUE(stopAndFinish());
}

TEST_F(TrafficTest, AReceivedBlockIsShownUpToItsZeroByteAndNotAtAllWithEnableClear) {
    markPort(0);
    markPort(1);
    session.Start();
    panels().setEnableChecked(1, false);

    card.inject(com(0), {'a', 'b', 0, 'c', 'd'});
    card.inject(com(1), {'x', 'y'});

    ASSERT_TRUE(eventually([&] { return !panel(0).receivedText.empty(); }));
    EXPECT_EQ(panel(0).receivedText, "ab");
    // What arrives once Enable is ticked again is shown, and nothing from before it.
    ASSERT_TRUE(eventually([&] { return backend.log.receiveSteps(com(1)).size() == 2; }));
    panels().setEnableChecked(1, true);
    card.inject(com(1), {'z'});
    ASSERT_TRUE(eventually([&] { return !panel(1).receivedText.empty(); }));
    EXPECT_EQ(panel(1).receivedText, "z");
    ASSERT_TRUE(stopAndFinish());
}

TEST_F(TrafficTest, StopDuringAFileTransferLeavesNoChunkPendingAndTheNextRunStartsTheFileAgain) {
    markPort(0);
    setPattern(0, 0, 0, 0, 1);
    config::PortDataPattern& pattern = tables.g_PortDataPattern[0];
    pattern.nFileDataLen = static_cast<std::int32_t>(config::kFileDataSize);
    for (std::size_t i = 0; i < config::kFileDataSize; ++i) pattern.FileData[i] = static_cast<std::uint8_t>(i / 100);

    session.Start();
    actions.RunClicked(0);
    ASSERT_TRUE(eventually([&] { return packetsSent(0) >= 20; }));
    ASSERT_TRUE(stopAndFinish());
    EXPECT_EQ(engine().fileTransfer[0].continuation.load(), 0);

    const std::size_t before = backend.log.writesOf(com(0)).size();
    session.Start();
    actions.RunClicked(0);
    ASSERT_TRUE(eventually([&] { return backend.log.writesOf(com(0)).size() >= before + 2; }));
    const std::vector<WriteRecord> writes = backend.log.writesOf(com(0));
    EXPECT_EQ(writes[before].bytes, std::vector<std::uint8_t>(100, 0));
    EXPECT_EQ(writes[before + 1].bytes, std::vector<std::uint8_t>(100, 1));
    ASSERT_TRUE(stopAndFinish());
}

TEST_F(TrafficTest, StopEndsTheSessionWithoutWaitingOutALongWriteDelay) {
    markPort(0);
    markPort(1);
    setPattern(0, 1, 0, 0, 0);
    tables.m_strWriteDelay.setText("3600000");  // an hour
    session.Start();
    actions.RunClicked(0);
    actions.RunClicked(1);
    ASSERT_EQ(packetsSent(1), 1);

    EXPECT_TRUE(stopAndFinish());
    EXPECT_TRUE(flags.isIdle());
}

}  // namespace
}  // namespace brenmoor::test
