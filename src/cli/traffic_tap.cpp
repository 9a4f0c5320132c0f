#include "cli/traffic_tap.h"

#include "platform/com_names.h"
#include "platform/forwarding_device.h"

namespace brenmoor::cli {
namespace {

thread_local int threadCom = 0;

class TappedDevice : public platform::ForwardingDevice {
public:
    TappedDevice(platform::SerialHandle inner, int comNumber, TrafficTap& tap)
        : ForwardingDevice(std::move(inner)), com_(comNumber), tap_(tap) {}

    bool purge(unsigned flags) override {
        TrafficTap::noteThreadCom(com_);
        const bool done = ForwardingDevice::purge(flags);
        if ((flags & platform::kPurgeRxClear) != 0) tap_.notePurge(com_);
        return done;
    }
    platform::WaitStatus waitEvent(std::uint32_t& occurred) override {
        TrafficTap::noteThreadCom(com_);
        return ForwardingDevice::waitEvent(occurred);
    }
    bool clearErrors(std::uint32_t& waiting) override {
        TrafficTap::noteThreadCom(com_);
        return ForwardingDevice::clearErrors(waiting);
    }
    platform::IoStatus write(const std::uint8_t* data, std::size_t count, std::chrono::milliseconds limit,
                             std::size_t& done) override {
        TrafficTap::noteThreadCom(com_);
        if (count != 0) tap_.noteWriteBegins(com_);
        const platform::IoStatus status = ForwardingDevice::write(data, count, limit, done);
        tap_.noteWrite(com_, data, done);
        return status;
    }
    platform::IoStatus read(std::uint8_t* buffer, std::size_t count, std::chrono::milliseconds limit,
                            std::size_t& done) override {
        TrafficTap::noteThreadCom(com_);
        const platform::IoStatus status = ForwardingDevice::read(buffer, count, limit, done);
        tap_.noteRead(com_, buffer, done);
        return status;
    }
    bool deviceControl(std::uint32_t code, const std::uint8_t* input, std::size_t length) override {
        TrafficTap::noteThreadCom(com_);
        return ForwardingDevice::deviceControl(code, input, length);
    }
    bool isGone() const override {
        TrafficTap::noteThreadCom(com_);
        return ForwardingDevice::isGone();
    }

private:
    int com_;
    TrafficTap& tap_;
};

}  // namespace

int TrafficTap::lastComOfThisThread() { return threadCom; }
void TrafficTap::noteThreadCom(int comNumber) { threadCom = comNumber; }

platform::SerialHandle TrafficTap::open(const std::string& device, platform::OpenError& error) {
    const int com = platform::parseComName(device).value_or(0);
    noteThreadCom(com);
    platform::SerialHandle inner = inner_.open(device, error);
    if (!inner) return nullptr;
    return std::make_shared<TappedDevice>(std::move(inner), com, *this);
}

void TrafficTap::noteWriteBegins(int comNumber) {
    std::lock_guard lock(mutex_);
    TappedPort& port = ports_[comNumber];
    if (port.writeBegun) return;
    port.writeBegun = true;
    for (auto& [com, other] : ports_) port.receivedAtFirstWrite[com] = other.receivedBase + other.received.size();
}

void TrafficTap::noteWrite(int comNumber, const std::uint8_t* data, std::size_t count) {
    if (count == 0) return;
    std::lock_guard lock(mutex_);
    TappedPort& port = ports_[comNumber];
    ++port.writes;
    lastTraffic_ = std::chrono::steady_clock::now();
    port.written.insert(port.written.end(), data, data + count);
}

void TrafficTap::noteRead(int comNumber, const std::uint8_t* data, std::size_t count) {
    if (count == 0) return;
    std::lock_guard lock(mutex_);
    std::vector<std::uint8_t>& received = ports_[comNumber].received;
    received.insert(received.end(), data, data + count);
    lastTraffic_ = std::chrono::steady_clock::now();
}

void TrafficTap::notePurge(int comNumber) {
    std::lock_guard lock(mutex_);
    TappedPort& port = ports_[comNumber];
    port.keptFrom = port.receivedBase + port.received.size();
    for (auto& [com, other] : ports_) port.writtenAtPurge[com] = other.writtenBase + other.written.size();
}

ReturnComparison TrafficTap::tally(int comNumber, int sourceCom, ReturnTally& tally, std::size_t alignAfter,
                                   std::size_t keepAtMost, bool final) {
    std::lock_guard lock(mutex_);
    TappedPort& own = ports_[comNumber];
    TappedPort& source = ports_[sourceCom];
    const std::uint64_t sentTotal = source.writtenBase + source.written.size();
    const std::uint64_t receivedTotal = own.receivedBase + own.received.size();
    // What arrived before the source's first packet does not count.
    if (!source.writeBegun) return tally.result(sentTotal, 0);
    if (!tally.aligned()) {
        const auto first = source.receivedAtFirstWrite.find(comNumber);
        const std::uint64_t origin = std::max(own.keptFrom, first == source.receivedAtFirstWrite.end() ? 0 : first->second);
        if (!final && receivedTotal < origin + alignAfter && source.written.size() <= keepAtMost)
            return tally.result(sentTotal, 0);
        // Nothing of either stream has been let go before the comparison starts.
        const auto missed = own.writtenAtPurge.find(sourceCom);
        tally.receivedOrigin = origin;
        tally.align(source.written,
                    std::span(own.received).subspan(static_cast<std::size_t>(origin - own.receivedBase)),
                    missed == own.writtenAtPurge.end() ? 0 : static_cast<std::size_t>(missed->second));
    }
    const auto sentFrom = static_cast<std::size_t>(tally.sentPosition() - source.writtenBase);
    const auto receivedFrom = static_cast<std::size_t>(tally.receivedOrigin + tally.receivedPosition() - own.receivedBase);
    tally.compare(std::span(source.written).subspan(sentFrom), std::span(own.received).subspan(receivedFrom));
    const std::uint64_t waiting = sentTotal - tally.sentPosition();
    if (waiting > keepAtMost) tally.giveUp(waiting - keepAtMost);
    // Let go of what has been compared or given up.
    const auto sentDone = static_cast<std::size_t>(tally.sentPosition() - source.writtenBase);
    source.written.erase(source.written.begin(), source.written.begin() + static_cast<std::ptrdiff_t>(sentDone));
    source.writtenBase += sentDone;
    const auto receivedDone = static_cast<std::size_t>(tally.receivedOrigin + tally.receivedPosition() - own.receivedBase);
    own.received.erase(own.received.begin(), own.received.begin() + static_cast<std::ptrdiff_t>(receivedDone));
    own.receivedBase += receivedDone;
    return tally.result(sentTotal, receivedTotal - tally.receivedOrigin);
}

TrafficCounts TrafficTap::counts(int comNumber) {
    std::lock_guard lock(mutex_);
    const TappedPort& port = ports_[comNumber];
    return {port.writes, port.writtenBase + port.written.size(), port.receivedBase + port.received.size()};
}

std::size_t TrafficTap::keptBytes(int comNumber) {
    std::lock_guard lock(mutex_);
    const TappedPort& port = ports_[comNumber];
    return port.written.size() + port.received.size();
}

std::chrono::steady_clock::time_point TrafficTap::lastTraffic() {
    std::lock_guard lock(mutex_);
    return lastTraffic_;
}

}  // namespace brenmoor::cli
