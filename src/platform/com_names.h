#pragma once
// COM port names as the port open builds them, and the "COMn=/path" device override form
// used by the profile's [Devices] section and the --device option.

#include <optional>
#include <string>
#include <string_view>

namespace brenmoor::platform {

// Highest COM number a port can be given (the port open takes an 8-bit number).
inline constexpr int kMaxComNumber = 255;

// "COM%d" for 1-9, "\\.\COM%d" (backslash, backslash, point, backslash) for 10 and above.
std::string comDeviceName(int comNumber);

// The COM number of "COMn" or "\\.\COMn" (the "COM" in any case), n from 1 to
// kMaxComNumber without sign or leading zeros; nullopt for anything else.
std::optional<int> parseComName(std::string_view name);

struct DeviceOverride {
    int comNumber = 0;
    std::string devicePath;

    bool operator==(const DeviceOverride&) const = default;
};

// Parses "COMn=/path" (blanks around either side are allowed). On failure returns nullopt
// and puts a message for the operator in `error`.
std::optional<DeviceOverride> parseDeviceOverride(std::string_view text, std::string& error);

}  // namespace brenmoor::platform
