#include "session_fixture.h"

namespace brenmoor::test {

bool eventually(const std::function<bool()>& condition) {
    const auto giveUp = std::chrono::steady_clock::now() + kPatience;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > giveUp) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

void NoticeQueue::postThreadDone(int) {
    {
        std::lock_guard lock(mutex_);
        ++pending_;
    }
    posted_.notify_all();
}

void NoticeQueue::updateWindow() {}

bool NoticeQueue::takeThreadDone() {
    std::unique_lock lock(mutex_);
    if (!posted_.wait_for(lock, kPatience, [this] { return pending_ > 0; })) return false;
    --pending_;
    return true;
}

int NoticeQueue::pendingThreadDone() const {
    std::lock_guard lock(mutex_);
    return pending_;
}

engine::ConsoleModel* TestConsole::create() {
    ++createCount;
    if (failToCreate) return nullptr;
    model = std::make_unique<engine::ConsoleModel>();
    return model.get();
}

SessionTest::SessionTest(platform::SimulatedCard::Clock clock) : card(clock) {
    for (int port = 0; port < config::kPortCount; ++port) tables.m_PortRegistry[port].nComBase = 3 + port;
    tables.m_strWriteDelay.setText("0");
}

std::size_t SessionTest::readsOf(int port) {
    std::size_t reads = 0;
    for (const std::string& step : backend.log.receiveSteps(com(port))) reads += step.starts_with("read ") ? 1 : 0;
    return reads;
}

void SessionTest::markPort(int port) {
    config::PortRegistryEntry& entry = tables.m_PortRegistry[port];
    entry.nPortOpen = 1;
    entry.nBaud = 13;
    entry.nDataBits = 3;
    entry.nParity = 4;
    entry.nStopBits = 0;
    entry.nFlowCtrl = 2;
}

void SessionTest::setPattern(int port, int alpha, int quickBrown, int userData, int file) {
    config::PortDataPattern& pattern = tables.g_PortDataPattern[port];
    pattern.nAlpha = alpha;
    pattern.nQuickBrown = quickBrown;
    pattern.nUserData = userData;
    pattern.nFile = file;
}

bool SessionTest::finishWhenThreadsEnd() {
    while (threadDoneCount < session.threadCount()) {
        if (!notices.takeThreadDone()) return false;
        ++threadDoneCount;
    }
    threadDoneCount = 0;
    session.FinishSession();
    return true;
}

bool SessionTest::stopAndFinish() {
    session.Stop();
    return finishWhenThreadsEnd();
}

}  // namespace brenmoor::test
