#include "platform/line_timing.h"

#include <bit>

namespace brenmoor::platform {
namespace {

std::uint8_t dataMask(const LineState& state) {
    return static_cast<std::uint8_t>((1u << state.byteSize) - 1u);
}

bool hasParityBit(const LineState& state) { return state.parity != Parity::None; }

// The parity bit that goes with `data` under `parity` (which is not None).
std::uint32_t parityBit(std::uint8_t data, Parity parity) {
    const std::uint32_t odd = std::popcount(data) & 1u;
    switch (parity) {
        case Parity::Even: return odd;
        case Parity::Odd: return odd ^ 1u;
        case Parity::Mark: return 1;
        case Parity::Space: return 0;
        case Parity::None: break;
    }
    return 0;
}

// The sender's frame after its start bit, least significant first: data bits, parity bit,
// then the stop bits and an idle line, all 1.
std::uint32_t frameAfterStart(std::uint8_t value, const LineState& sender) {
    const std::uint8_t data = value & dataMask(sender);
    std::uint32_t bits = ~0u << sender.byteSize | data;
    if (hasParityBit(sender)) {
        const std::uint32_t at = sender.byteSize;
        bits = (bits & ~(1u << at)) | parityBit(data, sender.parity) << at;
    }
    return bits;
}

}  // namespace

std::uint32_t stopHalfBits(const LineState& state) {
    if (state.stopBits == StopBits::One) return 2;
    return state.byteSize == 5 ? 3 : 4;
}

std::uint32_t characterHalfBits(const LineState& state) {
    const std::uint32_t parity = hasParityBit(state) ? 1 : 0;
    return 2 * (1 + state.byteSize + parity) + stopHalfBits(state);
}

double lineUse(std::uint64_t bytes, const LineState& state, double seconds) {
    if (seconds <= 0 || state.baudRate == 0) return 0;
    return static_cast<double>(bytes) * characterHalfBits(state) / 2.0 / (state.baudRate * seconds);
}

std::chrono::nanoseconds characterTime(const LineState& state) {
    const std::uint64_t halfBits = characterHalfBits(state);
    const std::uint64_t perHalfBitSecond = 2ull * state.baudRate;
    return std::chrono::nanoseconds((halfBits * 1'000'000'000ull + perHalfBitSecond - 1) / perHalfBitSecond);
}

ReceivedCharacter receiveCharacter(std::uint8_t value, const LineState& sender, const LineState& receiver) {
    if (sender.baudRate != receiver.baudRate)
        return {static_cast<std::uint8_t>(static_cast<std::uint8_t>(~(value & dataMask(sender))) & dataMask(receiver))};

    const std::uint32_t bits = frameAfterStart(value, sender);
    const auto data = static_cast<std::uint8_t>(bits & dataMask(receiver));
    if (!hasParityBit(receiver)) return {data};
    const std::uint32_t parity = bits >> receiver.byteSize & 1u;
    const std::uint32_t stop = bits >> (receiver.byteSize + 1) & 1u;
    const bool parityError = parity != parityBit(data, receiver.parity);
    const bool frameError = stop == 0;
    return {parityError || frameError ? std::uint8_t{0} : data, frameError, parityError};
}

}  // namespace brenmoor::platform
