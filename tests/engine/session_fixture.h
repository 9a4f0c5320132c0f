#pragma once
// A test session on the simulated card, run headless: the test thread plays the window
// thread, taking the workers' end notices as the main window would and finishing the
// session once all of them are in.

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "config/port_settings.h"
#include "config/command_flags.h"
#include "engine/console_window.h"
#include "engine/panel_actions.h"
#include "engine/test_session.h"
#include "platform/simulated_card.h"
#include "platform/window_notice.h"
#include "recording_backend.h"
#include "support/recording_message_sink.h"

namespace brenmoor::test {

// Long enough that only a fault makes a test wait for it.
inline constexpr std::chrono::seconds kPatience{30};

// Polls until `condition` holds or kPatience has passed.
bool eventually(const std::function<bool()>& condition);

class NoticeQueue : public platform::MainWindowNotices {
public:
    void postThreadDone(int port) override;
    void updateWindow() override;
    // Waits for the next end notice; false after kPatience.
    bool takeThreadDone();
    int pendingThreadDone() const;

private:
    mutable std::mutex mutex_;
    std::condition_variable posted_;
    int pending_ = 0;
};

class TestConsole : public engine::ConsoleWindow {
public:
    engine::ConsoleModel* create() override;
    void focus() override { ++focusCount; }
    void placeAndShow(int x, int y, int width, int height) override { placements.push_back({x, y, width, height}); }

    bool failToCreate = false;
    int createCount = 0;
    int focusCount = 0;
    std::vector<std::array<int, 4>> placements;
    std::unique_ptr<engine::ConsoleModel> model;
};

class SessionTest : public ::testing::Test {
protected:
    explicit SessionTest(platform::SimulatedCard::Clock clock = platform::SimulatedCard::Clock::Real);

    // Marks the port for testing on COM(4 + port) at 921600 bit/s, 8N1, no flow control.
    void markPort(int port);
    static int com(int port) { return 4 + port; }
    void setPattern(int port, int alpha, int quickBrown, int userData, int file);

    // Takes end notices as the main window does and finishes the session at the last one.
    // False when a thread did not end within kPatience.
    bool finishWhenThreadsEnd();
    bool stopAndFinish();

    engine::EngineState& engine() { return session.engine(); }
    engine::ConsoleModel& panels() { return *console.model; }
    engine::PanelState panel(int port) { return console.model->panel(port); }
    std::int32_t packetsSent(int port) { return engine().portRunState[port].packetsSent.load(); }
    bool running(int port) { return engine().sending[port].running(); }
    // Reads of the port's receive side that delivered bytes.
    std::size_t readsOf(int port);

    config::SettingsTables tables;
    config::CommandFlags flags;
    platform::SimulatedCard card;
    RecordingBackend backend{card};
    RecordingMessageSink messages;
    NoticeQueue notices;
    TestConsole console;
    engine::TestSession session{tables, flags, backend, messages, notices, console};
    int threadDoneCount = 0;
};

}  // namespace brenmoor::test
