#pragma once
// Wiring and faults for the simulated card from the command line, by port number (1-8):
// --sim-plug LIST, --sim-pair A:B and --sim-fault PORT:KIND[@SECONDS]. A port reaches the
// card at the COM number its settings give it, so `comOf` maps a port number to it.

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/simulated_card.h"

namespace brenmoor::platform {

enum class SimulatedFaultKind { Stall, ReadError, HangUp, Unplug };

struct SimulatedFault {
    int port = 0;
    SimulatedFaultKind kind = SimulatedFaultKind::Stall;
    std::chrono::milliseconds after{0};  // from the moment the ports start
};

struct SimulatedCardOptions {
    std::vector<int> plugs;
    std::vector<std::pair<int, int>> pairs;
    std::vector<SimulatedFault> faults;

    bool empty() const { return plugs.empty() && pairs.empty() && faults.empty(); }
};

// "PORT:KIND" or "PORT:KIND@SECONDS", KIND one of stall, read-error, hang-up, unplug.
std::optional<SimulatedFault> parseSimulatedFault(std::string_view text, std::string& error);

// Adds one option's value to `options`; `name` is the option without its dashes
// ("sim-plug", "sim-pair", "sim-fault"). False with `error` set when the value is bad.
bool addSimulatedCardOption(SimulatedCardOptions& options, std::string_view name, std::string_view value,
                            std::string& error);

using PortToCom = std::function<int(int port)>;

void wireSimulatedCard(SimulatedCard& card, const SimulatedCardOptions& options, const PortToCom& comOf);
void injectSimulatedFault(SimulatedCard& card, SimulatedFaultKind kind, int comNumber);

}  // namespace brenmoor::platform
