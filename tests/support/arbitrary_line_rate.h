#pragma once
// Puts a tty at a rate no speed constant names (BOTHER), as another program may leave it.

#include <cstdint>

namespace brenmoor::test {

// Throws std::runtime_error when the tty does not take it.
void setArbitraryLineRate(int fd, std::uint32_t baudRate);

}  // namespace brenmoor::test
