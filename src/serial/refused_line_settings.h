#pragma once
// What a port did not take of the line settings it was given. A port may keep another
// rate than the one set (a UART whose clock cannot make it keeps its old rate) or another
// framing, and setting the line state succeeds all the same; reading it back shows it.

#include <optional>
#include <string>

#include "platform/serial_device.h"

namespace brenmoor::serial {

// The message for COM `comNumber`, one line per refused part, e.g. "COM5 did not take
// 230400 bit/s; the port runs at 115200 bit/s"; nothing when `kept` has the rate, data
// bits, parity and stop bits (as sent on the wire) of `asked`.
std::optional<std::string> refusedLineSettings(int comNumber, const platform::LineState& asked,
                                               const platform::LineState& kept);

}  // namespace brenmoor::serial
