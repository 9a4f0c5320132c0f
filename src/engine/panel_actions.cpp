#include "engine/panel_actions.h"

#include "engine/loop_test.h"

namespace brenmoor::engine {
namespace {

bool isPort(int port) { return port >= 0 && port < config::kPortCount; }

}  // namespace

void PanelActions::RunClicked(int port) {
    // 1.
    if (!isPort(port) || !engine_.ports.portOpen[port]) return;
    // 2.
    engine_.runningPortCount.fetch_add(1);
    // 3. The transmit thread leaves the port alone until its first packet is out.
    engine_.sending[port].firstPacketPending.store(true);
    engine_.portRunState[port].running.store(1);
    // 4.
    tester_.StartPort(port);
}

void PanelActions::StopClicked(int port) {
    // 1.
    engine_.runningPortCount.fetch_sub(1);
    // 2.
    tester_.StopPort(port);
}

void PanelActions::LoopTestClicked(int port) {
    if (isPort(port)) ApplyLoopTestChoice(engine_, port);
}

void PanelActions::StopChoiceClicked(int port, StopChoice choice) {
    ConsoleModel* console = engine_.g_pTestDlg.load();
    if (!console) return;
    console->checkStopChoice(port, choice);
    console->setEnabled(port, {PanelControl::Hours, PanelControl::Minutes}, choice == StopChoice::Time);
}

}  // namespace brenmoor::engine
