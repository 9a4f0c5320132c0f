#pragma once
// The serial back end chosen at start-up: the profile's [Devices] section first
// ("SimulatedCard=1", "COM4=/dev/ttyUSB0"), then the command line (--simulated-card,
// --device COMn=/path), which wins.

#include <QString>
#include <memory>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "config/port_settings.h"
#include "platform/com_port_backend.h"
#include "platform/profile_store.h"

namespace brenmoor::app {

inline constexpr std::string_view kDevicesSection = "Devices";
inline constexpr std::string_view kSimulatedCardName = "SimulatedCard";

struct SerialSetup {
    std::unique_ptr<platform::ComPortBackend> backend;  // null when `error` is set
    std::string error;                  // a --device value that could not be read
    std::vector<std::string> warnings;  // profile entries that were skipped
};

SerialSetup makeSerialBackend(const CommandLine& options, const platform::ProfileStore& profile);

// Which back end the ports use, in a few words, and in full (one line per port).
struct BackendNote {
    QString text;
    QString details;
};
BackendNote describeBackend(const platform::ComPortBackend& backend, const config::SettingsTables& tables);

}  // namespace brenmoor::app
