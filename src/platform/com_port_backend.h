#pragma once
// The back end the serial layer opens its COM names through: each name goes where the
// resolver sends its number, to a tty device or to the simulated card. It also keeps
// which card extras each port honours, for the window.

#include <map>
#include <mutex>
#include <optional>
#include <string>

#include "platform/com_resolver.h"
#include "platform/device_extras.h"
#include "platform/posix_serial_backend.h"
#include "platform/simulated_card.h"

namespace brenmoor::platform {

class ComPortBackend : public SerialBackend {
public:
    explicit ComPortBackend(ComResolver resolver);

    // `comName` as the port open builds it: "COMn" or "\\.\COMn".
    SerialHandle open(const std::string& comName, OpenError& error) override;

    const ComResolver& resolver() const { return resolver_; }
    SimulatedCard& simulatedCard() { return card_; }

    // Every extra on the simulated card; on a device, what it showed when it was last
    // opened, and nullopt before that.
    std::optional<DeviceExtras> extras(int comNumber) const;

private:
    const ComResolver resolver_;
    PosixSerialBackend devices_;
    SimulatedCard card_;
    mutable std::mutex mutex_;
    std::map<int, DeviceExtras> deviceExtras_;
};

}  // namespace brenmoor::platform
