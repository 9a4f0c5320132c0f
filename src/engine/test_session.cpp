#include "engine/test_session.h"

#include <new>
#include <system_error>
#include <utility>

#include "engine/receive_thread.h"
#include "engine/transmit_thread.h"
#include "serial/open_test_ports.h"

namespace brenmoor::engine {
namespace {

constexpr unsigned kPurgeAll =
    platform::kPurgeTxAbort | platform::kPurgeRxAbort | platform::kPurgeTxClear | platform::kPurgeRxClear;

platform::EventHandle createAutoResetEvent() {
    try {
        return std::make_shared<platform::Event>(platform::Event::Reset::Auto);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

platform::MessageBoxRequest warning(std::string text, std::string caption = "Error") {
    return {std::move(text), std::move(caption), platform::MessageIcon::Warning, platform::MessageOwner::MainWindow};
}

}  // namespace

TestSession::TestSession(config::SettingsTables& tables, config::CommandFlags& flags, platform::SerialBackend& backend,
                         platform::MessageSink& messages, platform::MainWindowNotices& mainWindow,
                         ConsoleWindow& console)
    : engine_(tables, messages),
      flags_(flags),
      backend_(backend),
      mainWindow_(mainWindow),
      console_(console),
      opener_(messages),
      tester_(engine_) {}

TestSession::~TestSession() {
    if (!inProgress_) return;
    whenFinished_ = nullptr;
    Stop();
    FinishSession();
}

void TestSession::Start() {
    if (inProgress_) return;
    threadExitEvent_ = createAutoResetEvent();
    if (!threadExitEvent_) engine_.messages.showMessage(warning("Unable to create the ThreadExitEvent handle"));
    engine_.ports.openCount = 0;
    serial::OpenTestPorts(engine_.ports, opener_, engine_.tables, backend_, engine_.messages);
    // Nothing opened: nothing to run.
    if (!engine_.ports.anyPortOpen) {
        engine_.messages.showMessage(warning("Unable to open any communication port", "ERROR"));
        flags_.setIdle();
        threadExitEvent_.reset();
        return;
    }
    flags_.setRunning();
    // Without a console no thread could ever report: the session ends here, with the
    // ports closed and the menus idle.
    if (!showConsole()) {
        releasePorts();
        flags_.setIdle();
        threadExitEvent_.reset();
        return;
    }
    // Each session starts with every port stopped, no failure reported and no delay
    // pending.
    engine_.sessionActive.store(1);
    engine_.runningPortCount.store(0);
    engine_.sessionStop.clear();
    for (PortSendState& sending : engine_.sending) sending.reset();
    // The transmit thread's copy of the port table, and its events.
    txParams_.portHandles = engine_.ports.handles;
    engine_.writeEvent = createAutoResetEvent();
    if (!engine_.writeEvent) engine_.messages.showMessage(warning("Unable to create the Write Event handle"));
    txParams_.mainWindow = &mainWindow_;
    txParams_.writeEvent = engine_.writeEvent;
    txParams_.exitEvent = threadExitEvent_;
    inProgress_ = true;
    startWorker(transmitThread_, 0, [this] { TransmitThreadProc(engine_, txParams_); });
    for (int port = 0; port < config::kPortCount; ++port) {
        if (!engine_.ports.portOpen[port]) continue;
        ReceiveBlock& block = engine_.receiveBlocks[port];
        engine_.rxParams[port] = RxThreadParams{engine_.ports.handles[port], &engine_.sessionActive, &mainWindow_,
                                                port,                        &block.receivedCount,
                                                block.receivedCopy.data()};
        startWorker(block.thread, port, [this, port] { ReceiveThreadProc(engine_, engine_.rxParams[port]); });
    }
    console_.placeAndShow(kConsoleX, kConsoleY, kConsoleWidth, kConsoleHeight);
    tester_.PanelButtonsOn();
}

// A console made once is reused; a new one starts from the test options and the ports
// this session opened.
bool TestSession::showConsole() {
    if (engine_.g_pTestDlg.load()) {
        console_.focus();
        return true;
    }
    ConsoleModel* model = console_.create();
    if (!model) {
        engine_.messages.showMessage(warning("Unable to create the Serial Communication Test Dialog"));
        return false;
    }
    model->initialise(engine_.tables.m_PortTest, engine_.ports.portOpen);
    engine_.g_pTestDlg.store(model);
    return true;
}

// A thread that cannot be started posts no notice itself: its notice is posted for it, so
// the session can still finish.
void TestSession::startWorker(std::thread& thread, int port, std::function<void()> body) {
    try {
        thread = std::thread(std::move(body));
    } catch (const std::system_error&) {
        mainWindow_.postThreadDone(port);
    }
}

void TestSession::Stop() {
    // The receive threads leave their loops at their next look at the flag.
    engine_.sessionActive.store(0);
    if (threadExitEvent_) threadExitEvent_->set();
    // Stops every open port and completes its receive thread's pending wait; no file
    // transfer is left half sent.
    for (int port = 0; port < config::kPortCount; ++port) {
        if (engine_.ports.portOpen[port]) {
            if (engine_.g_pTestDlg.load()) tester_.StopPort(port);
            if (const platform::SerialHandle& handle = engine_.ports.handles[port]) handle->setEventMask(0);
        }
        engine_.fileTransfer[port].continuation.store(0);
    }
    // Ends the write delay or the pause after a failure that a thread may be waiting out.
    engine_.sessionStop.raise();
}

void TestSession::FinishSession() {
    // Every thread has posted its last notice; joining only lets it return.
    joinWorkers();
    inProgress_ = false;
    flags_.setIdle();
    releasePorts();
    engine_.writeEvent.reset();
    threadExitEvent_.reset();
    txParams_ = TxThreadParams{};
    engine_.rxParams = {};
    tester_.PanelButtonsOff();
    if (auto finished = std::exchange(whenFinished_, nullptr)) finished();
}

void TestSession::StopThen(std::function<void()> finished) {
    if (!inProgress_) {
        finished();
        return;
    }
    whenFinished_ = std::move(finished);
    Stop();
}

// A closed handle is never used again: its table entry becomes null, so a later loopback
// click fails with its message.
void TestSession::releasePorts() {
    for (int port = 0; port < config::kPortCount; ++port) {
        if (!engine_.ports.portOpen[port]) continue;
        engine_.ports.portOpen[port] = 0;
        if (platform::SerialHandle& handle = engine_.ports.handles[port]) {
            handle->purge(kPurgeAll);
            handle->close();
            handle = nullptr;
        }
    }
}

void TestSession::joinWorkers() {
    if (transmitThread_.joinable()) transmitThread_.join();
    for (ReceiveBlock& block : engine_.receiveBlocks)
        if (block.thread.joinable()) block.thread.join();
}

}  // namespace brenmoor::engine
