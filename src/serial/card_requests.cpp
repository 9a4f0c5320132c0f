#include "serial/card_requests.h"

#include <string>

namespace brenmoor::serial {

UartOptionBlock buildUartOptionBlock(const config::PortRegistryEntry& entry) {
    using namespace platform;
    UartOptionBlock block{};
    block[kOptFlowControl] = entry.nFlowCtrl == 0   ? kFlowCodeHardware
                             : entry.nFlowCtrl == 1 ? kFlowCodeSoftware
                                                    : kFlowCodeNone;
    block[kOptTxTrigger] = static_cast<std::uint8_t>(entry.nTxTrig);
    // The driver takes receive levels 1 to 63: the list's last level, 64, is sent as 63.
    block[kOptRxTrigger] = static_cast<std::uint8_t>(entry.nRxTrig < kTriggerPositions - 1 ? entry.nRxTrig + 1
                                                                                          : kTriggerPositions - 1);
    block[kOptHysteresis] = kHysteresisValues[entry.nDTR != 0 ? entry.nDTRHys : entry.nRTSHys];
    block[kOptLoopback] = 0x00;
    block[kOptRS485] = entry.nRS485 != 0 ? kFeatureOn : 0x00;
    block[kOptInfrared] = entry.nIR != 0 ? kFeatureOn : 0x00;
    return block;
}

bool SetLoopback(const platform::SerialHandle& handle, bool on, int port, platform::MessageSink& messages) {
    UartOptionBlock block{};
    block[platform::kOptLoopback] = on ? platform::kLoopbackOn : 0x00;
    if (handle && !handle->isClosed() &&
        handle->deviceControl(platform::IOCTL_SET_LOOPBACK, block.data(), block.size()))
        return true;
    messages.showMessage({"Unable to set/reset Local LoopBack on port " + std::to_string(port), "Error",
                          platform::MessageIcon::Warning, platform::MessageOwner::MainWindow});
    return false;
}

}  // namespace brenmoor::serial
