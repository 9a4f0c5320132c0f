#pragma once
// How one port's transfers have fared in the current session, so a port that keeps
// failing is reported once and then left alone, while the other ports go on.
//
// The port's first failed transfer shows its message, and the port stays in use unless its
// device has gone away. A later failure shows nothing and takes the port out of use: from
// then on its threads stop using it until the next session. Both of the port's threads
// report here, so the port gets one message, not one from each.

#include <atomic>

#include "platform/message_box.h"

namespace brenmoor::engine {

class TransferHealth {
public:
    void reset();
    bool inUse() const { return inUse_.load(); }
    void failed(const platform::MessageBoxRequest& message, bool deviceGone, platform::MessageSink& messages);

private:
    std::atomic<bool> inUse_{true};
    std::atomic<bool> reported_{false};
};

}  // namespace brenmoor::engine
