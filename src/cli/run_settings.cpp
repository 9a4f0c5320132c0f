#include "cli/run_settings.h"

#include <algorithm>

#include "config/send_file.h"
#include "serial/line_settings.h"
#include "serial/stored_positions.h"

namespace brenmoor::cli {
namespace {

bool contains(const std::vector<int>& ports, int port) { return std::ranges::find(ports, port) != ports.end(); }

bool applyPattern(const PatternChoice& choice, config::PortDataPattern& pattern, std::string& error) {
    pattern.nAlpha = choice.kind == PatternKind::Alphabet;
    pattern.nQuickBrown = choice.kind == PatternKind::Sentence;
    pattern.nUserData = choice.kind == PatternKind::User;
    pattern.nFile = choice.kind == PatternKind::File;
    if (choice.kind == PatternKind::User) {
        if (choice.text.empty() || choice.text.size() > config::kUserPatternLimit) {
            error = "--pattern: the user text must have 1 to " + std::to_string(config::kUserPatternLimit) +
                    " characters";
            return false;
        }
        pattern.strUserPattern = choice.text;
    }
    if (choice.kind == PatternKind::File) {
        // As the window reads it: a regular file, its first kFileDataSize bytes.
        if (config::readSendFile(choice.text, pattern) != config::SendFileRead::Read) {
            error = "--pattern: unable to read the file " + choice.text + " (it must be a readable regular file)";
            return false;
        }
        if (pattern.nFileDataLen == 0) {
            error = "--pattern: the file " + choice.text + " is empty";
            return false;
        }
    }
    return true;
}

}  // namespace

std::vector<TestedPort> applyRunSettings(const CliOptions& options, config::SettingsTables& tables,
                                         std::string& error) {
    std::vector<int> ports = options.ports;
    if (ports.empty()) {
        for (int index = 0; index < config::kPortCount; ++index)
            if (tables.m_PortRegistry[index].nPortOpen != 0) ports.push_back(index + 1);
    }
    if (ports.empty()) {
        error = "no port is marked for testing in the profile; name the ports with --ports";
        return {};
    }
    for (int port : options.plugs) {
        if (!contains(ports, port)) {
            error = "--plug: port " + std::to_string(port) + " is not tested";
            return {};
        }
    }
    for (const auto& [first, second] : options.pairs) {
        if (!contains(ports, first) || !contains(ports, second)) {
            error = "--pair " + std::to_string(first) + ":" + std::to_string(second) + ": both ports must be tested";
            return {};
        }
    }
    std::vector<TestedPort> tested;
    for (int index = 0; index < config::kPortCount; ++index) {
        const int port = index + 1;
        tables.m_PortRegistry[index].nPortOpen = contains(ports, port) ? 1 : 0;
        if (!contains(ports, port)) continue;
        TestedPort entry{index, index, ReturnKind::Internal};
        if (contains(options.plugs, port)) entry.returnKind = ReturnKind::Plug;
        for (const auto& [first, second] : options.pairs) {
            if (port == first || port == second) {
                entry.returnKind = ReturnKind::Pair;
                entry.source = (port == first ? second : first) - 1;
            }
        }
        if (options.baud) {
            const auto rate = std::ranges::find(serial::kBaudRates, *options.baud);
            tables.m_PortRegistry[index].nBaud = static_cast<std::int32_t>(rate - serial::kBaudRates.begin());
        }
        if (options.pattern && !applyPattern(*options.pattern, tables.g_PortDataPattern[index], error)) return {};
        tested.push_back(entry);
    }
    if (options.delayMs) tables.m_strWriteDelay.setText(std::to_string(*options.delayMs));
    return tested;
}

std::string framingText(const config::PortRegistryEntry& entry) {
    static constexpr char kParityLetters[] = {'O', 'E', 'M', 'S', 'N'};
    static_assert(std::size(kParityLetters) == serial::kParities.size());
    if (serial::positionOutsideList(entry, 0)) return "?";
    const int dataBits = serial::kDataBits[entry.nDataBits];
    std::string text = std::to_string(dataBits) + kParityLetters[entry.nParity];
    if (entry.nStopBits == 0) return text + "1";
    if (entry.nStopBits == 1 && dataBits == 5) return text + "1.5";
    return text + "2";
}

std::string patternName(const config::PortDataPattern& pattern) {
    // The order in which a packet is built from them.
    if (pattern.nAlpha != 0) return "alphabet";
    if (pattern.nQuickBrown != 0) return "sentence";
    if (pattern.nUserData != 0) return "user";
    return "file";
}

std::string returnPathText(const TestedPort& port) {
    switch (port.returnKind) {
    case ReturnKind::Internal: return "internal";
    case ReturnKind::Plug: return "plug";
    case ReturnKind::Pair: return "pair:" + std::to_string(port.source + 1);
    }
    return {};
}

}  // namespace brenmoor::cli
