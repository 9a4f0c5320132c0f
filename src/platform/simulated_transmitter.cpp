#include "platform/simulated_transmitter.h"

#include "platform/line_timing.h"

namespace brenmoor::platform {
namespace {

__extension__ using Wide = unsigned __int128;

constexpr std::uint64_t kNanosPerSecond = 1'000'000'000ull;

// A character takes halfBits / (2 * baud) seconds.
std::uint64_t charactersPerPeriod(const LineState& line) { return 2ull * line.baudRate; }

}  // namespace

void SimulatedTransmitter::start(Nanos now) {
    burstStart_ = now;
    sent_ = 0;
}

std::uint64_t SimulatedTransmitter::finishedBy(Nanos now, const LineState& line) const {
    if (now <= burstStart_) return 0;
    const Wide elapsed = static_cast<Wide>(now.count() - burstStart_.count());
    const Wide total = elapsed * charactersPerPeriod(line) / (static_cast<Wide>(characterHalfBits(line)) * kNanosPerSecond);
    return total > sent_ ? static_cast<std::uint64_t>(total - sent_) : 0;
}

SimulatedTransmitter::Nanos SimulatedTransmitter::finishTimeOf(std::uint64_t n, const LineState& line) const {
    const Wide k = static_cast<Wide>(sent_) + n;
    const Wide numerator = k * characterHalfBits(line) * kNanosPerSecond;
    const Wide perPeriod = charactersPerPeriod(line);
    return burstStart_ + Nanos(static_cast<std::int64_t>((numerator + perPeriod - 1) / perPeriod));
}

void SimulatedTransmitter::consume(std::uint64_t n, const LineState& line) {
    sent_ += n;
    // Every 2 * baud characters take exactly halfBits seconds: move the start there so the
    // products above stay small.
    const std::uint64_t period = charactersPerPeriod(line);
    if (sent_ >= period) {
        const std::uint64_t periods = sent_ / period;
        burstStart_ += Nanos(static_cast<std::int64_t>(periods * characterHalfBits(line) * kNanosPerSecond));
        sent_ -= periods * period;
    }
}

}  // namespace brenmoor::platform
