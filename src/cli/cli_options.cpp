#include "cli/cli_options.h"

#include <algorithm>
#include <charconv>
#include <set>

#include "platform/port_list_text.h"
#include "serial/line_settings.h"

namespace brenmoor::cli {
namespace {

template <typename Number>
std::optional<Number> parseNumber(std::string_view text, Number lowest, Number highest) {
    Number value{};
    const auto [end, code] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || code != std::errc() || end != text.data() + text.size() || value < lowest ||
        value > highest)
        return std::nullopt;
    return value;
}

std::optional<PatternChoice> parsePattern(std::string_view text) {
    if (text == "alphabet") return PatternChoice{PatternKind::Alphabet, {}};
    if (text == "sentence") return PatternChoice{PatternKind::Sentence, {}};
    if (text.starts_with("user:")) return PatternChoice{PatternKind::User, std::string(text.substr(5))};
    if (text.starts_with("file:") && text.size() > 5)
        return PatternChoice{PatternKind::File, std::string(text.substr(5))};
    return std::nullopt;
}

// Options that take a value, without their dashes.
const std::set<std::string_view> kValueOptions{"profile", "device",   "ports",    "seconds",  "packets",
                                               "pattern", "delay",    "baud",     "loopback", "plug",
                                               "pair",    "json",     "junit",    "sim-plug", "sim-pair",
                                               "sim-fault"};

std::string applyValue(CliOptions& options, std::string_view name, const std::string& value) {
    std::string error;
    if (name == "profile") {
        options.profile = value;
    } else if (name == "device") {
        options.devices.push_back(value);
    } else if (name == "ports") {
        const auto ports = platform::parsePortList(value, error);
        if (!ports) return error;
        options.ports = *ports;
    } else if (name == "seconds") {
        options.seconds = parseNumber<int>(value, 1, 31'536'000);
        if (!options.seconds) return "\"" + value + "\" is not a whole number of seconds from 1";
    } else if (name == "packets") {
        options.packets = parseNumber<std::int64_t>(value, 1, 2'000'000'000);
        if (!options.packets) return "\"" + value + "\" is not a number of packets from 1";
    } else if (name == "pattern") {
        options.pattern = parsePattern(value);
        if (!options.pattern) return "\"" + value + "\" is not alphabet, sentence, user:TEXT or file:PATH";
    } else if (name == "delay") {
        options.delayMs = parseNumber<int>(value, 0, 9999);
        if (!options.delayMs) return "\"" + value + "\" is not a delay from 0 to 9999 ms";
    } else if (name == "baud") {
        const auto rate = parseNumber<std::uint32_t>(value, 1, 100'000'000);
        if (!rate || std::ranges::find(serial::kBaudRates, *rate) == serial::kBaudRates.end())
            return "\"" + value + "\" is not a rate of the list (110 to 921600)";
        options.baud = rate;
    } else if (name == "loopback") {
        if (value != "internal") return "\"" + value + "\" is not a loopback (the only one is internal)";
    } else if (name == "plug") {
        const auto ports = platform::parsePortList(value, error);
        if (!ports) return error;
        options.plugs.insert(options.plugs.end(), ports->begin(), ports->end());
    } else if (name == "pair") {
        const auto pair = platform::parsePortPair(value, error);
        if (!pair) return error;
        options.pairs.push_back(*pair);
    } else if (name == "json") {
        options.json = value;
    } else if (name == "junit") {
        options.junit = value;
    } else if (!platform::addSimulatedCardOption(options.simulated, name, value, error)) {
        return error;
    }
    return {};
}

// A port given two return paths is a mistake the run could only guess about.
std::string checkReturnPaths(const CliOptions& options) {
    std::set<int> seen;
    auto claim = [&](int port) { return seen.insert(port).second; };
    for (int port : options.plugs)
        if (!claim(port)) return "--plug: port " + std::to_string(port) + " is named twice";
    for (const auto& [first, second] : options.pairs) {
        for (int port : {first, second})
            if (!claim(port)) return "--pair: port " + std::to_string(port) + " already has a return path";
    }
    return {};
}

}  // namespace

ParsedCommandLine parseCliOptions(const std::vector<std::string>& arguments) {
    ParsedCommandLine parsed;
    CliOptions& options = parsed.options;
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (!argument.starts_with("--")) {
            parsed.error = "unexpected argument \"" + argument + "\"";
            return parsed;
        }
        std::string name = argument.substr(2);
        std::optional<std::string> value;
        if (const std::size_t equals = name.find('='); equals != std::string::npos) {
            value = name.substr(equals + 1);
            name.resize(equals);
        }
        if (!kValueOptions.contains(name)) {
            if (value) {
                parsed.error = "--" + name + " takes no value";
                return parsed;
            }
            if (name == "help") parsed.help = true;
            else if (name == "version") parsed.version = true;
            else if (name == "quiet") options.quiet = true;
            else if (name == "simulated-card") options.simulatedCard = true;
            else {
                parsed.error = "unknown option --" + name;
                return parsed;
            }
            continue;
        }
        if (!value) {
            if (i + 1 == arguments.size()) {
                parsed.error = "--" + name + " needs a value";
                return parsed;
            }
            value = arguments[++i];
        }
        if (std::string error = applyValue(options, name, *value); !error.empty()) {
            parsed.error = "--" + name + ": " + error;
            return parsed;
        }
    }
    if (options.seconds && options.packets) {
        parsed.error = "--seconds and --packets cannot be given together";
    } else {
        parsed.error = checkReturnPaths(options);
    }
    return parsed;
}

std::string helpText() {
    return R"(Usage: brenmoor-cli [options]
Runs the card's port test without a window and gives a verdict per port.

Ports and settings (the profile's, overridden for this run only; it is never written):
  --profile FILE           the profile to read (else BRENMOOR_PROFILE, else the default)
  --simulated-card         run every port on the simulated card
  --device COMn=PATH       open COM port n on the device at PATH (repeatable)
  --ports LIST             test these ports, e.g. 1,3,5-8 (default: those marked)
  --seconds N | --packets N  how long each port sends (default 10 seconds)
  --pattern alphabet|sentence|user:TEXT|file:PATH
  --delay MS               write delay, 0 to 9999
  --baud RATE              a rate of the list, 110 to 921600
Return path of each port (default: the UART's internal loopback):
  --loopback internal      the internal loopback
  --plug LIST              a loopback plug on these ports
  --pair A:B               a null-modem cable between ports A and B (repeatable)
Simulated card wiring and faults:
  --sim-plug LIST          loopback plugs on these ports
  --sim-pair A:B           a null-modem cable (repeatable)
  --sim-fault PORT:KIND[@SECONDS]  stall, read-error, hang-up or unplug (repeatable)
Output:
  --json FILE              the report as JSON
  --junit FILE             the report as a JUnit test suite
  --quiet                  print only the summary
  --help, --version
Exit codes: 0 every port passed, 1 a port failed, 2 usage or set-up error,
3 interrupted (SIGINT, SIGTERM).
)";
}

}  // namespace brenmoor::cli
