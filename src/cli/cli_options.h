#pragma once
// The command line of brenmoor-cli: which ports run, for how long, with what data, over
// which back end and return path, and where the reports go. Options override the profile
// for this run only.

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/simulated_card_options.h"

namespace brenmoor::cli {

enum class PatternKind { Alphabet, Sentence, User, File };

struct PatternChoice {
    PatternKind kind = PatternKind::Alphabet;
    std::string text;  // the user text, or the file's path
};

enum class ReturnKind { Internal, Plug, Pair };

struct CliOptions {
    std::optional<std::string> profile;
    bool simulatedCard = false;
    std::vector<std::string> devices;  // "COMn=/path", as given
    std::vector<int> ports;            // 1-8; empty: the ports the profile marks
    std::optional<int> seconds;
    std::optional<std::int64_t> packets;
    std::optional<PatternChoice> pattern;
    std::optional<int> delayMs;
    std::optional<std::uint32_t> baud;
    // Ports not named by --plug or --pair use the internal loopback.
    std::vector<int> plugs;
    std::vector<std::pair<int, int>> pairs;
    std::optional<std::string> json;
    std::optional<std::string> junit;
    bool quiet = false;
    platform::SimulatedCardOptions simulated;
};

inline constexpr int kDefaultSeconds = 10;

struct ParsedCommandLine {
    CliOptions options;
    bool help = false;
    bool version = false;
    std::string error;  // set when the line could not be used; says which option and why
};

ParsedCommandLine parseCliOptions(const std::vector<std::string>& arguments);

// What --help prints.
std::string helpText();

}  // namespace brenmoor::cli
