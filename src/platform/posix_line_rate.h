#pragma once
// The rate a tty really runs at, whatever way it was set: a standard speed constant, one
// outside the tool's list (B1000000), or an arbitrary rate given with BOTHER. termios
// speed constants cannot express the last, so this reads the kernel's termios2.

#include <cstdint>

namespace brenmoor::platform {

// The output rate in bit/s of the tty behind `fd`; false (errno set) when it cannot be read.
bool readLineRate(int fd, std::uint32_t& baudRate);

}  // namespace brenmoor::platform
