#include "support/traffic_recording_backend.h"

#include "platform/com_names.h"
#include "platform/forwarding_device.h"

namespace brenmoor::test {
namespace {

class RecordingDevice : public platform::ForwardingDevice {
public:
    RecordingDevice(platform::SerialHandle inner, int comNumber, TrafficRecordingBackend& backend)
        : platform::ForwardingDevice(std::move(inner)), com_(comNumber), backend_(backend) {}

    platform::IoStatus write(const std::uint8_t* data, std::size_t count, std::chrono::milliseconds limit,
                             std::size_t& done) override {
        const auto started = std::chrono::steady_clock::now();
        const platform::IoStatus status = platform::ForwardingDevice::write(data, count, limit, done);
        backend_.recordWrite(com_, started, data, done);
        return status;
    }
    platform::IoStatus read(std::uint8_t* buffer, std::size_t count, std::chrono::milliseconds limit,
                            std::size_t& done) override {
        const platform::IoStatus status = platform::ForwardingDevice::read(buffer, count, limit, done);
        backend_.recordRead(com_, buffer, done);
        return status;
    }

private:
    int com_;
    TrafficRecordingBackend& backend_;
};

}  // namespace

platform::SerialHandle TrafficRecordingBackend::open(const std::string& device, platform::OpenError& error) {
    platform::SerialHandle inner = inner_.open(device, error);
    if (!inner) return nullptr;
    return std::make_shared<RecordingDevice>(std::move(inner), platform::parseComName(device).value_or(0), *this);
}

void TrafficRecordingBackend::recordWrite(int comNumber, std::chrono::steady_clock::time_point started,
                                          const std::uint8_t* data, std::size_t count) {
    if (count == 0) return;
    std::lock_guard lock(mutex_);
    PortTraffic& traffic = traffic_[comNumber];
    traffic.writeTimes.push_back(started);
    traffic.written.insert(traffic.written.end(), data, data + count);
}

void TrafficRecordingBackend::recordRead(int comNumber, const std::uint8_t* data, std::size_t count) {
    if (count == 0) return;
    std::lock_guard lock(mutex_);
    PortTraffic& traffic = traffic_[comNumber];
    ++traffic.reads;
    traffic.read.insert(traffic.read.end(), data, data + count);
}

std::size_t TrafficRecordingBackend::bytesRead(int comNumber) {
    std::lock_guard lock(mutex_);
    return traffic_[comNumber].read.size();
}

PortTraffic TrafficRecordingBackend::traffic(int comNumber) {
    std::lock_guard lock(mutex_);
    return traffic_[comNumber];
}

}  // namespace brenmoor::test
