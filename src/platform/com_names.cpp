#include "platform/com_names.h"

#include <cctype>
#include <cstdio>
#include <string>

namespace brenmoor::platform {
namespace {

constexpr std::string_view kDevicePrefix = "\\\\.\\";

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) text.remove_prefix(1);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) text.remove_suffix(1);
    return text;
}

std::string quoted(std::string_view text) {
    std::string result;
    result.reserve(text.size() + 2);
    result += '"';
    result += text;
    result += '"';
    return result;
}

bool startsWithComIgnoringCase(std::string_view text) {
    if (text.size() < 3) return false;
    return std::toupper(static_cast<unsigned char>(text[0])) == 'C' &&
           std::toupper(static_cast<unsigned char>(text[1])) == 'O' &&
           std::toupper(static_cast<unsigned char>(text[2])) == 'M';
}

}  // namespace

std::string comDeviceName(int comNumber) {
    char name[32];
    std::snprintf(name, sizeof name, comNumber > 9 ? "\\\\.\\COM%d" : "COM%d", comNumber);
    return name;
}

std::optional<int> parseComName(std::string_view name) {
    if (name.starts_with(kDevicePrefix)) name.remove_prefix(kDevicePrefix.size());
    if (!startsWithComIgnoringCase(name)) return std::nullopt;
    const std::string_view digits = name.substr(3);
    if (digits.empty() || digits.size() > 3 || digits.front() == '0') return std::nullopt;
    int number = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') return std::nullopt;
        number = number * 10 + (c - '0');
    }
    if (number > kMaxComNumber) return std::nullopt;
    return number;
}

std::optional<DeviceOverride> parseDeviceOverride(std::string_view text, std::string& error) {
    const std::size_t equals = text.find('=');
    if (equals == std::string_view::npos) {
        error = quoted(text) + " is not of the form COMn=/path";
        return std::nullopt;
    }
    const std::string_view port = trimmed(text.substr(0, equals));
    const std::string_view path = trimmed(text.substr(equals + 1));
    const std::optional<int> comNumber = parseComName(port);
    if (!comNumber) {
        error = quoted(port) + " is not a COM port name (COM1 to COM" + std::to_string(kMaxComNumber) + ")";
        return std::nullopt;
    }
    if (path.empty() || path.front() != '/') {
        error = std::string("The device for COM") + std::to_string(*comNumber) + " must be an absolute path, not " +
                quoted(path);
        return std::nullopt;
    }
    return DeviceOverride{*comNumber, std::string(path)};
}

}  // namespace brenmoor::platform
