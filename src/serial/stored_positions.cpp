#include "serial/stored_positions.h"

#include <cstdint>

#include "serial/card_requests.h"
#include "serial/line_settings.h"

namespace brenmoor::serial {
namespace {

struct StoredPosition {
    const char* setting;  // as the settings sheet labels it
    std::int32_t value;
    std::int32_t listSize;
};

template <typename Table>
constexpr std::int32_t sizeOf(const Table& table) {
    return static_cast<std::int32_t>(table.size());
}

}  // namespace

std::optional<std::string> positionOutsideList(const config::PortRegistryEntry& entry, int port) {
    const bool dtr = entry.nDTR != 0;
    const StoredPosition positions[] = {
        {"Baud Rate", entry.nBaud, sizeOf(kBaudRates)},
        {"Data Length", entry.nDataBits, sizeOf(kDataBits)},
        {"Parity", entry.nParity, sizeOf(kParities)},
        {"Stop Bits", entry.nStopBits, kStopBitPositions},
        {dtr ? "DTR Hysteresis" : "RTS Hysteresis", dtr ? entry.nDTRHys : entry.nRTSHys, sizeOf(kHysteresisValues)},
        {"Rx FIFO Trigger Level", entry.nRxTrig, kTriggerPositions},
        {"Tx FIFO Trigger Level", entry.nTxTrig, kTriggerPositions},
    };
    for (const StoredPosition& p : positions) {
        if (p.value < 0 || p.value >= p.listSize)
            return "Port" + std::to_string(port + 1) + ": the stored " + p.setting + " setting " +
                   std::to_string(p.value) + " is outside its list";
    }
    return std::nullopt;
}

}  // namespace brenmoor::serial
