#include "engine/panel_actions.h"

#include "engine/loop_test.h"

namespace brenmoor::engine {
namespace {

bool isPort(int port) { return port >= 0 && port < config::kPortCount; }

}  // namespace

void PanelActions::RunClicked(int port) {
    // Only a port this session opened runs, and only until the session stops: a Run between
    // Stop and the finish would leave the port running into the next session.
    if (!isPort(port) || !engine_.ports.portOpen[port] || engine_.sessionActive.load() == 0) return;
    // Counts the port as running; the transmit thread leaves it alone until its first
    // packet is out.
    if (!engine_.sending[port].run()) return;
    // A port whose device has gone stops again at once, with its message and nothing else.
    if (const platform::SerialHandle& handle = engine_.ports.handles[port]; handle && handle->isGone()) {
        tester_.portLost(port);
        return;
    }
    tester_.StartPort(port);
}

// The port leaves the running-port count with its send state, so a click the window took
// after the port had stopped by itself (its device gone) changes no count.
void PanelActions::StopClicked(int port) { tester_.StopPort(port); }

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
