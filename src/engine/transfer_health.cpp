#include "engine/transfer_health.h"

namespace brenmoor::engine {

void TransferHealth::reset() {
    inUse_.store(true);
    reported_.store(false);
}

void TransferHealth::failed(const platform::MessageBoxRequest& message, bool deviceGone,
                            platform::MessageSink& messages) {
    const bool first = !reported_.exchange(true);
    const bool wasInUse = (deviceGone || !first) ? inUse_.exchange(false) : inUse_.load();
    if (first && wasInUse) messages.showMessage(message);
}

}  // namespace brenmoor::engine
