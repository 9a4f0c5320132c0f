#pragma once
// What a port's panel shows of its traffic. Each does nothing while there is no console
// and shows "DEFAULT" for a port index outside 0-7.

#include <string_view>

#include "engine/engine_state.h"

namespace brenmoor::engine {

// Appends a sent packet's text; the caller has already checked "Enable".
void ShowSentText(EngineState& engine, std::string_view text, int port);
// Appends a received block's text while the port's "Enable" is ticked.
void ShowReceivedText(EngineState& engine, int port, std::string_view text);
// Shows the port's packetsSent in decimal.
void ShowPacketCount(EngineState& engine, int port);

}  // namespace brenmoor::engine
