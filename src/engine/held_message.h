#pragma once
// A message sink that keeps the message of one transfer instead of showing it, so the
// caller can decide whether the port's failure is news (port_send_state.h) and show it
// only after it has let go of the port's locks. One thread uses it at a time.

#include <optional>
#include <utility>

#include "platform/message_box.h"

namespace brenmoor::engine {

class HeldMessage : public platform::MessageSink {
public:
    void showMessage(const platform::MessageBoxRequest& request) override { held_ = request; }
    std::optional<platform::MessageBoxRequest> take() { return std::exchange(held_, std::nullopt); }

private:
    std::optional<platform::MessageBoxRequest> held_;
};

}  // namespace brenmoor::engine
