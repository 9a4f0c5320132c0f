#include "platform/simulated_card_options.h"

#include <array>
#include <charconv>
#include <cmath>

#include "platform/port_list_text.h"

namespace brenmoor::platform {
namespace {

struct KindName {
    std::string_view name;
    SimulatedFaultKind kind;
};
constexpr std::array<KindName, 4> kKindNames{{{"stall", SimulatedFaultKind::Stall},
                                              {"read-error", SimulatedFaultKind::ReadError},
                                              {"hang-up", SimulatedFaultKind::HangUp},
                                              {"unplug", SimulatedFaultKind::Unplug}}};

std::optional<std::chrono::milliseconds> parseSeconds(std::string_view text) {
    double seconds = 0;
    const auto [end, code] = std::from_chars(text.data(), text.data() + text.size(), seconds);
    if (text.empty() || code != std::errc() || end != text.data() + text.size() || !std::isfinite(seconds) ||
        seconds < 0 || seconds > 1e7)
        return std::nullopt;
    return std::chrono::milliseconds(std::llround(seconds * 1000));
}

}  // namespace

std::optional<SimulatedFault> parseSimulatedFault(std::string_view text, std::string& error) {
    const std::size_t colon = text.find(':');
    if (colon == std::string_view::npos) {
        error = "\"" + std::string(text) + "\" is not PORT:KIND[@SECONDS]";
        return std::nullopt;
    }
    SimulatedFault fault;
    const auto port = parsePortNumber(text.substr(0, colon), error);
    if (!port) return std::nullopt;
    fault.port = *port;
    std::string_view kind = text.substr(colon + 1);
    if (const std::size_t at = kind.find('@'); at != std::string_view::npos) {
        const auto after = parseSeconds(kind.substr(at + 1));
        if (!after) {
            error = "\"" + std::string(kind.substr(at + 1)) + "\" is not a number of seconds";
            return std::nullopt;
        }
        fault.after = *after;
        kind = kind.substr(0, at);
    }
    for (const KindName& entry : kKindNames) {
        if (entry.name == kind) {
            fault.kind = entry.kind;
            return fault;
        }
    }
    error = "\"" + std::string(kind) + "\" is not a fault (stall, read-error, hang-up or unplug)";
    return std::nullopt;
}

bool addSimulatedCardOption(SimulatedCardOptions& options, std::string_view name, std::string_view value,
                            std::string& error) {
    if (name == "sim-plug") {
        const auto ports = parsePortList(value, error);
        if (ports) options.plugs.insert(options.plugs.end(), ports->begin(), ports->end());
        return ports.has_value();
    }
    if (name == "sim-pair") {
        const auto pair = parsePortPair(value, error);
        if (pair) options.pairs.push_back(*pair);
        return pair.has_value();
    }
    const auto fault = parseSimulatedFault(value, error);
    if (fault) options.faults.push_back(*fault);
    return fault.has_value();
}

void wireSimulatedCard(SimulatedCard& card, const SimulatedCardOptions& options, const PortToCom& comOf) {
    for (int port : options.plugs) card.plugLoopback(comOf(port));
    for (const auto& [first, second] : options.pairs) card.connectNullModem(comOf(first), comOf(second));
}

void injectSimulatedFault(SimulatedCard& card, SimulatedFaultKind kind, int comNumber) {
    switch (kind) {
    case SimulatedFaultKind::Stall:
        card.setWriteStalled(comNumber, true);
        break;
    case SimulatedFaultKind::ReadError:
        card.setReadError(comNumber, true);
        break;
    case SimulatedFaultKind::HangUp:
        card.hangUp(comNumber);
        break;
    case SimulatedFaultKind::Unplug:
        card.unplug(comNumber);
        break;
    }
}

}  // namespace brenmoor::platform
