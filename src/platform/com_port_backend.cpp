#include "platform/com_port_backend.h"

namespace brenmoor::platform {

ComPortBackend::ComPortBackend(ComResolver resolver) : resolver_(std::move(resolver)) {}

SerialHandle ComPortBackend::open(const std::string& comName, OpenError& error) {
    const std::optional<int> comNumber = parseComName(comName);
    if (!comNumber) {
        error = {OpenFailure::Absent, "\"" + comName + "\" is not a COM port name"};
        return nullptr;
    }
    const ResolvedPort port = resolver_.resolve(*comNumber);
    if (port.kind == PortBackendKind::SimulatedCard) return card_.open(comName, error);
    auto device = devices_.openDevice(port.devicePath, error);
    if (device) {
        std::lock_guard lock(mutex_);
        deviceExtras_[*comNumber] = device->extras();
    }
    return device;
}

std::optional<DeviceExtras> ComPortBackend::extras(int comNumber) const {
    if (resolver_.resolve(comNumber).kind == PortBackendKind::SimulatedCard) return kEveryExtra;
    std::lock_guard lock(mutex_);
    const auto it = deviceExtras_.find(comNumber);
    if (it == deviceExtras_.end()) return std::nullopt;
    return it->second;
}

}  // namespace brenmoor::platform
