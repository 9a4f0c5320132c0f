// Line use of one paced port in the guest bench (scripts/vm-test.sh --bench): a test
// session on BRENMOOR_BENCH_PORT (an echo plug paced at 9600 bit/s) with write delay 0,
// for BRENMOOR_BENCH_SECONDS (10 by default). The line use is the bytes the plug carried
// back over the time from the port's start to the last byte's return, against the 960
// bytes a second a 9600 bit/s line carries.

#include <cstdio>
#include <cstdlib>
#include <string>

#include "guest_session.h"

using namespace brenmoor;

int main() {
    const char* device = std::getenv("BRENMOOR_BENCH_PORT");
    const char* secondsText = std::getenv("BRENMOOR_BENCH_SECONDS");
    int port = -1;
    for (int p = 0; device && p < config::kPortCount; ++p)
        if (vm::guestDevice(p) == device) port = p;
    if (port < 0) {
        std::fprintf(stderr, "guest_line_bench: BRENMOOR_BENCH_PORT must name one of the guest's UARTs\n");
        return 2;
    }
    const auto runFor = std::chrono::seconds(secondsText ? std::atoi(secondsText) : 10);
    constexpr double kLineBytesPerSecond = 960.0;

    vm::GuestSession guest({port});
    guest.tables.m_strWriteDelay.setText("0");
    const int com = vm::GuestSession::com(port);
    const auto started = std::chrono::steady_clock::now();
    if (!guest.start({})) {
        std::fprintf(stderr, "guest_line_bench: the session did not start\n");
        return 1;
    }
    std::this_thread::sleep_for(runFor);

    // The line use counts up to the last byte back: wait for what is still on the line,
    // then take the time the last of it came in.
    guest.stopAndDrain(std::chrono::seconds(10));
    const auto ended = std::chrono::steady_clock::now();
    const bool finished = guest.finish(std::chrono::seconds(30));

    const std::size_t carried = guest.tally.traffic(com).read.size();
    const double seconds = std::chrono::duration<double>(ended - started).count();
    std::printf("vm_line_bytes_carried: %zu\n", carried);
    std::printf("vm_line_seconds: %.2f\n", seconds);
    std::printf("vm_line_use_9600_delay0: %.3f\n", static_cast<double>(carried) / (seconds * kLineBytesPerSecond));
    for (const std::string& text : guest.messages.texts()) std::printf("vm_line_message: %s\n", text.c_str());
    return finished && carried == guest.tally.traffic(com).written.size() && guest.messages.texts().empty() ? 0 : 1;
}
