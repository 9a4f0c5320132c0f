#pragma once
// Auto- and manual-reset events and a wait on two of them: what the test session's threads
// signal each other with. Events are signalled a few times per session, so all of them
// share one lock and one condition, which makes a wait on two events simple and race-free.

#include <chrono>
#include <memory>

namespace brenmoor::platform {

class Event {
public:
    enum class Reset { Auto, Manual };

    explicit Event(Reset reset, bool initiallySignalled = false);
    Event(const Event&) = delete;
    Event& operator=(const Event&) = delete;

    void set();
    void reset();
    // Waits until signalled; an auto-reset event is consumed by the waiter it releases.
    void wait();
    // False when the time ran out first.
    bool waitFor(std::chrono::milliseconds limit);
    bool isSignalled() const;

private:
    friend int waitForEither(Event& first, Event& second);
    bool takeLocked();

    const Reset reset_;
    bool signalled_;
};

// Waits until either event is signalled and returns 0 for the first, 1 for the second
// (the first wins when both are); the event it returns for is consumed if auto-reset.
int waitForEither(Event& first, Event& second);

using EventHandle = std::shared_ptr<Event>;

}  // namespace brenmoor::platform
