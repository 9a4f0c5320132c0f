#include "cli/progress_display.h"

#include <cstdio>
#include <ostream>

#include "platform/line_timing.h"

namespace brenmoor::cli {
namespace {

constexpr double kTerminalInterval = 1.0;
constexpr double kLogInterval = 10.0;

double lineUse(const ProgressRow& row, double seconds) { return platform::lineUse(row.bytesSent, row.line, seconds); }

std::string state(const ProgressRow& row) {
    return std::string(row.running ? "running" : "stopped") + (row.fault.empty() ? "" : ", " + row.fault);
}

}  // namespace

bool ProgressDisplay::due(double seconds) const {
    return out_ && seconds >= nextAt_ + (terminal_ ? kTerminalInterval : kLogInterval);
}

void ProgressDisplay::show(double seconds, const std::vector<ProgressRow>& rows) {
    if (!due(seconds)) return;
    const double interval = terminal_ ? kTerminalInterval : kLogInterval;
    nextAt_ += interval;
    if (nextAt_ + interval <= seconds) nextAt_ = seconds;
    // The numbers fit the buffer whatever their size; the state, of any length, follows it.
    char line[160];
    if (!terminal_) {
        for (const ProgressRow& row : rows) {
            std::snprintf(line, sizeof line, "%.0f s: Port%d packets %llu sent %llu received %llu use %.2f ",
                          seconds, row.port, static_cast<unsigned long long>(row.packets),
                          static_cast<unsigned long long>(row.bytesSent),
                          static_cast<unsigned long long>(row.bytesReceived), lineUse(row, seconds));
            *out_ << line << state(row) << '\n';
        }
        out_->flush();
        return;
    }
    // Moves the cursor back over the table drawn last, so the new one replaces it.
    if (linesDrawn_ > 0) *out_ << "\x1b[" << linesDrawn_ << "F";
    std::snprintf(line, sizeof line, "%6.0f s  %-4s %9s %12s %12s %5s  %s\x1b[K\n", seconds, "Port", "Packets",
                  "Sent", "Received", "Use", "State");
    *out_ << line;
    for (const ProgressRow& row : rows) {
        std::snprintf(line, sizeof line, "          %-4d %9llu %12llu %12llu %5.2f  ", row.port,
                      static_cast<unsigned long long>(row.packets), static_cast<unsigned long long>(row.bytesSent),
                      static_cast<unsigned long long>(row.bytesReceived), lineUse(row, seconds));
        *out_ << line << state(row) << "\x1b[K\n";
    }
    linesDrawn_ = rows.size() + 1;
    out_->flush();
}

}  // namespace brenmoor::cli
