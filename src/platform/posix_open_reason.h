#pragma once
// Why a tty device node did not open, said for the operator: what kind of failure it is
// (absent, busy, not a serial port, not permitted) and the text that explains it.

#include <string>

#include "platform/serial_device.h"

namespace brenmoor::platform {

OpenFailure openFailureKind(int error);

// "No such device: /dev/ttyS9", "In use by another program: /dev/ttyS4", "Permission
// denied: /dev/ttyS4 belongs to group dialout, and you are not in it"; for an error of no
// known kind, the system's text for `error` with the path and the step that failed.
std::string openFailureReason(const std::string& path, const char* step, int error);

}  // namespace brenmoor::platform
