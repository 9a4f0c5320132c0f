#include "platform/device_extras.h"

namespace brenmoor::platform {

std::string describeExtras(const DeviceExtras& extras) {
    const std::pair<bool, const char*> named[] = {
        {extras.internalLoopback, "internal loopback"}, {extras.rs485, "RS-485"},
        {extras.infrared, "infrared"},                  {extras.receiveTrigger, "receive trigger"},
        {extras.transmitTrigger, "transmit trigger"},   {extras.hysteresis, "DTR/RTS hysteresis"},
    };
    std::string text;
    for (const auto& [honoured, name] : named) {
        if (!honoured) continue;
        if (!text.empty()) text += ", ";
        text += name;
    }
    return text.empty() ? "none of the card's extras" : text;
}

}  // namespace brenmoor::platform
