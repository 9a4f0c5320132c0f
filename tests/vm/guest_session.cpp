#include "guest_session.h"

#include "config/registry_persistence.h"
#include "platform/com_names.h"
#include "platform/profile_store.h"

namespace brenmoor::vm {

std::string guestDevice(int port) { return "/dev/ttyS" + std::to_string(4 + port); }

platform::ComResolver guestResolver() {
    platform::ComResolver resolver;
    for (int port = 0; port < config::kPortCount; ++port)
        resolver.setOverride({GuestSession::com(port), guestDevice(port)});
    return resolver;
}

GuestSession::GuestSession(const std::vector<int>& ports) : ports_(ports) {
    config::ReadPortSettings(tables, platform::ProfileStore("/nonexistent/brenmoor-first-start"));
    for (int port = 0; port < config::kPortCount; ++port) tables.m_PortRegistry[port].nPortOpen = 0;
    for (int port : ports_) tables.m_PortRegistry[port].nPortOpen = 1;
}

bool GuestSession::start(const std::vector<int>& looped) {
    session_.Start();
    if (!session_.inProgress() || !console_.model) return false;
    for (int port : looped) console_.model->setLoopTestChecked(port, true);
    for (int port : ports_) actions_.RunClicked(port);
    return true;
}

void GuestSession::stopAndDrain(std::chrono::seconds limit, std::vector<int> farEnd) {
    for (int port : ports_) actions_.StopClicked(port);
    if (farEnd.empty())
        for (int port = 0; port < config::kPortCount; ++port) farEnd.push_back(port);
    // What was written is read again on each pass: a write under way when its port stopped
    // still counts.
    const auto giveUp = std::chrono::steady_clock::now() + limit;
    for (int port : ports_) {
        while (tally.bytesRead(com(port)) < tally.traffic(com(farEnd[port])).written.size() &&
               std::chrono::steady_clock::now() < giveUp)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

bool GuestSession::finish(std::chrono::seconds limit) {
    const int threads = session_.threadCount();
    session_.Stop();
    if (!ends_.waitFor(threads, limit)) return false;
    session_.FinishSession();
    return true;
}

}  // namespace brenmoor::vm
