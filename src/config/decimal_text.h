#pragma once
// Decimal text in the manner of the C conversion: leading blanks skipped, an optional sign,
// digits up to the first other character, no digits giving 0. Values beyond 32 bits are
// clamped instead of overflowing.

#include <cstdint>
#include <string>
#include <string_view>

namespace brenmoor::config {

std::int32_t parseLeadingDecimal(std::string_view text);
std::string decimalText(std::int32_t value);

}  // namespace brenmoor::config
