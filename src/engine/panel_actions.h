#pragma once
// What a port panel's buttons and option controls do. The console calls these on the
// window thread, after it has written the clicked box's new state into the model; the
// console's own PortTester starts and stops the ports and sends each port's first packet.

#include "engine/console_model.h"
#include "engine/engine_state.h"
#include "engine/port_tester.h"

namespace brenmoor::engine {

class PanelActions {
public:
    explicit PanelActions(EngineState& engine) : engine_(engine), tester_(engine) {}

    // Starts the port's test; a port the session did not open is left as it is.
    void RunClicked(int port);
    void StopClicked(int port);
    // Stores the "Internal LoopTest" box in nLoopTest and sends the loopback request.
    void LoopTestClicked(int port);
    // Checks the choice alone in its panel; the time boxes are available only for "Time".
    void StopChoiceClicked(int port, StopChoice choice);

private:
    EngineState& engine_;
    PortTester tester_;
};

}  // namespace brenmoor::engine
