#pragma once
// The line state as termios flags, and back. Ports always run raw: no line editing, no
// echo, no translation, CLOCAL and CREAD, and reads that return as soon as one byte is
// there (VMIN 1, VTIME 0, with a non-blocking descriptor and poll).

#include <termios.h>

#include <cstdint>

#include "platform/serial_device.h"

namespace brenmoor::platform {

// Raw mode; HUPCL is cleared so DTR and RTS stay up when the port is closed.
void makeRaw(termios& settings);

// Puts the state into `settings` (already read from the device). False, with `settings`
// untouched, for a baud rate without a termios speed (110 to 921600 in the usual steps
// are all there) or a data size outside 5-8.
bool applyLineState(const LineState& state, termios& settings);

// The state the settings describe, at `baudRate` (the rate read with readLineRate, which
// may lie outside the list). Fields termios has no place for (DTR, binary mode, DSR flow,
// continue on XOFF) come from `kept`. A pseudo-terminal reports 8 data bits and no parity
// whatever it was asked and passes whole bytes either way, so there the data bits and
// parity of `kept` stand.
LineState lineStateOf(const termios& settings, std::uint32_t baudRate, const LineState& kept, bool pseudoTerminal);

// Whether the device kept what was asked. A pseudo-terminal always keeps 8 data bits and
// no parity, so those are not compared there.
bool keptSettings(const termios& wanted, const termios& got, bool pseudoTerminal);

}  // namespace brenmoor::platform
