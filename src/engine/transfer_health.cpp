#include "engine/transfer_health.h"

namespace brenmoor::engine {

void TransferHealth::reset() {
    inUse_.store(true);
    reported_.store(false);
    for (auto& count : failuresInARow_) count.store(0);
}

void TransferHealth::failed(Transfer transfer, const platform::MessageBoxRequest& message, bool deviceGone,
                            platform::MessageSink& messages) {
    const int inARow = ++failuresInARow_[static_cast<int>(transfer)];
    const bool firstOfItsKind = inARow == 1 && !reported_.exchange(true);
    const bool wasInUse = (deviceGone || inARow >= 2) ? inUse_.exchange(false) : inUse_.load();
    if (firstOfItsKind && wasInUse) messages.showMessage(message);
}

void TransferHealth::succeeded(Transfer transfer) {
    auto& count = failuresInARow_[static_cast<int>(transfer)];
    if (count.load() != 0) count.store(0);
    if (reported_.load()) reported_.store(false);
}

}  // namespace brenmoor::engine
