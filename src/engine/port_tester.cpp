#include "engine/port_tester.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>
#include <utility>

#include "engine/display_operations.h"
#include "engine/loop_test.h"
#include "engine/port_index.h"

namespace brenmoor::engine {
namespace {

template <std::size_t... I>
std::array<serial::CSerialPort, config::kPortCount> portsReportingTo(
    std::array<HeldMessage, config::kPortCount>& held, std::index_sequence<I...>) {
    return {serial::CSerialPort(held[I])...};
}

platform::MessageBoxRequest noLongerAvailable(int port, std::int64_t comNumber) {
    return {"Port" + std::to_string(port + 1) + " (COM" + std::to_string(comNumber) +
                ") is no longer available; its test has stopped",
            "Error", platform::MessageIcon::Warning, platform::MessageOwner::MainWindow};
}

}  // namespace

PortTester::PortTester(EngineState& engine)
    : engine_(engine),
      handles_(engine.ports.handles),
      ports_(portsReportingTo(held_, std::make_index_sequence<config::kPortCount>{})) {}

PortTester::PortTester(EngineState& engine, const TxThreadParams& params)
    : engine_(engine),
      transmit_(&params),
      handles_(params.portHandles),
      ports_(portsReportingTo(held_, std::make_index_sequence<config::kPortCount>{})) {}

void PortTester::StartPort(int port) {
    if (!acceptPortIndex(port, engine_.messages)) return;
    ConsoleModel* console = engine_.g_pTestDlg.load();
    if (!console) return;
    {
        std::lock_guard building(engine_.sending[port].building);
        engine_.portRunState[port].packetsSent.store(0);
    }
    console->setPacketCount(port, "0");
    console->setEnabled(port,
                        {PanelControl::Run, PanelControl::Transfer, PanelControl::InternalLoopTest,
                         PanelControl::TestForever, PanelControl::Time, PanelControl::Enable},
                        false);
    console->setEnabled(port, {PanelControl::Stop}, true);
    console->clearTexts(port);
    // Whatever the port received before its test is discarded; its output is left alone.
    if (const platform::SerialHandle& handle = engine_.ports.handles[port]; handle && !handle->isClosed())
        handle->purge(platform::kPurgeRxClear);
    // A ticked loopback is sent again; an unticked one sends nothing.
    if (console->isLoopTestChecked(port)) ApplyLoopTestChoice(engine_, port);
    // The first packet goes out from here; the transmit thread sends the rest.
    SendPacket(port);
}

void PortTester::StopPort(int port) {
    if (!acceptPortIndex(port, engine_.messages)) return;
    std::lock_guard building(engine_.sending[port].building);
    // The next packet starts afresh, not in the middle of a file.
    engine_.fileTransfer[port].continuation.store(0);
    ConsoleModel* console = engine_.g_pTestDlg.load();
    if (!console) return;
    // Stopping the send state also takes the port out of the running-port count.
    engine_.sending[port].stop();
    engine_.portRunState[port].packetsSent.store(0);
    console->setEnabled(port,
                        {PanelControl::Run, PanelControl::Transfer, PanelControl::InternalLoopTest,
                         PanelControl::TestForever, PanelControl::Enable},
                        true);
    console->setEnabled(port, {PanelControl::Stop}, false);
}

void PortTester::ProcessReceived(int port) {
    ReceiveBlock& block = engine_.receiveBlocks[port];
    const RxThreadParams& params = engine_.rxParams[port];
    const auto count = static_cast<std::size_t>(std::clamp<std::int32_t>(
        *params.countSlot, 0, static_cast<std::int32_t>(block.receivedCopy.size() - 1)));
    std::memcpy(block.receivedCopy.data(), params.bufferSlot, count);
    block.receivedCopy[count] = 0;
    ShowReceivedText(engine_, port,
                     std::string_view(reinterpret_cast<const char*>(block.receivedCopy.data()), count));
}

void PortTester::transferFailed(int port, const platform::MessageBoxRequest& message) {
    if (engine_.sending[port].failed(message.text, engine_.retryPause)) engine_.messages.showMessage(message);
}

void PortTester::portLost(int port) {
    StopPort(port);
    if (!engine_.sending[port].lost()) return;
    engine_.messages.showMessage(noLongerAvailable(port, config::comNumber(engine_.tables.m_PortRegistry[port])));
}

void PortTester::PanelButtonsOn() {
    ConsoleModel* console = engine_.g_pTestDlg.load();
    if (!console) return;
    for (int port = 0; port < config::kPortCount; ++port) {
        console->setEnabled(port, {PanelControl::Run, PanelControl::Transfer}, true);
        console->setEnabled(port, {PanelControl::Stop}, false);
    }
}

void PortTester::PanelButtonsOff() {
    ConsoleModel* console = engine_.g_pTestDlg.load();
    if (!console) return;
    for (int port = 0; port < config::kPortCount; ++port)
        console->setEnabled(port, {PanelControl::Run, PanelControl::Stop, PanelControl::Transfer}, false);
}

}  // namespace brenmoor::engine
