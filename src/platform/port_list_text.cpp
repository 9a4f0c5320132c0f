#include "platform/port_list_text.h"

#include <algorithm>
#include <charconv>

namespace brenmoor::platform {
namespace {

constexpr int kFirstPort = 1;
constexpr int kLastPort = 8;

}  // namespace

std::optional<int> parsePortNumber(std::string_view text, std::string& error) {
    int value = 0;
    const auto [end, code] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || code != std::errc() || end != text.data() + text.size() || value < kFirstPort ||
        value > kLastPort) {
        error = "\"" + std::string(text) + "\" is not a port number from 1 to 8";
        return std::nullopt;
    }
    return value;
}

std::optional<std::vector<int>> parsePortList(std::string_view text, std::string& error) {
    std::vector<int> ports;
    while (true) {
        const std::size_t comma = text.find(',');
        const std::string_view item = text.substr(0, comma);
        const std::size_t dash = item.find('-');
        const auto first = parsePortNumber(item.substr(0, dash), error);
        if (!first) return std::nullopt;
        int last = *first;
        if (dash != std::string_view::npos) {
            const auto end = parsePortNumber(item.substr(dash + 1), error);
            if (!end) return std::nullopt;
            if (*end < *first) {
                error = "the range \"" + std::string(item) + "\" runs backwards";
                return std::nullopt;
            }
            last = *end;
        }
        for (int port = *first; port <= last; ++port) ports.push_back(port);
        if (comma == std::string_view::npos) break;
        text.remove_prefix(comma + 1);
    }
    std::ranges::sort(ports);
    ports.erase(std::unique(ports.begin(), ports.end()), ports.end());
    return ports;
}

std::optional<std::pair<int, int>> parsePortPair(std::string_view text, std::string& error) {
    const std::size_t colon = text.find(':');
    if (colon == std::string_view::npos) {
        error = "\"" + std::string(text) + "\" is not a pair of ports A:B";
        return std::nullopt;
    }
    const auto first = parsePortNumber(text.substr(0, colon), error);
    if (!first) return std::nullopt;
    const auto second = parsePortNumber(text.substr(colon + 1), error);
    if (!second) return std::nullopt;
    if (*first == *second) {
        error = "a port cannot be paired with itself: " + std::string(text);
        return std::nullopt;
    }
    return std::pair{*first, *second};
}

}  // namespace brenmoor::platform
