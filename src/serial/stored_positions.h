#pragma once
// Checks that every list position a port's open turns into a line setting or a driver byte
// lies inside its list. A configuration file can store any number; such a port is refused
// rather than read beyond the end of a table.

#include <optional>
#include <string>

#include "config/port_settings.h"

namespace brenmoor::serial {

// The message refusing port index `port` for the first stored position outside its list,
// or nothing when all are inside. Only the hysteresis position the open sends (DTR's or
// RTS's, by nDTR) is checked; any flow-control value is valid (others mean none).
std::optional<std::string> positionOutsideList(const config::PortRegistryEntry& entry, int port);

}  // namespace brenmoor::serial
