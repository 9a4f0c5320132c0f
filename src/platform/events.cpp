#include "platform/events.h"

#include <condition_variable>
#include <mutex>

namespace brenmoor::platform {
namespace {

std::mutex& eventsMutex() {
    static std::mutex m;
    return m;
}

std::condition_variable& eventsChanged() {
    static std::condition_variable c;
    return c;
}

}  // namespace

Event::Event(Reset reset, bool initiallySignalled) : reset_(reset), signalled_(initiallySignalled) {}

void Event::set() {
    {
        std::lock_guard lock(eventsMutex());
        signalled_ = true;
    }
    eventsChanged().notify_all();
}

void Event::reset() {
    std::lock_guard lock(eventsMutex());
    signalled_ = false;
}

bool Event::takeLocked() {
    if (!signalled_) return false;
    if (reset_ == Reset::Auto) signalled_ = false;
    return true;
}

void Event::wait() {
    std::unique_lock lock(eventsMutex());
    eventsChanged().wait(lock, [this] { return takeLocked(); });
}

bool Event::waitFor(std::chrono::milliseconds limit) {
    std::unique_lock lock(eventsMutex());
    return eventsChanged().wait_for(lock, limit, [this] { return takeLocked(); });
}

bool Event::isSignalled() const {
    std::lock_guard lock(eventsMutex());
    return signalled_;
}

int waitForEither(Event& first, Event& second) {
    std::unique_lock lock(eventsMutex());
    int which = -1;
    eventsChanged().wait(lock, [&] {
        if (first.takeLocked()) which = 0;
        else if (second.takeLocked()) which = 1;
        return which >= 0;
    });
    return which;
}

}  // namespace brenmoor::platform
