#include "platform/serial_backend_setup.h"

#include <algorithm>
#include <cctype>

namespace brenmoor::platform {
namespace {

bool sameName(std::string_view a, std::string_view b) {
    return std::ranges::equal(a, b, [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
    });
}

}  // namespace

SerialSetup makeSerialBackend(bool simulatedCard, const std::vector<std::string>& devices,
                              const SimulatedCardOptions& simulated, const ProfileStore& profile) {
    SerialSetup setup;
    ComResolver resolver;
    for (const std::string& name : profile.names(kDevicesSection)) {
        if (sameName(name, kSimulatedCardName)) {
            resolver.useSimulatedCard(profile.readInt(kDevicesSection, name, 0) != 0);
            continue;
        }
        std::string error;
        const std::string entry = name + "=" + profile.readString(kDevicesSection, name).value_or("");
        if (const auto override = parseDeviceOverride(entry, error)) {
            resolver.setOverride(*override);
        } else {
            setup.warnings.push_back("The [Devices] entry " + entry + " in " + profile.path().string() +
                                     " is ignored: " + error);
        }
    }
    for (const std::string& value : devices) {
        std::string error;
        const auto override = parseDeviceOverride(value, error);
        if (!override) {
            setup.error = "--device " + value + ": " + error;
            return setup;
        }
        resolver.setOverride(*override);
    }
    if (simulatedCard) resolver.useSimulatedCard(true);
    if (!simulated.empty() && !resolver.usesSimulatedCard()) {
        setup.error = "--sim-plug, --sim-pair and --sim-fault need the simulated card (--simulated-card)";
        return setup;
    }
    setup.backend = std::make_unique<ComPortBackend>(resolver);
    return setup;
}

}  // namespace brenmoor::platform
