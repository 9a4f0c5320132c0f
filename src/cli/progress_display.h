#pragma once
// Progress while the ports run: on a terminal a compact table redrawn once a second,
// otherwise a plain line per port every 10 seconds.

#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

#include "platform/serial_device.h"

namespace brenmoor::cli {

struct ProgressRow {
    int port = 0;
    std::uint64_t packets = 0;
    std::uint64_t bytesSent = 0;
    std::uint64_t bytesReceived = 0;
    platform::LineState line;
    bool running = false;
    std::string fault;  // what the comparison so far found wrong; empty while all is well
};

class ProgressDisplay {
public:
    // Shows nothing when `out` is null.
    ProgressDisplay(std::ostream* out, bool terminal) : out_(out), terminal_(terminal) {}

    // Whether the interval since the last print has passed.
    bool due(double seconds) const;
    // Prints when due.
    void show(double seconds, const std::vector<ProgressRow>& rows);

private:
    std::ostream* out_;
    bool terminal_;
    double nextAt_ = 0;  // the last print, in seconds from the start
    std::size_t linesDrawn_ = 0;
};

}  // namespace brenmoor::cli
