#pragma once
// The profile's settings with the command line's overrides, for the ports of this run.

#include <string>
#include <vector>

#include "cli/cli_options.h"
#include "config/port_settings.h"

namespace brenmoor::cli {

// The ports tested (indexes 0-7) with their return path: the port whose stream comes
// back on each.
struct TestedPort {
    int index = 0;
    int source = 0;
    ReturnKind returnKind = ReturnKind::Internal;
};

// Marks the tested ports for opening (and no other) and applies rate, pattern and delay to
// them. Returns the ports, or an empty list with `error` set.
std::vector<TestedPort> applyRunSettings(const CliOptions& options, config::SettingsTables& tables,
                                         std::string& error);

// "8N1", "7E2", "5N1.5".
std::string framingText(const config::PortRegistryEntry& entry);
std::string patternName(const config::PortDataPattern& pattern);
std::string returnPathText(const TestedPort& port);

}  // namespace brenmoor::cli
