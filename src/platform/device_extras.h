#pragma once
// Which of the card's extras a port's back end honours, so the window can say so: a
// standard Linux UART offers only part of what the card's driver accepts.

#include <string>

namespace brenmoor::platform {

struct DeviceExtras {
    bool internalLoopback = false;
    bool rs485 = false;
    bool infrared = false;
    bool receiveTrigger = false;
    bool transmitTrigger = false;
    bool hysteresis = false;

    bool operator==(const DeviceExtras&) const = default;
};

inline constexpr DeviceExtras kEveryExtra{true, true, true, true, true, true};

// "internal loopback, RS-485, receive trigger", or "none of the card's extras".
std::string describeExtras(const DeviceExtras& extras);

}  // namespace brenmoor::platform
