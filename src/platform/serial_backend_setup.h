#pragma once
// The serial back end chosen at start-up: the profile's [Devices] section first
// ("SimulatedCard=1", "COM4=/dev/ttyUSB0"), then the command line (--simulated-card,
// --device COMn=/path), which wins.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/com_port_backend.h"
#include "platform/profile_store.h"
#include "platform/simulated_card_options.h"

namespace brenmoor::platform {

inline constexpr std::string_view kDevicesSection = "Devices";
inline constexpr std::string_view kSimulatedCardName = "SimulatedCard";

struct SerialSetup {
    std::unique_ptr<ComPortBackend> backend;  // null when `error` is set
    std::string error;                        // a --device value that could not be read
    std::vector<std::string> warnings;        // profile entries that were skipped
};

// `devices` holds the --device values as given ("COMn=/path"); wiring or faults for the
// simulated card are an error when the ports do not reach it.
SerialSetup makeSerialBackend(bool simulatedCard, const std::vector<std::string>& devices,
                              const SimulatedCardOptions& simulated, const ProfileStore& profile);

}  // namespace brenmoor::platform
