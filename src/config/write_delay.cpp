#include "config/write_delay.h"

#include "config/decimal_text.h"

namespace brenmoor::config {

std::string WriteDelay::text() const {
    std::lock_guard lock(mutex_);
    return text_;
}

void WriteDelay::setText(std::string text) {
    std::lock_guard lock(mutex_);
    text_ = std::move(text);
}

std::int32_t WriteDelay::milliseconds() const { return parseLeadingDecimal(text()); }

}  // namespace brenmoor::config
