#include "serial/line_settings.h"

namespace brenmoor::serial {
namespace {

platform::StopBits stopBitsFor(const config::PortRegistryEntry& entry) {
    switch (entry.nStopBits) {
    case 0:
        return platform::StopBits::One;
    case 1:
        // The sheet shows this position as "1.5" only for five data bits; a UART gives
        // six to eight data bits two stop bits instead.
        return entry.nDataBits == 0 ? platform::StopBits::OnePointFive : platform::StopBits::Two;
    default:
        return platform::StopBits::Two;
    }
}

}  // namespace

void applyStoredLineSettings(const config::PortRegistryEntry& entry, platform::LineState& state) {
    state.baudRate = kBaudRates[entry.nBaud];
    state.byteSize = kDataBits[entry.nDataBits];
    state.parity = kParities[entry.nParity];
    state.stopBits = stopBitsFor(entry);

    state.dtrEnable = true;
    state.binary = true;
    switch (entry.nFlowCtrl) {
    case 0:  // hardware
        state.outxCtsFlow = true;
        state.outxDsrFlow = true;
        state.rtsControl = platform::RtsControl::Handshake;
        state.outX = false;
        state.inX = false;
        break;
    case 1:  // software
        state.outX = true;
        state.inX = true;
        state.txContinueOnXoff = true;
        state.outxCtsFlow = false;
        state.outxDsrFlow = false;
        state.rtsControl = platform::RtsControl::Enable;
        break;
    default:  // none
        state.outxCtsFlow = false;
        state.outxDsrFlow = false;
        state.outX = false;
        state.inX = false;
        state.rtsControl = platform::RtsControl::Enable;
        break;
    }
}

}  // namespace brenmoor::serial
