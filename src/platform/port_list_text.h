#pragma once
// Port numbers as an operator writes them on a command line: 1 to 8, a list such as
// "1,3,5-8", or a pair "A:B". Each parser returns nullopt and puts a message for the
// operator in `error` when the text is not of its form.

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace brenmoor::platform {

// The port numbers of the list, ascending, each once.
std::optional<std::vector<int>> parsePortList(std::string_view text, std::string& error);
// Two different port numbers.
std::optional<std::pair<int, int>> parsePortPair(std::string_view text, std::string& error);
// One port number, 1 to 8.
std::optional<int> parsePortNumber(std::string_view text, std::string& error);

}  // namespace brenmoor::platform
