#pragma once
// The card driver's two requests: the UART option block sent at open, and the internal
// loopback switch.

#include <array>
#include <cstdint>

#include "config/port_settings.h"
#include "platform/driver_requests.h"
#include "platform/message_box.h"
#include "platform/serial_device.h"

namespace brenmoor::serial {

using UartOptionBlock = std::array<std::uint8_t, platform::kUartOptionBlockSize>;

// Hysteresis byte by stored position (nDTRHys or nRTSHys).
inline constexpr std::array<std::uint8_t, 5> kHysteresisValues{0, 4, 6, 8, 16};
// The trigger lists offer levels 1 to 64, stored as positions 0 to 63.
inline constexpr int kTriggerPositions = 64;

// Built from a record whose list positions are all inside their lists.
UartOptionBlock buildUartOptionBlock(const config::PortRegistryEntry& entry);

// Sends the loopback request (on or off) for port index `port` on `handle`, which may be
// null or closed; a failure shows the port's "Unable to set/reset Local LoopBack" message.
// Returns whether the request succeeded.
bool SetLoopback(const platform::SerialHandle& handle, bool on, int port, platform::MessageSink& messages);

}  // namespace brenmoor::serial
