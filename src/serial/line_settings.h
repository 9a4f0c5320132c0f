#pragma once
// The stored list positions of a port's line settings turned into the line state it runs
// with.

#include <array>
#include <cstdint>

#include "config/port_settings.h"
#include "platform/serial_device.h"

namespace brenmoor::serial {

// Index = the stored list position.
inline constexpr std::array<std::uint32_t, 14> kBaudRates{
    110, 300, 600, 1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200, 230400, 460800, 921600};
inline constexpr std::array<std::uint8_t, 4> kDataBits{5, 6, 7, 8};
inline constexpr std::array<platform::Parity, 5> kParities{
    platform::Parity::Odd, platform::Parity::Even, platform::Parity::Mark, platform::Parity::Space,
    platform::Parity::None};
// 0 one, 1 the second entry of the sheet's list ("1.5" with five data bits, "2" otherwise),
// 2 two.
inline constexpr int kStopBitPositions = 3;

// Sets baud rate, data bits, parity, stop bits, DTR, binary mode and flow control from
// `entry`, whose line positions are all inside their lists; every other field of `state`
// keeps what the port reported.
void applyStoredLineSettings(const config::PortRegistryEntry& entry, platform::LineState& state);

}  // namespace brenmoor::serial
