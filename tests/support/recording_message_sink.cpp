#include "support/recording_message_sink.h"

namespace brenmoor::test {

void RecordingMessageSink::showMessage(const platform::MessageBoxRequest& request) {
    std::lock_guard lock(mutex_);
    messages_.push_back(request);
}

std::vector<platform::MessageBoxRequest> RecordingMessageSink::messages() const {
    std::lock_guard lock(mutex_);
    return messages_;
}

std::vector<std::string> RecordingMessageSink::texts() const {
    std::lock_guard lock(mutex_);
    std::vector<std::string> out;
    for (const auto& m : messages_) out.push_back(m.text);
    return out;
}

void RecordingMessageSink::clear() {
    std::lock_guard lock(mutex_);
    messages_.clear();
}

}  // namespace brenmoor::test
