#pragma once
// The "Internal LoopTest" choice of a panel applied to its port.

#include "engine/engine_state.h"

namespace brenmoor::engine {

// Stores the box's state in the port's nLoopTest and sends the loopback request on the
// port's handle; a port that is not open fails with the port's message.
void ApplyLoopTestChoice(EngineState& engine, int port);

}  // namespace brenmoor::engine
