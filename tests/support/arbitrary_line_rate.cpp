// Apart from every <termios.h> user: <asm/termbits.h> redefines what it declares.
#include "support/arbitrary_line_rate.h"

#include <asm/termbits.h>
#include <sys/ioctl.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <string>

namespace brenmoor::test {

void setArbitraryLineRate(int fd, std::uint32_t baudRate) {
    termios2 settings{};
    if (::ioctl(fd, TCGETS2, &settings) != 0) throw std::runtime_error(std::string("TCGETS2: ") + std::strerror(errno));
    settings.c_cflag = (settings.c_cflag & ~CBAUD) | BOTHER;
    settings.c_ispeed = settings.c_ospeed = baudRate;
    if (::ioctl(fd, TCSETS2, &settings) != 0) throw std::runtime_error(std::string("TCSETS2: ") + std::strerror(errno));
}

}  // namespace brenmoor::test
