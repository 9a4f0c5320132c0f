// Kept apart from the termios code: <asm/termbits.h> redefines what <termios.h> declares.
#include "platform/posix_line_rate.h"

#include <asm/termbits.h>
#include <sys/ioctl.h>

namespace brenmoor::platform {

bool readLineRate(int fd, std::uint32_t& baudRate) {
    termios2 settings{};
    if (::ioctl(fd, TCGETS2, &settings) != 0) return false;
    baudRate = settings.c_ospeed;
    return true;
}

}  // namespace brenmoor::platform
