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
    for (auto& [com, other] : ports_) port.receivedAtFirstWrite[com] = other.received.size();
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
    port.keptFrom = port.received.size();
    for (auto& [com, other] : ports_) port.writtenAtPurge[com] = other.written.size();
}

TappedPort TrafficTap::port(int comNumber) {
    std::lock_guard lock(mutex_);
    return ports_[comNumber];
}

TrafficCounts TrafficTap::counts(int comNumber) {
    std::lock_guard lock(mutex_);
    const TappedPort& port = ports_[comNumber];
    return {port.writes, port.written.size(), port.received.size()};
}

std::chrono::steady_clock::time_point TrafficTap::lastTraffic() {
    std::lock_guard lock(mutex_);
    return lastTraffic_;
}

}  // namespace brenmoor::cli
