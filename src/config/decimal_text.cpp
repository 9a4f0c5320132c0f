#include "config/decimal_text.h"

#include <cctype>
#include <cstdint>
#include <limits>

namespace brenmoor::config {

std::int32_t parseLeadingDecimal(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    constexpr std::int64_t kMax = std::numeric_limits<std::int32_t>::max();
    constexpr std::int64_t kMin = -static_cast<std::int64_t>(std::numeric_limits<std::int32_t>::min());
    const std::int64_t bound = negative ? kMin : kMax;
    std::int64_t value = 0;
    for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > bound) value = bound;  // keep reading digits, but never overflow
    }
    return static_cast<std::int32_t>(negative ? -value : value);
}

std::string decimalText(std::int32_t value) { return std::to_string(value); }

}  // namespace brenmoor::config
