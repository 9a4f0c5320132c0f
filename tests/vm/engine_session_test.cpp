// A whole test session in the guest: every port at the first-start defaults (alphabet
// line, 10 ms write delay, 9600 bit/s) for a while, on internal loopback, echo plugs and
// null-modem cables. What each port received must be what its far end sent, and what the
// panel counts as sent must be what went to the line.
//
// BRENMOOR_SESSION_WIRING names each port's far end, port 0 first: "loop" (internal
// loopback), "echo" (a plug that sends everything back), the other port of a cable
// ("ttyS9"), or "-" for a port the session leaves out. BRENMOOR_SESSION_SECONDS is how
// long the ports run (30 by default). For each port this prints
// "brenmoor-vm: <BRENMOOR_SESSION_NAME> <port> packets <n>", which the bench compares with
// what its pacer carried.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "guest_session.h"

namespace brenmoor::vm {
namespace {

using namespace std::chrono_literals;

constexpr std::size_t kPacketSize = 39;  // the alphabet line

struct Wiring {
    std::vector<int> farEnd;  // per port, -1 for a port left out
    std::vector<int> ports;   // the ports in the session
    std::vector<int> looped;
};

std::optional<Wiring> wiringFromEnvironment(std::string& problem) {
    const char* text = std::getenv("BRENMOOR_SESSION_WIRING");
    if (!text) {
        problem = "BRENMOOR_SESSION_WIRING is set only by the guest bench";
        return std::nullopt;
    }
    Wiring wiring;
    std::istringstream words(text);
    for (std::string word; words >> word;) {
        const int port = static_cast<int>(wiring.farEnd.size());
        if (word != "-") wiring.ports.push_back(port);
        if (word == "-") {
            wiring.farEnd.push_back(-1);
        } else if (word == "loop") {
            wiring.looped.push_back(port);
            wiring.farEnd.push_back(port);
        } else if (word == "echo") {
            wiring.farEnd.push_back(port);
        } else {
            int peer = -1;
            for (int p = 0; p < config::kPortCount; ++p)
                if (guestDevice(p) == "/dev/" + word) peer = p;
            if (peer < 0) {
                problem = "no port " + word + " in BRENMOOR_SESSION_WIRING";
                return std::nullopt;
            }
            wiring.farEnd.push_back(peer);
        }
    }
    if (wiring.farEnd.size() != config::kPortCount) {
        problem = "BRENMOOR_SESSION_WIRING must name a far end for each of the eight ports";
        return std::nullopt;
    }
    return wiring;
}

// Where two byte streams part, for a readable failure.
std::string firstDifference(const std::vector<std::uint8_t>& got, const std::vector<std::uint8_t>& sent) {
    std::size_t at = 0;
    while (at < got.size() && at < sent.size() && got[at] == sent[at]) ++at;
    return "received " + std::to_string(got.size()) + " bytes, far end sent " + std::to_string(sent.size()) +
           ", first difference at byte " + std::to_string(at);
}

TEST(GuestEngineSession, EveryPortAtTheDefaultsCarriesExactlyWhatItCounts) {
    std::string problem;
    const std::optional<Wiring> wiring = wiringFromEnvironment(problem);
    if (!wiring) GTEST_SKIP() << problem;
    const char* secondsText = std::getenv("BRENMOOR_SESSION_SECONDS");
    const auto runFor = std::chrono::seconds(secondsText ? std::atoi(secondsText) : 30);
    const char* nameText = std::getenv("BRENMOOR_SESSION_NAME");
    const std::string name = nameText ? nameText : "session";

    const std::vector<int>& ports = wiring->ports;
    GuestSession guest(ports);
    ASSERT_TRUE(guest.start(wiring->looped)) << "the session did not start";
    std::this_thread::sleep_for(runFor);

    // What is still on its way when the ports stop comes in within a few seconds: at most a
    // tty's output buffer at 960 bytes a second.
    guest.stopAndDrain(10s, wiring->farEnd);
    ASSERT_TRUE(guest.finish(30s)) << "a worker thread did not end";

    EXPECT_EQ(guest.messages.texts(), std::vector<std::string>{});
    for (int port : ports) {
        SCOPED_TRACE(guestDevice(port));
        const int far = wiring->farEnd[port];
        const std::vector<std::uint8_t> got = guest.tally.traffic(GuestSession::com(port)).read;
        const std::vector<std::uint8_t> sent = guest.tally.traffic(GuestSession::com(far)).written;
        EXPECT_GT(sent.size(), 0u);
        EXPECT_TRUE(got == sent) << firstDifference(got, sent);

        // The count its panel shows, against the bytes this port's line carried, which came
        // in at its far end (on itself for a loop or a plug). The bench compares the same
        // count with its pacer's for the paced lines.
        const int packets = std::atoi(guest.packetCount(port).c_str());
        const std::size_t carried = guest.tally.traffic(GuestSession::com(far)).read.size();
        const long long counted = static_cast<long long>(packets) * kPacketSize;
        EXPECT_LE(std::llabs(counted - static_cast<long long>(carried)), static_cast<long long>(kPacketSize))
            << packets << " packets counted, " << carried << " bytes carried";
        std::printf("brenmoor-vm: %s %s packets %d\n", name.c_str(), guestDevice(port).substr(5).c_str(), packets);
    }
}

}  // namespace
}  // namespace brenmoor::vm
