#include "bench_harness.h"

#include "platform/com_names.h"
#include "support/forwarding_device.h"

namespace brenmoor::bench {
namespace {

class MeasuringDevice : public test::ForwardingDevice {
public:
    MeasuringDevice(platform::SerialHandle inner, int comNumber, MeasuringBackend& backend)
        : ForwardingDevice(std::move(inner)), com_(comNumber), backend_(backend) {}

    platform::IoStatus write(const std::uint8_t* data, std::size_t count, std::chrono::milliseconds limit,
                             std::size_t& done) override {
        const Clock::time_point started = Clock::now();
        const platform::IoStatus status = ForwardingDevice::write(data, count, limit, done);
        backend_.recordWrite(com_, started, data, done);
        return status;
    }
    platform::IoStatus read(std::uint8_t* buffer, std::size_t count, std::chrono::milliseconds limit,
                            std::size_t& done) override {
        const platform::IoStatus status = ForwardingDevice::read(buffer, count, limit, done);
        backend_.recordRead(com_, buffer, done);
        return status;
    }

private:
    int com_;
    MeasuringBackend& backend_;
};

}  // namespace

engine::ConsoleModel* BenchConsole::create() {
    model_ = std::make_unique<engine::ConsoleModel>();
    return model_.get();
}

void BenchNotices::postThreadDone(int) {
    {
        std::lock_guard lock(mutex_);
        ++pending_;
    }
    posted_.notify_all();
}

void BenchNotices::waitForThreadDone() {
    std::unique_lock lock(mutex_);
    posted_.wait(lock, [this] { return pending_ > 0; });
    --pending_;
}

platform::SerialHandle MeasuringBackend::open(const std::string& device, platform::OpenError& error) {
    platform::SerialHandle inner = inner_.open(device, error);
    if (!inner) return nullptr;
    return std::make_shared<MeasuringDevice>(std::move(inner), platform::parseComName(device).value_or(0), *this);
}

void MeasuringBackend::recordWrite(int comNumber, Clock::time_point started, const std::uint8_t* data,
                                   std::size_t count) {
    if (count == 0) return;
    std::lock_guard lock(mutex_);
    PortTraffic& traffic = traffic_[comNumber];
    traffic.writeTimes.push_back(started);
    traffic.written.insert(traffic.written.end(), data, data + count);
}

void MeasuringBackend::recordRead(int comNumber, const std::uint8_t* data, std::size_t count) {
    if (count == 0) return;
    std::lock_guard lock(mutex_);
    PortTraffic& traffic = traffic_[comNumber];
    ++traffic.reads;
    traffic.read.insert(traffic.read.end(), data, data + count);
}

std::size_t MeasuringBackend::bytesRead(int comNumber) {
    std::lock_guard lock(mutex_);
    return traffic_[comNumber].read.size();
}

PortTraffic MeasuringBackend::traffic(int comNumber) {
    std::lock_guard lock(mutex_);
    return traffic_[comNumber];
}

}  // namespace brenmoor::bench
