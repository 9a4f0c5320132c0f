#pragma once
// The write delay text, edited on the window thread and read by the transmit thread: a
// reader always sees a whole value, the old one or the new one.

#include <cstdint>
#include <mutex>
#include <string>

namespace brenmoor::config {

class WriteDelay {
public:
    WriteDelay() = default;
    WriteDelay(const WriteDelay&) = delete;
    WriteDelay& operator=(const WriteDelay&) = delete;

    std::string text() const;
    void setText(std::string text);
    // The text read as a decimal number (leading digits, as the C conversion does; no
    // digits is 0). A negative value means no delay.
    std::int32_t milliseconds() const;

private:
    mutable std::mutex mutex_;
    std::string text_;
};

}  // namespace brenmoor::config
