#include "platform/com_resolver.h"

namespace brenmoor::platform {

void ComResolver::setOverride(const DeviceOverride& entry) {
    overrides_[entry.comNumber] = entry.devicePath;
}

ResolvedPort ComResolver::resolve(int comNumber) const {
    if (simulated_) return {PortBackendKind::SimulatedCard, {}};
    const auto it = overrides_.find(comNumber);
    if (it != overrides_.end()) return {PortBackendKind::Device, it->second};
    return {PortBackendKind::Device, "/dev/ttyS" + std::to_string(comNumber - 1)};
}

std::string ComResolver::describe(int comNumber) const {
    const ResolvedPort port = resolve(comNumber);
    const std::string name = "COM" + std::to_string(comNumber) + ": ";
    return name + (port.kind == PortBackendKind::SimulatedCard ? "simulated card" : port.devicePath);
}

}  // namespace brenmoor::platform
