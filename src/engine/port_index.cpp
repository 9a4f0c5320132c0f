#include "engine/port_index.h"

#include "config/port_settings.h"

namespace brenmoor::engine {

bool acceptPortIndex(int port, platform::MessageSink& messages) {
    if (port >= 0 && port < config::kPortCount) return true;
    messages.showMessage({"DEFAULT", "Error", platform::MessageIcon::Warning, platform::MessageOwner::MainWindow});
    return false;
}

}  // namespace brenmoor::engine
