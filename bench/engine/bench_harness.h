#pragma once
// What the engine benchmark runs a session with: a console and a main window that the
// benchmark's own thread serves, and a back end over the simulated card that keeps, per
// port, the time of every write and the byte streams written and read.

#include <chrono>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "engine/console_window.h"
#include "platform/serial_device.h"
#include "platform/window_notice.h"

namespace brenmoor::bench {

using Clock = std::chrono::steady_clock;

class BenchConsole : public engine::ConsoleWindow {
public:
    engine::ConsoleModel* create() override;
    void focus() override {}
    void placeAndShow(int, int, int, int) override {}
    engine::ConsoleModel& model() { return *model_; }

private:
    std::unique_ptr<engine::ConsoleModel> model_;
};

class BenchNotices : public platform::MainWindowNotices {
public:
    void postThreadDone(int port) override;
    void updateWindow() override {}
    void waitForThreadDone();

private:
    std::mutex mutex_;
    std::condition_variable posted_;
    int pending_ = 0;
};

struct PortTraffic {
    std::vector<Clock::time_point> writeTimes;  // when each non-empty write began
    std::vector<std::uint8_t> written;
    std::vector<std::uint8_t> read;
    std::size_t reads = 0;  // reads that delivered bytes
};

class MeasuringBackend : public platform::SerialBackend {
public:
    explicit MeasuringBackend(platform::SerialBackend& inner) : inner_(inner) {}
    platform::SerialHandle open(const std::string& device, platform::OpenError& error) override;

    void recordWrite(int comNumber, Clock::time_point started, const std::uint8_t* data, std::size_t count);
    void recordRead(int comNumber, const std::uint8_t* data, std::size_t count);
    std::size_t bytesRead(int comNumber);
    PortTraffic traffic(int comNumber);

private:
    platform::SerialBackend& inner_;
    std::mutex mutex_;
    std::map<int, PortTraffic> traffic_;
};

}  // namespace brenmoor::bench
