#pragma once
// Which back end and device a COM number reaches. COMn is /dev/ttyS(n-1) unless an
// override names another device; with the simulated card switched on every COM number
// goes to the card.

#include <map>
#include <string>

#include "platform/com_names.h"

namespace brenmoor::platform {

enum class PortBackendKind { Device, SimulatedCard };

struct ResolvedPort {
    PortBackendKind kind = PortBackendKind::Device;
    std::string devicePath;  // empty for the simulated card

    bool operator==(const ResolvedPort&) const = default;
};

class ComResolver {
public:
    void useSimulatedCard(bool on) { simulated_ = on; }
    bool usesSimulatedCard() const { return simulated_; }
    // A later override of the same COM number replaces an earlier one, so overrides from
    // the command line, applied after the profile's, win.
    void setOverride(const DeviceOverride& entry);

    ResolvedPort resolve(int comNumber) const;
    // One line for the window, e.g. "COM4: simulated card" or "COM4: /dev/ttyUSB0".
    std::string describe(int comNumber) const;

private:
    bool simulated_ = false;
    std::map<int, std::string> overrides_;
};

}  // namespace brenmoor::platform
