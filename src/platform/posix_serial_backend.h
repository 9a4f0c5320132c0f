#pragma once
// Opens tty device nodes for the POSIX back end: exclusively (TIOCEXCL, which root
// bypasses, and flock, which it does not), non-blocking, raw, with DTR and RTS up and the
// loop bit cleared, and finds out which of the card's extras the port really honours. A
// node that does not open gets the reason in the operator's terms.

#include <memory>
#include <string>

#include "platform/posix_serial_device.h"
#include "platform/serial_device.h"

namespace brenmoor::platform {

class PosixSerialBackend : public SerialBackend {
public:
    SerialHandle open(const std::string& device, OpenError& error) override;
    // The same, keeping the device's own type (for what it tells of its extras).
    std::shared_ptr<PosixSerialDevice> openDevice(const std::string& path, OpenError& error);
};

}  // namespace brenmoor::platform
