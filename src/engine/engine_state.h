#pragma once
// Everything the test engine's routines share: the settings they read, the console they
// write to (null while there is none), the per-port run and transfer state and the session's
// port table. The application owns one for the whole run; each test makes its own.
//
// Threads: the window thread writes the port table, the events and the receive parameters
// only while no worker thread runs (start, finish); the workers read them. Everything the
// threads change while they run is atomic or under its own lock.

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <utility>

#include "config/port_settings.h"
#include "engine/console_model.h"
#include "engine/port_run_state.h"
#include "engine/port_send_state.h"
#include "engine/stop_signal.h"
#include "engine/thread_params.h"
#include "platform/events.h"
#include "platform/message_box.h"
#include "serial/open_test_ports.h"

namespace brenmoor::engine {

template <std::size_t... I>
std::array<PortSendState, sizeof...(I)> sendStatesCounting(std::atomic<std::int32_t>& runningPortCount,
                                                            std::index_sequence<I...>) {
    return {(static_cast<void>(I), PortSendState(runningPortCount))...};
}

struct EngineState {
    EngineState(config::SettingsTables& settings, platform::MessageSink& sink) : tables(settings), messages(sink) {}
    EngineState(const EngineState&) = delete;
    EngineState& operator=(const EngineState&) = delete;

    config::SettingsTables& tables;
    platform::MessageSink& messages;

    // The console, once made; it is discarded only while no session runs.
    std::atomic<ConsoleModel*> g_pTestDlg{nullptr};

    serial::SessionPortTable ports;
    std::atomic<std::uint8_t> sessionActive{0};
    std::atomic<std::int32_t> runningPortCount{0};

    std::array<PortRunState, config::kPortCount> portRunState;
    std::array<FileTransferState, config::kPortCount> fileTransfer;
    // Each port's run and failure state; it keeps runningPortCount.
    std::array<PortSendState, config::kPortCount> sending =
        sendStatesCounting(runningPortCount, std::make_index_sequence<config::kPortCount>{});
    platform::EventHandle writeEvent;
    StopSignal sessionStop;
    // How long a port pauses after a failed transfer; set before a session starts.
    std::chrono::milliseconds retryPause = kRetryPause;

    std::array<ReceiveBlock, config::kPortCount> receiveBlocks;
    std::array<RxThreadParams, config::kPortCount> rxParams;
};

}  // namespace brenmoor::engine
