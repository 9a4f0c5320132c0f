#pragma once
// Request codes of the card's serial driver and the layout of their 7-byte input block.

#include <cstddef>
#include <cstdint>

namespace brenmoor::platform {

inline constexpr std::uint32_t IOCTL_SET_UART_OPTIONS = 0x8005201C;
inline constexpr std::uint32_t IOCTL_SET_LOOPBACK = 0x80052024;

inline constexpr std::size_t kUartOptionBlockSize = 7;

// Byte positions in the block.
enum UartOptionByte : std::size_t {
    kOptFlowControl = 0,  // 0xF1 hardware, 0xF0 software, 0xF3 none
    kOptTxTrigger = 1,
    kOptRxTrigger = 2,
    kOptHysteresis = 3,
    kOptLoopback = 4,  // 0x10 on, 0x00 off
    kOptRS485 = 5,     // 0x20 on
    kOptInfrared = 6,  // 0x20 on
};

inline constexpr std::uint8_t kFlowCodeHardware = 0xF1;
inline constexpr std::uint8_t kFlowCodeSoftware = 0xF0;
inline constexpr std::uint8_t kFlowCodeNone = 0xF3;
inline constexpr std::uint8_t kLoopbackOn = 0x10;
inline constexpr std::uint8_t kFeatureOn = 0x20;

}  // namespace brenmoor::platform
