#pragma once
// How characters travel on a serial line between two UARTs of the 16550 family.
//
// Timing: one character occupies the line for one start bit, the data bits, a parity bit
// unless parity is None, and the stop bits. The UART has a single "extra stop bit"
// setting: it gives 1.5 stop bits with 5 data bits and 2 otherwise, so OnePointFive and
// Two mean the same on the wire.
//
// Framing: the receiver finds the start bit, then samples at its own settings: its data
// bits (least significant first), its parity bit if parity is enabled, then one stop bit;
// it never looks at a second stop bit. A stop bit sampled as 0 is a framing error, a
// parity bit that does not match is a parity error. A receiver checks its characters only
// when its parity is enabled (as a port that asks for parity also asks for input
// checking); a checked character with either error arrives as NUL, as the kernel hands one
// over. An unchecked character arrives as the data bits sampled, whatever the errors.
// What follows from that, for ends at the same rate:
// - stop bits that differ deliver the data intact;
// - a parity the sender does not send is read from its stop bit (always 1), so a checking
//   receiver flags exactly the characters whose parity is not 1; a parity bit the
//   receiver does not expect is taken for its stop bit and goes unnoticed;
// - a receiver with more data bits fills the top ones from the sender's parity or stop
//   bits; one with fewer takes the sender's low data bits and samples the next one as
//   its stop bit.
// Each character is sampled on its own, as if the line idled after its stop bits: where
// the receiver's frame is longer than the sender's, a real back-to-back stream may also
// lose character sync, which the model leaves out. Ends at different rates sample the
// wrong bits altogether; the model does not follow them and gives the complement of the
// sender's data bits, so a rate mismatch never passes for good data.
// Both ends of a loopback (a plug, or the UART's internal loopback) are the same UART
// with one set of line settings, so no mismatch can arise there. QEMU's emulated 16550
// ignores framing altogether, so these rules can be checked only on this model.

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

// The fraction of the line's rate that `bytes` sent in `seconds` used; 0 without a time
// or a rate.
double lineUse(std::uint64_t bytes, const LineState& state, double seconds);

// The character a receiver with `receiver` settings takes from `value` sent with `sender`
// settings, and the errors it flags: only a receiver that checks (parity enabled) flags any.
struct ReceivedCharacter {
    std::uint8_t value = 0;
    bool frameError = false;
    bool parityError = false;
};
ReceivedCharacter receiveCharacter(std::uint8_t value, const LineState& sender, const LineState& receiver);

}  // namespace brenmoor::platform
