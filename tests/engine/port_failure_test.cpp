// Transfer failures during a session, on a card whose clock the test moves: a fault that
// passes is reported once and the port keeps trying until it heals; a port whose device
// has gone is stopped as a Stop click would stop it, with one message naming it. The other
// ports go on, and the session still stops and finishes.

#include <gtest/gtest.h>

#include <functional>
#include <initializer_list>
#include <ostream>
#include <string>
#include <vector>

#include "session_fixture.h"

namespace brenmoor::test {
namespace {

using engine::PanelControl;
using platform::MessageBoxRequest;
using platform::MessageIcon;

class PortFailureTest : public SessionTest {
protected:
    // The card's clock moves only when the test moves it; the engine's pause after a failure
    // runs on the real clock, so it is kept short.
    PortFailureTest() : SessionTest(platform::SimulatedCard::Clock::Virtual) {
        engine().retryPause = std::chrono::milliseconds(1);
    }

    // Polls as eventually() does, moving the card's clock on at each look, so the lines run
    // and the transfers' time limits pass without real waiting.
    bool eventuallyOnTheLine(const std::function<bool()>& condition) {
        return eventually([&] {
            card.advance(std::chrono::milliseconds(5));
            return condition();
        });
    }

    // A write may be waiting for the line when the session stops: the clock moves on until
    // every thread has ended.
    bool stopAndFinishOnTheLine() {
        session.Stop();
        return eventuallyOnTheLine([&] { return notices.pendingThreadDone() >= session.threadCount(); }) &&
               finishWhenThreadsEnd();
    }

    void TearDown() override {
        if (session.inProgress()) stopAndFinishOnTheLine();
    }

    // Opens the ports with the alphabet line and their internal loopback ticked.
    void startLoopedBack(std::initializer_list<int> ports) {
        for (int port : ports) {
            markPort(port);
            setPattern(port, 1, 0, 0, 0);
        }
        session.Start();
        for (int port : ports) panels().setLoopTestChecked(port, true);
    }

    bool looksReady(int port) {
        const engine::PanelState state = panel(port);
        return state.isEnabled(PanelControl::Run) && state.isEnabled(PanelControl::Transfer) &&
               state.isEnabled(PanelControl::InternalLoopTest) && state.isEnabled(PanelControl::Enable) &&
               !state.isEnabled(PanelControl::Stop);
    }

    // The boxes shown so far, as "caption: text", with a mark for the warning icon.
    std::vector<std::string> shown() {
        std::vector<std::string> out;
        for (const MessageBoxRequest& m : messages.messages())
            out.push_back(m.caption + ": " + m.text + (m.icon == MessageIcon::Warning ? " (warning)" : ""));
        return out;
    }

    engine::PanelActions actions{engine()};
};

struct TransientFault {
    const char* name;
    void (platform::SimulatedCard::*set)(int comNumber, bool on);
    std::string message;
};

void PrintTo(const TransientFault& fault, std::ostream* out) { *out << fault.name; }

class TransientFailure : public PortFailureTest, public ::testing::WithParamInterface<TransientFault> {};

TEST_P(TransientFailure, IsReportedOnceAndThePortKeepsTryingUntilItHeals) {
    const TransientFault& fault = GetParam();
    startLoopedBack({0, 1});
    actions.RunClicked(0);
    actions.RunClicked(1);
    ASSERT_TRUE(eventuallyOnTheLine([&] { return readsOf(0) >= 3 && readsOf(1) >= 3; }));

    (card.*fault.set)(com(1), true);
    const std::size_t readsOfOther = readsOf(0);
    // Failure after failure: the port is still tried, silently, and the other port goes on.
    ASSERT_TRUE(eventuallyOnTheLine(
        [&] { return backend.log.failuresOf(com(1)) >= 3 && readsOf(0) >= readsOfOther + 5; }));
    EXPECT_EQ(shown(), std::vector<std::string>{fault.message});
    EXPECT_TRUE(running(1));
    EXPECT_TRUE(panel(1).isEnabled(PanelControl::Stop));
    EXPECT_EQ(engine().runningPortCount.load(), 2);

    (card.*fault.set)(com(1), false);
    const std::size_t readsBefore = readsOf(1);
    EXPECT_TRUE(eventuallyOnTheLine([&] { return readsOf(1) >= readsBefore + 5; }));

    ASSERT_TRUE(stopAndFinishOnTheLine());
    EXPECT_TRUE(flags.isIdle());
    EXPECT_EQ(messages.messages().size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(
    Faults, TransientFailure,
    ::testing::Values(TransientFault{"ReadError", &platform::SimulatedCard::setReadError,
                                     "Read Error: Unable to Read to the comm port"},
                      TransientFault{"StalledWrite", &platform::SimulatedCard::setWriteStalled,
                                     "Write Error: Write Timeout"}),
    [](const auto& info) { return std::string(info.param.name); });

class DeviceGone : public PortFailureTest, public ::testing::WithParamInterface<bool> {};

TEST_P(DeviceGone, StopsThePortAsAStopClickWouldWithOneMessageWhileTheOtherPortsGoOn) {
    const bool wasRunning = GetParam();
    const std::string gone = "Error: Port2 (COM5) is no longer available; its test has stopped (warning)";
    startLoopedBack({0, 1});
    if (wasRunning) {
        actions.RunClicked(1);
        ASSERT_TRUE(eventuallyOnTheLine([&] { return readsOf(1) >= 3; }));
    }

    card.hangUp(com(1));

    ASSERT_TRUE(eventuallyOnTheLine([&] { return !messages.messages().empty(); }));
    EXPECT_EQ(shown(), std::vector<std::string>{gone});
    EXPECT_TRUE(looksReady(1));
    EXPECT_FALSE(running(1));
    EXPECT_EQ(engine().runningPortCount.load(), 0);
    // Nothing more can arrive: the port's receive thread has ended and said so.
    ASSERT_TRUE(eventually([&] { return notices.pendingThreadDone() == 1; }));

    // A port started afterwards transmits until it is stopped.
    actions.RunClicked(0);
    EXPECT_TRUE(eventuallyOnTheLine([&] { return readsOf(0) >= 5; }));
    // A Stop click the window took before it greyed the button changes no count, and Run on
    // the lost port stops it again at once.
    actions.StopClicked(1);
    EXPECT_EQ(engine().runningPortCount.load(), 1);
    actions.RunClicked(1);
    EXPECT_TRUE(looksReady(1));
    EXPECT_FALSE(running(1));
    EXPECT_EQ(engine().runningPortCount.load(), 1);
    EXPECT_EQ(shown(), (std::vector<std::string>{gone, gone}));
    const std::size_t readsBefore = readsOf(0);
    EXPECT_TRUE(eventuallyOnTheLine([&] { return readsOf(0) >= readsBefore + 5; }));

    ASSERT_TRUE(stopAndFinishOnTheLine());
    EXPECT_TRUE(flags.isIdle());
    EXPECT_EQ(messages.messages().size(), 2u);
}

INSTANTIATE_TEST_SUITE_P(Ports, DeviceGone, ::testing::Bool(),
                         [](const auto& info) { return std::string(info.param ? "WhileRunning" : "WhileIdle"); });

}  // namespace
}  // namespace brenmoor::test
