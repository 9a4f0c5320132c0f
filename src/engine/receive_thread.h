#pragma once
// The receive thread of one open port: reads whatever the port receives for the whole
// session, or until the port's device has gone, and hands it to receive processing.

#include "engine/engine_state.h"
#include "engine/thread_params.h"

namespace brenmoor::engine {

// Thread entry. Posts the port's end notice as its very last act.
int ReceiveThreadProc(EngineState& engine, RxThreadParams& params);

}  // namespace brenmoor::engine
