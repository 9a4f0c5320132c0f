#include "platform/line_timing.h"

namespace brenmoor::platform {
namespace {

std::uint8_t dataMask(const LineState& state) {
    return static_cast<std::uint8_t>((1u << state.byteSize) - 1u);
}

}  // namespace

std::uint32_t stopHalfBits(const LineState& state) {
    if (state.stopBits == StopBits::One) return 2;
    return state.byteSize == 5 ? 3 : 4;
}

std::uint32_t characterHalfBits(const LineState& state) {
    const std::uint32_t parity = state.parity == Parity::None ? 0 : 1;
    return 2 * (1 + state.byteSize + parity) + stopHalfBits(state);
}

std::chrono::nanoseconds characterTime(const LineState& state) {
    const std::uint64_t halfBits = characterHalfBits(state);
    const std::uint64_t perHalfBitSecond = 2ull * state.baudRate;
    return std::chrono::nanoseconds((halfBits * 1'000'000'000ull + perHalfBitSecond - 1) / perHalfBitSecond);
}

bool sameFraming(const LineState& sender, const LineState& receiver) {
    return sender.baudRate == receiver.baudRate && sender.byteSize == receiver.byteSize &&
           sender.parity == receiver.parity && stopHalfBits(sender) == stopHalfBits(receiver);
}

std::uint8_t receivedCharacter(std::uint8_t value, const LineState& sender, const LineState& receiver) {
    const std::uint8_t sent = value & dataMask(sender);
    if (sameFraming(sender, receiver)) return sent;
    return static_cast<std::uint8_t>(~sent) & dataMask(receiver);
}

}  // namespace brenmoor::platform
