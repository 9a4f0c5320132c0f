#pragma once
// The outcome of a run: per port what was sent and what came back, and the verdict.

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace brenmoor::cli {

struct LineErrorDelta {
    std::uint64_t frame = 0;
    std::uint64_t parity = 0;
    std::uint64_t overrun = 0;
    std::uint64_t brk = 0;

    std::uint64_t total() const { return frame + parity + overrun + brk; }
};

struct PortReport {
    int port = 0;  // 1-8
    int com = 0;
    std::string device;
    std::uint32_t baud = 0;
    std::string framing;      // "8N1"
    std::string pattern;      // "alphabet", "sentence", "user", "file"
    std::string returnPath;   // "internal", "plug", "pair:B"
    std::uint64_t packets = 0;
    std::uint64_t bytesSent = 0;
    std::uint64_t bytesReceived = 0;
    std::uint64_t mismatches = 0;
    std::optional<std::uint64_t> firstMismatchOffset;
    std::uint64_t missing = 0;
    std::uint64_t extra = 0;
    LineErrorDelta lineErrors;
    double lineUse = 0;  // fraction of the line rate the port's output used
    std::vector<std::string> messages;
    bool passed = false;
    std::string reason;  // why it failed; empty when it passed
};

struct RunReport {
    std::string version;
    std::string backend;  // "simulated card" or "devices"
    std::string started;  // ISO 8601, UTC
    double seconds = 0;   // how long the ports sent
    bool interrupted = false;
    std::vector<PortReport> ports;
    std::vector<std::string> messages;  // those that named no port

    bool passed() const {
        return !ports.empty() && std::ranges::all_of(ports, [](const PortReport& port) { return port.passed; });
    }
};

}  // namespace brenmoor::cli
