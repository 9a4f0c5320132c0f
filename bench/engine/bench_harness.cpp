#include "bench_harness.h"

namespace brenmoor::bench {

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

}  // namespace brenmoor::bench
