#pragma once
// The card driver's requests mapped onto what a standard Linux UART offers: the internal
// loopback through the modem-control LOOP bit, RS-485 through TIOCSRS485, the receive
// trigger through the 8250 family's sysfs attribute. A feature switched on that the port
// cannot apply fails the request; what Linux has no setting for (transmit trigger,
// hysteresis) is accepted and has no effect.

#include <chrono>
#include <cstdint>
#include <string>

#include "platform/device_extras.h"

namespace brenmoor::platform {

// The receive-trigger attribute of the tty behind `fd`, or empty when it has none.
std::string receiveTriggerPath(int fd);

// What the open port behind `fd` shows it really does of the card's extras: a loopback
// that returns a byte (waiting a few `characterTime`s for it), an RS-485 setting it takes,
// a receive trigger it lets this process write. Leaves the loop bit cleared.
DeviceExtras probeExtras(int fd, const std::string& receiveTrigger, std::chrono::nanoseconds characterTime);

// IOCTL_SET_UART_OPTIONS on a 7-byte block. Every part is applied; false when any
// feature the block switches on (or the loopback switched off) could not be.
bool applyUartOptions(int fd, const std::string& receiveTrigger, const std::uint8_t* block);

// IOCTL_SET_LOOPBACK: the UART's internal loopback on or off; false when the port has no
// such switch (a pseudo-terminal, for one).
bool setInternalLoopback(int fd, bool on);

}  // namespace brenmoor::platform
