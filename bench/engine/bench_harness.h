#pragma once
// What the engine benchmark runs a session with: a console and a main window that the
// benchmark's own thread serves, and a back end over the simulated card that keeps, per
// port, the time of every write and the byte streams written and read (from test support).

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <vector>

#include "engine/console_window.h"
#include "platform/serial_device.h"
#include "platform/window_notice.h"
#include "support/traffic_recording_backend.h"

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

}  // namespace brenmoor::bench
