#pragma once
// What a test session needs of a window when there is none (the burn-in runner, the guest
// bench): a console that is only its model, and end-of-thread notices that are counted so
// the caller knows when every thread has ended and the session may be finished.

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>

#include "engine/console_model.h"
#include "engine/console_window.h"
#include "platform/window_notice.h"

namespace brenmoor::engine {

class HeadlessConsole : public ConsoleWindow {
public:
    ConsoleModel* create() override;
    void focus() override {}
    void placeAndShow(int, int, int, int) override {}

    std::unique_ptr<ConsoleModel> model;
};

class ThreadEndCounter : public platform::MainWindowNotices {
public:
    void postThreadDone(int port) override;
    void updateWindow() override {}
    // Waits until `count` end notices are in; false when `limit` passed first.
    bool waitFor(int count, std::optional<std::chrono::milliseconds> limit = std::nullopt);

private:
    std::mutex mutex_;
    std::condition_variable posted_;
    int done_ = 0;
};

}  // namespace brenmoor::engine
