#pragma once
// A test session: Start opens the marked ports, shows the console and starts the transmit
// thread and one receive thread per open port; Stop tells them to end and waits for
// nothing; once every thread has posted its end notice (ports opened + 1) the application
// calls FinishSession, which closes the ports and returns the menus to idle.
//
// All of it runs on the window thread. The application owns one session for the whole
// run, so the console it made stays and is reused by the next Start.

#include <functional>
#include <thread>

#include "config/port_settings.h"
#include "config/command_flags.h"
#include "engine/console_window.h"
#include "engine/engine_state.h"
#include "engine/port_tester.h"
#include "engine/thread_params.h"
#include "platform/events.h"
#include "platform/message_box.h"
#include "platform/serial_device.h"
#include "platform/window_notice.h"
#include "serial/serial_port.h"

namespace brenmoor::engine {

// Where and how large session start shows the console, in pixels.
inline constexpr int kConsoleX = 100;
inline constexpr int kConsoleY = 100;
inline constexpr int kConsoleWidth = 860;
inline constexpr int kConsoleHeight = 580;

class TestSession {
public:
    TestSession(config::SettingsTables& tables, config::CommandFlags& flags, platform::SerialBackend& backend,
                platform::MessageSink& messages, platform::MainWindowNotices& mainWindow, ConsoleWindow& console);
    TestSession(const TestSession&) = delete;
    TestSession& operator=(const TestSession&) = delete;
    // A session still running is stopped and finished here. The application should rather
    // use StopThen and end after it reports, since a worker showing a message needs the
    // window thread to dismiss it.
    ~TestSession();

    void Start();
    void Stop();
    void FinishSession();
    // Stops the session and calls `finished` once FinishSession has run; at once when no
    // session is in progress.
    void StopThen(std::function<void()> finished);

    // From a Start that started the threads until FinishSession.
    bool inProgress() const { return inProgress_; }
    // The end notices that complete the session: one per opened port, and the transmit
    // thread's.
    int threadCount() const { return engine_.ports.openCount + 1; }

    EngineState& engine() { return engine_; }

private:
    bool showConsole();
    void releasePorts();
    void startWorker(std::thread& thread, int port, std::function<void()> body);
    void joinWorkers();

    EngineState engine_;
    config::CommandFlags& flags_;
    platform::SerialBackend& backend_;
    platform::MainWindowNotices& mainWindow_;
    ConsoleWindow& console_;
    serial::CSerialPort opener_;
    PortTester tester_;
    platform::EventHandle threadExitEvent_;
    TxThreadParams txParams_;
    std::thread transmitThread_;
    std::function<void()> whenFinished_;
    bool inProgress_ = false;
};

}  // namespace brenmoor::engine
