#pragma once
// The session's transmit thread: sends the packets of every running port, in port order,
// cycle after cycle, whenever a port's first packet wakes it.

#include "engine/engine_state.h"
#include "engine/thread_params.h"

namespace brenmoor::engine {

// Thread entry. Posts its end notice as its very last act.
int TransmitThreadProc(EngineState& engine, TxThreadParams& params);

}  // namespace brenmoor::engine
