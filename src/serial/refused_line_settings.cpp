#include "serial/refused_line_settings.h"

#include "platform/line_timing.h"

namespace brenmoor::serial {
namespace {

std::string parityName(platform::Parity parity) {
    switch (parity) {
        case platform::Parity::Odd: return "odd parity";
        case platform::Parity::Even: return "even parity";
        case platform::Parity::Mark: return "mark parity";
        case platform::Parity::Space: return "space parity";
        case platform::Parity::None: break;
    }
    return "no parity";
}

std::string stopBitsName(const platform::LineState& state) {
    switch (platform::stopHalfBits(state)) {
        case 2: return "1 stop bit";
        case 3: return "1.5 stop bits";
        default: return "2 stop bits";
    }
}

}  // namespace

std::optional<std::string> refusedLineSettings(int comNumber, const platform::LineState& asked,
                                               const platform::LineState& kept) {
    const std::string port = "COM" + std::to_string(comNumber);
    std::string text;
    const auto refused = [&](const std::string& wanted, const std::string& runs) {
        if (!text.empty()) text += '\n';
        text += port + " did not take " + wanted + "; the port runs " + runs;
    };
    if (kept.baudRate != asked.baudRate)
        refused(std::to_string(asked.baudRate) + " bit/s", "at " + std::to_string(kept.baudRate) + " bit/s");
    if (kept.byteSize != asked.byteSize)
        refused(std::to_string(asked.byteSize) + " data bits", "with " + std::to_string(kept.byteSize) + " data bits");
    if (kept.parity != asked.parity) refused(parityName(asked.parity), "with " + parityName(kept.parity));
    if (platform::stopHalfBits(kept) != platform::stopHalfBits(asked))
        refused(stopBitsName(asked), "with " + stopBitsName(kept));
    if (text.empty()) return std::nullopt;
    return text;
}

}  // namespace brenmoor::serial
