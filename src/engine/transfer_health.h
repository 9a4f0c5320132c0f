#pragma once
// How one port's transfers have fared in the current session, so a port that fails for
// good is reported once and then left alone, while the other ports go on.
//
// A failure shows its message unless one is already standing for this port (shown since
// the port's last good transfer, by either thread). The port is taken out of use when its
// device has gone away, or when the same transfer fails twice in a row; from then on its
// threads stop using it and nothing more is shown for it until the next session.

#include <array>
#include <atomic>

#include "platform/message_box.h"

namespace brenmoor::engine {

enum class Transfer { Read = 0, Write = 1 };

class TransferHealth {
public:
    void reset();
    bool inUse() const { return inUse_.load(); }

    void failed(Transfer transfer, const platform::MessageBoxRequest& message, bool deviceGone,
                platform::MessageSink& messages);
    void succeeded(Transfer transfer);

private:
    std::atomic<bool> inUse_{true};
    std::atomic<bool> reported_{false};
    std::array<std::atomic<int>, 2> failuresInARow_{};
};

}  // namespace brenmoor::engine
