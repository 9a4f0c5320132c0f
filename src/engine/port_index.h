#pragma once
// The port index check of the operations that address one panel.

#include "platform/message_box.h"

namespace brenmoor::engine {

// True for 0-7; otherwise shows "DEFAULT" and is false.
bool acceptPortIndex(int port, platform::MessageSink& messages);

}  // namespace brenmoor::engine
