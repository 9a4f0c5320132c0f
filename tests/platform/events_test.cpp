#include "platform/events.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

using brenmoor::platform::Event;
using brenmoor::platform::waitForEither;
using namespace std::chrono_literals;

TEST(Events, AutoResetReleasesOneWaitAndResets) {
    Event e(Event::Reset::Auto);
    EXPECT_FALSE(e.waitFor(0ms));
    e.set();
    EXPECT_TRUE(e.waitFor(0ms));
    EXPECT_FALSE(e.isSignalled());
    EXPECT_FALSE(e.waitFor(0ms));
}

TEST(Events, ManualResetStaysSignalledUntilReset) {
    Event e(Event::Reset::Manual);
    e.set();
    EXPECT_TRUE(e.waitFor(0ms));
    EXPECT_TRUE(e.waitFor(0ms));
    e.reset();
    EXPECT_FALSE(e.waitFor(0ms));
}

TEST(Events, WaitForEitherPrefersFirstAndConsumesOnlyIt) {
    Event write(Event::Reset::Auto), exit(Event::Reset::Auto);
    write.set();
    exit.set();
    EXPECT_EQ(waitForEither(write, exit), 0);
    EXPECT_TRUE(exit.isSignalled());
    EXPECT_EQ(waitForEither(write, exit), 1);
    EXPECT_FALSE(exit.isSignalled());
}

TEST(Events, WaitForEitherWakesOnASetFromAnotherThread) {
    Event write(Event::Reset::Auto), exit(Event::Reset::Auto);
    std::thread setter([&] {
        std::this_thread::sleep_for(5ms);
        exit.set();
    });
    EXPECT_EQ(waitForEither(write, exit), 1);
    setter.join();
}
