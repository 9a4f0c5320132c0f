#pragma once
// How long one character occupies a serial line, from the line state: one start bit, the
// data bits, a parity bit unless parity is None, and the stop bits. A UART of the 16550
// family has a single "extra stop bit" setting: it gives 1.5 stop bits with 5 data bits
// and 2 otherwise, so OnePointFive and Two mean the same on the wire.

#include <chrono>
#include <cstdint>

#include "platform/serial_device.h"

namespace brenmoor::platform {

// Stop bits actually sent, counted in half bits (2, 3 or 4).
std::uint32_t stopHalfBits(const LineState& state);

// Bits of one character, counted in half bits so that 1.5 stop bits stay exact.
std::uint32_t characterHalfBits(const LineState& state);

// Time one character takes on the line.
std::chrono::nanoseconds characterTime(const LineState& state);

// Whether two ends of a line frame characters the same way (baud, data bits, parity and
// the stop bits on the wire), so that what one sends the other receives intact.
bool sameFraming(const LineState& sender, const LineState& receiver);

// The character a receiver with `receiver` settings takes from `value` sent with `sender`
// settings. Only the sender's data bits travel; a receiver framing differently gets the
// complement of them, so a mismatch never passes for good data.
std::uint8_t receivedCharacter(std::uint8_t value, const LineState& sender, const LineState& receiver);

}  // namespace brenmoor::platform
