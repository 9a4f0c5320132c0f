#pragma once
// A back end that opens through another one and keeps, per COM number, what every write
// took (and when it began) and every read gave, for tests and benchmarks that compare what
// crossed a port. Safe from any thread.

#include <chrono>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "platform/serial_device.h"

namespace brenmoor::test {

struct PortTraffic {
    std::vector<std::chrono::steady_clock::time_point> writeTimes;  // when each non-empty write began
    std::vector<std::uint8_t> written;
    std::vector<std::uint8_t> read;
    std::size_t reads = 0;  // reads that delivered bytes
};

class TrafficRecordingBackend : public platform::SerialBackend {
public:
    explicit TrafficRecordingBackend(platform::SerialBackend& inner) : inner_(inner) {}
    platform::SerialHandle open(const std::string& device, platform::OpenError& error) override;

    void recordWrite(int comNumber, std::chrono::steady_clock::time_point started, const std::uint8_t* data,
                     std::size_t count);
    void recordRead(int comNumber, const std::uint8_t* data, std::size_t count);
    std::size_t bytesRead(int comNumber);
    PortTraffic traffic(int comNumber);

private:
    platform::SerialBackend& inner_;
    std::mutex mutex_;
    std::map<int, PortTraffic> traffic_;
};

}  // namespace brenmoor::test
