#pragma once
// A message sink that records every box instead of showing it, from any thread.

#include <mutex>
#include <string>
#include <vector>

#include "platform/message_box.h"

namespace brenmoor::test {

class RecordingMessageSink : public platform::MessageSink {
public:
    void showMessage(const platform::MessageBoxRequest& request) override;

    std::vector<platform::MessageBoxRequest> messages() const;
    std::vector<std::string> texts() const;
    void clear();

private:
    mutable std::mutex mutex_;
    std::vector<platform::MessageBoxRequest> messages_;
};

}  // namespace brenmoor::test
