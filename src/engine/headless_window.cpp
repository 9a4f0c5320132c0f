#include "engine/headless_window.h"

namespace brenmoor::engine {

ConsoleModel* HeadlessConsole::create() {
    model = std::make_unique<ConsoleModel>();
    return model.get();
}

void ThreadEndCounter::postThreadDone(int) {
    {
        std::lock_guard lock(mutex_);
        ++done_;
    }
    posted_.notify_all();
}

bool ThreadEndCounter::waitFor(int count, std::optional<std::chrono::milliseconds> limit) {
    std::unique_lock lock(mutex_);
    const auto allIn = [&] { return done_ >= count; };
    if (!limit) {
        posted_.wait(lock, allIn);
        return true;
    }
    return posted_.wait_for(lock, *limit, allIn);
}

}  // namespace brenmoor::engine
